// Whole books built by bookmake: the reading engine over its contents files and pages.
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/pageassembly.h"
#include "reading/readingbook.h"
#include "support/testenv.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Builds the book described by the source files into dir/book; the book's paths.
BookPaths buildBook(const TempDir& dir) {
    QProcess p;
    p.start(QString::fromStdString(programPath("bookmake")),
            {"build", QString::fromStdString(dir.file("src")),
             QString::fromStdString(dir.file("book"))});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    BookPaths paths;
    paths.BasePath = readerPath(dir.file("book/base"), true);
    paths.PagesPath = readerPath(dir.file("book"), true);
    paths.UserPath = readerPath(dir.file("book/user"), true);
    paths.IndexFile = "1.htm";
    return paths;
}

std::string page(const char* body) {
    return std::string("<html><head><title>t</title></head><body>") + body + "</body></html>";
}

bool has(const std::string& cp1251, const char* utf8) {
    return cp1251.find(w1251(utf8)) != std::string::npos;
}

const HighlightInputs kNoHits;

} // namespace

TEST(BuiltBook, SingleStoreWalkRedirectsAndNumberedLinks) {
    TempDir dir;
    dir.write("src/bookmake.txt", "[book]\ntitle = Проба\nregkey = reading_probe\n"
                                  "layout = single-store\n\n[contents]\n"
                                  "* Книга | index.htm\n** Часть 1\n*** Глава 1 | p1.htm\n"
                                  "*** Глава 2 | p2.htm\n**** Раздел | p2.htm#sec\n"
                                  "** Часть 2\n*** Глава 3 | p3.htm\n");
    dir.write("src/index.htm", page("<p>Оглавление <a href=\"p2.htm#sec\">к разделу</a></p>"));
    dir.write("src/p1.htm", page("<p>альфа <font color=\"$$$1\">цвет</font></p>"));
    dir.write("src/p2.htm", page("<p>бета</p><a name=\"sec\"></a><p>гамма</p>"));
    dir.write("src/p3.htm", page("<p>дельта</p>"));
    const BookPaths paths = buildBook(dir);

    ReadingBook book;
    ASSERT_TRUE(book.open(paths, readerPath(dir.path()), false).ok);
    ASSERT_EQ(book.contents().count(), 7);
    EXPECT_EQ(book.layout(), BookLayout::SingleStore);
    EXPECT_EQ(book.contents().EntryPath(4), w1251("Часть 1/Глава 2/Раздел"));

    // The part entries have no page: they open their first chapter.
    ASSERT_TRUE(book.contents().resolve(1));
    EXPECT_EQ(book.contents().resolve(1)->entry, 2);
    ASSERT_TRUE(book.contents().resolve(5));
    EXPECT_EQ(book.contents().resolve(5)->entry, 6);

    // The continuation walk visits every page once, in order, and the texts are whole.
    const char* words[] = {"Оглавление", "альфа", "бета", "гамма", "дельта"};
    const int entries[] = {0, 2, 3, 4, 6};
    std::optional<ResolvedPage> at = book.contents().resolve(0);
    std::string indexPage;
    MarkerColours colours;
    colours.schemeColours = {0x0000FF, 0x00FF00};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(at) << i;
        EXPECT_EQ(at->entry, entries[i]);
        book.currentEntry = at->entry;
        const PageShow s = book.ShowPage(at->start, at->end, "", true, 0, kNoHits, colours);
        ASSERT_TRUE(s.load);
        const std::string shown = dir.read("book/user/tmp.htm");
        EXPECT_TRUE(has(shown, words[i])) << i;
        for (int j = 0; j < 5; ++j)
            if (j != i) EXPECT_FALSE(has(shown, words[j])) << i << " " << j;
        EXPECT_EQ(shown.find("kovrex_next") != std::string::npos, i < 4) << i;
        if (i == 0) indexPage = shown;
        if (i == 1) EXPECT_TRUE(has(shown, "color=\"#ff0000\"")) << shown;
        at = book.contents().nextPage(book.currentEntry);
    }
    EXPECT_FALSE(at);
    EXPECT_EQ(book.history.count(), 5);

    // The link to the section became a numbered contents link to its entry.
    const QRegularExpressionMatch m =
        QRegularExpression("href=\"([0-9]+#sec)\"").match(QString::fromStdString(indexPage));
    ASSERT_TRUE(m.hasMatch()) << indexPage;
    const LinkAction link = classifyLink(m.captured(1).toStdString(), book.linkContext());
    EXPECT_EQ(link.kind, LinkKind::NumberedEntry);
    EXPECT_FALSE(link.doNothing);
    EXPECT_EQ(link.page.entry, 4);
    EXPECT_EQ(link.anchor, "sec");
}

