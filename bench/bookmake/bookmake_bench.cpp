// Where bookmake's time goes: each stage of a build timed on a source folder (by default the
// sample book; scripts/corpus.sh makes a real one in OUT/source), with its throughput and the
// whole build's seconds per 100 MB of page HTML against the goal of 60.
// Usage: bookmake_bench [SOURCE]
#include "booktext.h"
#include "description.h"
#include "glosswriter.h"
#include "indexwriter.h"
#include "output.h"
#include "pages.h"
#include "platform/morph.h"
#include "testfile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path source = argc > 1 ? fs::path(argv[1]) : fs::path(EBOOK_SAMPLES) / "book";
    const fs::path scratch = fs::temp_directory_path() / ("bookmake-bench-" + std::to_string(::getpid()));
    try {
        auto t = std::chrono::steady_clock::now();
        const std::string why = morphError();
        const double load = seconds(t);
        if (!why.empty()) {
            std::fprintf(stderr, "dictionary: %s\n", why.c_str());
            return 1;
        }
        const auto all = std::chrono::steady_clock::now();
        t = std::chrono::steady_clock::now();
        const BookDescription desc = readDescription(source);
        const double describe = seconds(t);
        BookOutput out(scratch, source);
        out.prepare();
        TaskTargets tasks;
        buildTestFile(desc, out, tasks);
        t = std::chrono::steady_clock::now();
        const BookPages pages = buildPages(desc, out, tasks);
        const double convert = seconds(t);
        size_t bytes = 0, words = 0;
        for (const Document& d : pages.documents) bytes += d.text.size();

        // The index twice: with the per-word cache the build uses, and the words counted
        // without lemmatizing, to tell the lemmatizer's share.
        size_t lookups = 0;
        const Lemmatizer cached = cachedMorphLemmatizer();
        t = std::chrono::steady_clock::now();
        const IndexFiles index = buildIndex(pages.documents, [&](std::string_view w) {
            ++lookups;
            return cached(w);
        });
        const double indexing = seconds(t);
        words = lookups;
        t = std::chrono::steady_clock::now();
        buildIndex(pages.documents, [](std::string_view w) { return int32_t(w.size()); });
        const double counting = seconds(t);
        t = std::chrono::steady_clock::now();
        buildGloss(desc.glossary, pages.documents);
        const double gloss = seconds(t);
        t = std::chrono::steady_clock::now();
        const GlossFiles allWords = buildAllGloss(pages.documents);
        const double allgloss = seconds(t);
        t = std::chrono::steady_clock::now();
        buildBookText(desc, pages.documents);
        const double text = seconds(t);
        const double total = seconds(all) - counting; // the comparison run is not part of a build

        std::printf("source: %s\n", source.string().c_str());
        std::printf("documents: %zu, page bytes: %.2f MB, counted words: %zu, index terms: %zu\n",
                    pages.documents.size(), bytes / 1e6, words, index.dat.size() / 12);
        std::printf("dictionary load:      %8.3f s\n", load);
        std::printf("description:          %8.3f s\n", describe);
        std::printf("pages (read, convert, links, write): %8.3f s  %.1f MB/s\n", convert, bytes / 1e6 / convert);
        std::printf("index:                %8.3f s  %.2f us per word (cached lemmas), words only %.3f s\n",
                    indexing, indexing * 1e6 / double(words ? words : 1), counting);
        std::printf("term glossary:        %8.3f s  (%zu terms)\n", gloss, desc.glossary.size());
        uint32_t distinct = 0; // the file's header
        for (int i = 3; i >= 0; --i) distinct = (distinct << 8) | static_cast<unsigned char>(allWords.dat[size_t(i)]);
        std::printf("word glossary:        %8.3f s  (%u words)\n", allgloss, distinct);
        std::printf("plain text:           %8.3f s\n", text);
        std::printf("build without the dictionary load: %.3f s = %.1f s per 100 MB of HTML (goal: under 60)\n",
                    total, total * 1e8 / double(bytes ? bytes : 1));
        std::printf("with the dictionary load:          %.3f s = %.1f s per 100 MB\n", total + load,
                    (total + load) * 1e8 / double(bytes ? bytes : 1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bookmake_bench: %s\n", e.what());
        fs::remove_all(scratch);
        return 1;
    }
    fs::remove_all(scratch);
    return 0;
}
