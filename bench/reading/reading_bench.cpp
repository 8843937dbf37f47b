// Costs of reading a large single-store book (20,000 contents entries, a 50 MB page store) built
// by bookmake: opening the contents and the store, resolving entries, assembling and writing a
// page of about 100 KB, showing it in the viewer, and the memory the open book takes.
// Usage: reading_bench [BOOK_FOLDER]  (a folder from an earlier run is reused as it is)
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/viewer.h"
#include "reading/katalog.h"
#include "reading/pageassembly.h"
#include "reading/readingbook.h"

#include <QApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 20000;
constexpr int kBigEvery = 400;           // every 400th page is a large one
constexpr std::size_t kBigPage = 100000; // bytes of text in a large page
constexpr std::size_t kSmallPage = 2450; // bytes of text in the others

double medianMs(int runs, const std::function<void()>& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

long peakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long currentRssKb() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Windows-1251 text of about n bytes from a small Russian vocabulary, with paragraphs and a
// colour marker.
std::string text(std::size_t n, int seed) {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w;
        for (const char* u : {"звезда", "небо", "планета", "орбита", "свет", "телескоп",
                              "созвездие", "галактика", "комета", "луна", "солнце", "время"})
            w.push_back(w1251(u));
        return w;
    }();
    std::string out = "<p><font color=\"$$$1\">" + std::to_string(seed) + "</font> ";
    unsigned x = unsigned(seed) * 2654435761u + 1;
    while (out.size() < n) {
        x = x * 1103515245u + 12345u;
        out += words[(x >> 16) % words.size()];
        out += (x >> 8) % 15 == 0 ? ".</p>\n<p>" : " ";
    }
    return out + "</p>";
}