TEST(BuiltBook, PageFileFoldersPicturesAndLinks) {
    TempDir dir;
    dir.write("src/bookmake.txt", "[book]\ntitle = Файлы\nregkey = reading_files\n"
                                  "layout = page-file\n\n[contents]\n"
                                  "* Старт | start.htm\n** Глава | ch/a.htm\n"
                                  "*** Место | ch/a.htm#x\n** Пусто\n");
    dir.write("src/start.htm", page("<p>старт <a href=\"ch/a.htm#x\">место</a></p>"));
    dir.write("src/ch/a.htm", page("<p>глава <img src=\"pic.gif\"></p><a name=\"x\">место</a>"));
    dir.write("src/ch/pic.gif", "GIF89a\x01\0\x01\0\0\0\0;");
    const BookPaths paths = buildBook(dir);

    ReadingBook book;
    ASSERT_TRUE(book.open(paths, readerPath(dir.path()), false).ok);
    EXPECT_EQ(book.layout(), BookLayout::PageFile);
    EXPECT_FALSE(book.contents().resolve(3)); // "Пусто" has no page

    const auto place = book.contents().resolve(2);
    ASSERT_TRUE(place);
    PageShow s = book.ShowPage(place->start, place->end, "", true, 0, kNoHits, {});
    ASSERT_TRUE(s.load);
    EXPECT_EQ(s.loadAnchor, "#x");
    EXPECT_TRUE(has(dir.read("book/user/tmp.htm"), "глава"));
    const ImageAnswer pic = mapImageRequest("pic.gif", book.requestContext());
    EXPECT_EQ(pic.kind, ImageAnswer::File);
    EXPECT_EQ(mapImageRequest("nothing.gif", book.requestContext()).kind, ImageAnswer::Missing);

    // The link of the start page opens the chapter file at its anchor.
    s = book.ShowPage(0, 1, "", true, 0, kNoHits, {});
    ASSERT_TRUE(s.load);
    const QRegularExpressionMatch m =
        QRegularExpression("href=\"([^\"]*a\\.htm#x)\"")
            .match(QString::fromStdString(dir.read("book/user/tmp.htm")));
    ASSERT_TRUE(m.hasMatch());
    const LinkAction link = classifyLink(m.captured(1).toStdString(), book.linkContext());
    ASSERT_EQ(link.kind, LinkKind::PageFile);
    s = book.ShowPageFile(link.target, link.anchor, true, 0, kNoHits);
    ASSERT_TRUE(s.load);
    EXPECT_EQ(s.positionAnchor, "#x");
    EXPECT_TRUE(has(dir.read("book/user/tmp.htm"), "глава"));
}

// A good book damaged in its contents files: every truncation and a run of changed bytes. The
// book opens or fails with a message; every entry then resolves to a range inside the store or
// to nothing, and every page is the head, the store bytes of its range and the tail.
TEST(BuiltBook, DamagedContentsFilesNeverLeaveTheStore) {
    TempDir dir;
    dir.write("src/bookmake.txt", "[book]\ntitle = Порча\nregkey = reading_damage\n"
                                  "layout = single-store\n\n[contents]\n"
                                  "* Книга | a.htm\n** Часть\n*** Глава | b.htm\n"
                                  "**** Раздел | b.htm#s\n** Конец | c.htm\n");
    dir.write("src/a.htm", page("<p>один</p>"));
    dir.write("src/b.htm", page("<p>два</p><a name=\"s\"></a><p>три</p>"));
    dir.write("src/c.htm", page("<p>четыре</p>"));
    const BookPaths paths = buildBook(dir);
    const std::string offsets = dir.read("book/base/offset1.txt");
    const std::string contents = dir.read("book/base/contents.txt");
    ASSERT_FALSE(offsets.empty());

    auto check = [&](const std::string& what) {
        ReadingBook book;
        const ReadStatus s = book.open(paths, readerPath(dir.path()), false);
        if (!s.ok) {
            EXPECT_FALSE(s.message.empty()) << what;
            return;
        }
        const auto storeSize = int64_t(book.store().size());
        MarkerColours hand;
        hand.handMode = true;
        for (int i = -1; i <= book.contents().count(); ++i) {
            const auto p = book.contents().resolve(i);
            if (!p) continue;
            ASSERT_TRUE(book.contents().validEntry(p->entry)) << what;
            ASSERT_LT(p->start, p->end) << what;
            const std::string shown =
                assembleStorePage(book.store(), p->start, p->end, false, hand);
            ASSERT_EQ(shown.rfind("<HTML><BODY>", 0), 0u) << what;
            ASSERT_EQ(shown.substr(shown.size() - 14), "</BODY></HTML>") << what;
            const int64_t from = std::clamp<int64_t>(p->start, 0, storeSize);
            const int64_t to = std::clamp<int64_t>(p->end, from, storeSize);
            ASSERT_EQ(shown.substr(12, shown.size() - 26),
                      book.store().substr(size_t(from), size_t(to - from)))
                << what;
        }
        int steps = 0;
        for (auto at = book.contents().resolve(0); at && steps < 100;
             at = book.contents().nextPage(at->entry))
            ++steps;
        EXPECT_LT(steps, 100) << what;
    };

    for (std::size_t n = 0; n < offsets.size(); ++n) {
        dir.write("book/base/offset1.txt", offsets.substr(0, n));
        check("offset1.txt cut at " + std::to_string(n));
    }
    const char damage[] = {'#', '-', '9', '\n', '\0', 'x', ' '};
    for (std::size_t n = 0; n < offsets.size(); ++n)
        for (char c : damage) {
            std::string bad = offsets;
            bad[n] = c;
            dir.write("book/base/offset1.txt", bad);
            check("offset1.txt byte " + std::to_string(n) + " changed");
        }
    dir.write("book/base/offset1.txt", offsets);
    for (std::size_t n = 0; n < contents.size(); n += 3) {
        dir.write("book/base/contents.txt", contents.substr(0, n) + "\t\t" + contents.substr(n));
        check("contents.txt indented at " + std::to_string(n));
    }
}