bool buildSource(const fs::path& src) {
    fs::create_directories(src / "p");
    std::string desc = "[book]\ntitle = Большая книга\nregkey = reading_bench\nlayout = "
                       "single-store\n\n[contents]\n";
    for (int i = 0; i < kEntries; ++i) {
        // Parts of 100 chapters, chapters of 4 sections: depth 0..3.
        const int depth = i == 0 ? 0 : i % 100 == 1 ? 1 : i % 4 == 2 ? 2 : 3;
        desc += std::string(std::size_t(depth) + 1, '*') + " Раздел " + std::to_string(i) +
                " | p/" + std::to_string(i) + ".htm\n";
        std::ofstream page(src / "p" / (std::to_string(i) + ".htm"), std::ios::binary);
        page << "<html><body>" << text(i % kBigEvery == 7 ? kBigPage : kSmallPage, i)
             << "</body></html>";
        if (!page) return false;
    }
    std::ofstream(src / "bookmake.txt", std::ios::binary) << desc;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#ifndef BOOKMAKE_PATH
    std::fprintf(stderr, "reading_bench: built without bookmake\n");
    return 1;
#else
    const bool reuse = argc > 1 && fs::exists(fs::path(argv[1]) / "book" / "base" / "contents.txt");
    const fs::path root =
        argc > 1 ? fs::path(argv[1])
                 : fs::temp_directory_path() / ("reading-bench-" + std::to_string(getpid()));
    if (!reuse) {
        fs::create_directories(root);
        std::printf("writing %d source pages...\n", kEntries);
        if (!buildSource(root / "src")) return 1;
        QProcess make;
        const auto start = std::chrono::steady_clock::now();
        make.start(BOOKMAKE_PATH, {"build", QString::fromStdString((root / "src").string()),
                                   QString::fromStdString((root / "book").string())});
        make.waitForFinished(-1);
        std::printf("%s", make.readAllStandardOutput().constData());
        if (make.exitCode() != 0) {
            std::fprintf(stderr, "%s", make.readAllStandardError().constData());
            return 1;
        }
        std::printf(
            "bookmake build: %.1f s\n",
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }

    BookPaths paths;
    paths.BasePath = readerPath((root / "book" / "base").string(), true);
    paths.PagesPath = readerPath((root / "book").string(), true);
    paths.UserPath = readerPath((root / "book" / "user").string(), true);
    paths.IndexFile = "1.htm";
    const std::string work = readerPath(root.string());

    const long rssBefore = currentRssKb();
    ReadingBook book;
    if (!book.open(paths, work, false)) return 1;
    const long rssOpen = currentRssKb();
    const double storeMb = double(book.store().size()) / 1e6;
    std::printf("book: %d entries, page store %.1f MB\n", book.contents().count(), storeMb);

    const double openMs = medianMs(5, [&] { book.open(paths, work, false); });
    std::printf("open (contents + entry table + store):   %8.1f ms\n", openMs);
    BookContents contents;
    const double contentsMs = medianMs(5, [&] { LoadContents(paths.BasePath, contents); });
    std::printf("  of which LoadContents:                   %8.1f ms\n", contentsMs);
    const double storeMs = medianMs(5, [&] {
        std::string store; // fresh memory, as a first opening has it
        readFile(paths.PagesPath + paths.IndexFile, store);
    });
    std::printf("  of which reading the page store:         %8.1f ms\n", storeMs);

    // The large page nearest the middle of the book.
    int big = kEntries / 2;
    while (big % kBigEvery != 7)
        ++big;
    const auto range = book.contents().resolve(big);
    if (!range) return 1;
    std::printf("large page: entry %d, %d bytes\n", big, range->end - range->start);
    const HighlightInputs none;
    MarkerColours colours;
    colours.schemeColours = {0x0000ff, 0x00ff00, 0xff0000};
    const double assembleMs = medianMs(51, [&] {
        std::string page = assembleStorePage(book.store(), range->start, range->end, true, colours);
        if (page.empty()) std::abort();
    });
    book.currentEntry = range->entry;
    const double showMs = medianMs(51, [&] {
        if (!book.ShowPage(range->start, range->end, "", true, 0, none, colours).load) std::abort();
    });
    std::printf("assemble the large page:                  %8.3f ms\n", assembleMs);
    std::printf("ShowPage (assemble + write tmp.htm):      %8.2f ms\n", showMs);
    const std::string bigPage =
        assembleStorePage(book.store(), range->start, range->end, true, colours);
    const double writeMs =
        medianMs(51, [&] { highlight(bigPage, none, paths.UserPath + "tmp.htm"); });
    std::printf("  of which writing tmp.htm (atomic):       %8.2f ms\n", writeMs);

    const double resolveUs = medianMs(5,
                                      [&] {
                                          for (int i = 0; i < kEntries; ++i)
                                              (void)book.contents().resolve(i);
                                      }) *
                             1000.0 / kEntries;
    const double walkMs = medianMs(3, [&] {
        for (auto at = book.contents().resolve(0); at; at = book.contents().nextPage(at->entry)) {
        }
    });
    std::printf("resolve an entry:                         %8.3f us\n", resolveUs);
    std::printf("continuation walk over the whole book:    %8.1f ms\n", walkMs);

    QTreeWidget tree;
    KatalogFiller filler(&tree);
    const double treeMs = medianMs(3, [&] { filler.load(book.contents()); });
    const double expandMs = medianMs(3, [&] {
        filler.expandAll();
        filler.collapseAll();
    });
    std::printf("contents tree: fill %d items:            %8.1f ms\n", book.contents().count(),
                treeMs);
    std::printf("contents tree: expand all + collapse all: %8.1f ms\n", expandMs);
    const double rawMs = medianMs(3, [&] {
        tree.expandAll();
        tree.collapseAll();
    });
    const double iconsMs = medianMs(3, [&] { filler.refreshIcons(); });
    std::printf("  of which the tree's own expand/collapse:  %8.1f ms, icons %.1f ms\n", rawMs,
                iconsMs);

    BookViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    const std::string tmp = paths.UserPath + "tmp.htm";
    const double viewMs = medianMs(11, [&] { viewer.loadFile(tmp); });
    std::printf("viewer: load the large page (offscreen): %8.1f ms\n", viewMs);

    const double rssMb = double(rssOpen - rssBefore) / 1024.0;
    std::printf("memory of the open book: %.1f MB (store %.1f MB, ratio %.2f); peak RSS %.1f MB\n",
                rssMb, storeMb, rssMb / storeMb, double(peakRssKb()) / 1024.0);
    std::printf("goals: show a 100 KB page < 30 ms (%.0f%% of it), open < 500 ms (%.0f%%), "
                "memory <= store + 100 MB (%.1f MB over the store)\n",
                100.0 * (showMs + viewMs) / 30.0, 100.0 * openMs / 500.0, rssMb - storeMb);
    if (argc <= 1) fs::remove_all(root);
    return 0;
#endif
}
