// Query evaluation and highlighting on a real page-file book (bench/search/make_big_book.sh builds
// the plain corpus book and the 10-million-word one): latency of whole queries (load, run, group,
// cut) over a fixed set of 1-, 2-, 3- and 5-word queries, the first query of the process, the
// ratio to just reading the same postings bytes from memory, peak memory per query, the form
// dictionary per lemma, and highlighting of the largest page and of a 1 MB page.
// With --agreement it also checks that every document found shows a hit when highlighted.
// Usage: search_bench BASEDIR [--agreement]
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/words.h"
#include "search/blword.h"
#include "search/doctable.h"
#include "search/evaluate.h"
#include "search/highlight.h"
#include "search/pindex.h"
#include "search/postings.h"
#include "search/query.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

// Heap accounting for the peak memory of one query.
namespace {
std::atomic<long long> g_live{0}, g_peak{0};
void account(long long delta) {
    const long long now = g_live += delta;
    long long peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}
} // namespace

void* operator new(size_t n) {
    void* p = std::malloc(n + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<size_t*>(p) = n;
    account((long long)n);
    return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    account(-(long long)*reinterpret_cast<size_t*>(base));
    std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
}

struct Query {
    std::vector<int32_t> lemmas;
    std::string kind;
};

struct Book {
    std::string base;
    DocumentTable table;
    std::string page(int32_t d) const {
        DocumentEntry e;
        std::string text;
        if (table.entry(d, e)) readFile(base + "../out/" + e.pageName, text);
        return text;
    }
};

std::map<std::string, int32_t> g_lemmaCache;
int32_t lemmaOf(const std::string& upperWord) {
    auto it = g_lemmaCache.find(upperWord);
    if (it != g_lemmaCache.end()) return it->second;
    const auto t = lemmatizeQuery(upperWord);
    return g_lemmaCache[upperWord] = t.empty() ? 0 : t.front().number;
}

// Queries of adjacent words from sampled documents, and of the most frequent lemmas.
std::vector<Query> makeQueries(const Book& book, size_t documents) {
    std::mt19937 rng(2024);
    std::vector<Query> queries;
    for (int size : {1, 2, 3, 5}) {
        int made = 0;
        for (int attempt = 0; made < 40 && attempt < 4000; ++attempt) {
            const int32_t d = int32_t(1 + rng() % documents);
            const std::string upper = upperCp1251(book.page(d));
            std::vector<std::string> words;
            forEachCountedWord(upper, countedTextStart(upper),
                               [&](size_t s, size_t l, uint32_t) { words.push_back(upper.substr(s, l)); });
            if (words.size() < size_t(size)) continue;
            const size_t at = rng() % (words.size() - size_t(size) + 1);
            Query q{{}, "adjacent " + std::to_string(size)};
            for (int k = 0; k < size; ++k) {
                const int32_t l = lemmaOf(words[at + size_t(k)]);
                if (l == 0) break;
                q.lemmas.push_back(l);
            }
            if (q.lemmas.size() != size_t(size)) continue;
            queries.push_back(q);
            ++made;
        }
    }
    // The lemmas with the longest postings blocks.
    std::string dat;
    readFile(book.base + "index.dat", dat);
    std::vector<std::pair<int32_t, int32_t>> bySize; // length, key
    for (size_t i = 0; i + 12 <= dat.size(); i += 12)
        bySize.push_back({int32_t(loadU32(dat.data() + i + 8)), int32_t(loadU32(dat.data() + i))});
    std::sort(bySize.rbegin(), bySize.rend());
    const size_t top = std::min<size_t>(bySize.size(), 12);
    for (int size : {1, 2, 3, 5})
        for (size_t i = 0; i + size_t(size) <= top; i += size_t(size == 1 ? 1 : 2)) {
            Query q{{}, "frequent " + std::to_string(size)};
            for (int k = 0; k < size; ++k) q.lemmas.push_back(bySize[i + size_t(k)].second);
            queries.push_back(q);
        }
    return queries;
}

// Time to touch every postings byte of the query's terms, already in memory.
double readingMs(const std::vector<std::string>& blocks, int repeat) {
    volatile uint64_t sink = 0;
    const auto t = Clock::now();
    for (int r = 0; r < repeat; ++r) {
        uint64_t sum = 0;
        for (const std::string& b : blocks)
            for (size_t i = 0; i + 2 <= b.size(); i += 2) sum += loadU16(b.data() + i);
        sink = sink + sum;
    }
    return msSince(t) / repeat;
}

// A page file still in UTF-8 was not stored as the Windows-1251 text the index was made from:
// its words cannot be found on it.
bool storedAsUtf8(const std::string& page) {
    return isValidUtf8(page) && std::any_of(page.begin(), page.end(), [](char c) { return (unsigned char)c >= 0x80; });
}

void benchHighlight(const Book& book, size_t documents, const std::vector<Query>& queries) {
    // The largest page.
    int32_t largest = 1;
    size_t largestSize = 0;
    for (int32_t d = 1; d <= int32_t(documents); ++d) {
        DocumentEntry e;
        if (!book.table.entry(d, e)) continue;
        const std::string p = book.page(d);
        if (p.size() > largestSize && !storedAsUtf8(p)) largestSize = p.size(), largest = d;
        if (d > 2000) break; // the corpus repeats after its first copy
    }
    const std::string big = book.page(largest);
    std::string mega = big.substr(0, big.find("</body>") == std::string::npos ? big.size() : big.find("</body>"));
    for (int32_t d = 1; mega.size() < 1000000 && d <= int32_t(documents); ++d) {
        const std::string p = book.page(d);
        if (storedAsUtf8(p)) continue;
        const size_t b = countedTextStart(p);
        mega += p.substr(b + std::min<size_t>(p.size() - b, 6));
    }
    mega.resize(std::min<size_t>(mega.size(), 1000000));

    // Lemmas of words of the largest page: one, and three adjacent.
    const std::string upper = upperCp1251(big);
    std::vector<int32_t> lemmas;
    forEachCountedWord(upper, countedTextStart(upper), [&](size_t s, size_t l, uint32_t) {
        if (lemmas.size() < 3) {
            const int32_t x = lemmaOf(upper.substr(s, l));
            if (x != 0 && std::find(lemmas.begin(), lemmas.end(), x) == lemmas.end()) lemmas.push_back(x);
        }
    });
    // Form dictionary per lemma, over the lemmas of the query set.
    std::vector<int32_t> all;
    for (const Query& q : queries) all.insert(all.end(), q.lemmas.begin(), q.lemmas.end());
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    auto t = Clock::now();
    size_t forms = 0;
    for (int32_t l : all) forms += buildFormDictionary({l}).count();
    std::printf("form dictionary: %.3f ms per lemma (%zu lemmas, %.1f forms each)\n", msSince(t) / double(all.size()),
                all.size(), double(forms) / double(all.size()));

    for (const auto& [name, page] : {std::pair<const char*, const std::string&>{"largest page", big}, {"1 MB page", mega}})
        for (size_t n : {size_t(1), size_t(3)}) {
            if (lemmas.size() < n) continue;
            HighlightInputs in;
            in.lemmas.assign(lemmas.begin(), lemmas.begin() + std::ptrdiff_t(n));
            const Blword dict = buildFormDictionary(in.lemmas);
            std::vector<double> ms;
            size_t hits = 0;
            for (int r = 0; r < 7; ++r) {
                t = Clock::now();
                const auto h = findHits(page, in, dict);
                const std::string out = markHits(page, h, in.colourHtml);
                ms.push_back(msSince(t));
                hits = h.size();
            }
            std::printf("highlight %s (%.0f KB), %zu lemma(s): %.2f ms median, %zu hits%s\n", name,
                        double(page.size()) / 1024, n, percentile(ms, 0.5), hits,
                        page.size() >= 1000000 ? " (goal: under 15 ms)" : "");
        }
}

void agreement(const Book& book, const std::vector<Query>& queries) {
    size_t checked = 0, shown = 0, utf8 = 0;
    for (const Query& q : queries) {
        const QueryOutcome o = evaluateQuery(q.lemmas, book.base + "index");
        HighlightInputs in;
        in.lemmas = q.lemmas;
        const Blword forms = buildFormDictionary(in.lemmas);
        for (int32_t d : o.documents) {
            const std::string page = book.page(d);
            const size_t hits = findHits(page, in, forms).size();
            ++checked;
            if (hits > 0) ++shown;
            else if (storedAsUtf8(page)) ++utf8;
            else {
                std::string lemmas;
                for (int32_t l : q.lemmas) lemmas += " " + std::to_string(l);
                std::printf("agreement: query [%s]%s: document %d shows no hit\n", q.kind.c_str(), lemmas.c_str(), d);
            }
        }
    }
    std::printf("agreement: %zu found documents checked, %zu show hits, %zu page files left in UTF-8, "
                "%zu without\n",
                checked, shown, utf8, checked - shown - utf8);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: search_bench BASEDIR [--agreement]\n");
        return 2;
    }
    Book book;
    book.base = argv[1];
    if (book.base.back() != '/') book.base += '/';
    const bool checkAgreement = argc > 2 && std::strcmp(argv[2], "--agreement") == 0;
    if (!book.table.open(book.base)) {
        std::fprintf(stderr, "search_bench: no document table in %s\n", book.base.c_str());
        return 2;
    }
    const size_t documents = book.table.recordCount() - 1;
    const PIndex probe(book.base + "index");
    std::printf("book: %zu documents, %zu index terms\n", documents, probe.termCount());

    const std::vector<Query> queries = makeQueries(book, documents);

    // The first query of the process: the term table is read for the first time.
    auto t = Clock::now();
    evaluateQuery(queries.front().lemmas, book.base + "index");
    std::printf("first query (term table not yet read): %.3f ms (goal: under 2 ms)\n", msSince(t));

    std::map<std::string, std::vector<double>> byKind;
    std::vector<double> all;
    double evalTotal = 0, readTotal = 0, worstRatio = 0;
    long long peakMax = 0;
    size_t postingsMax = 0;
    for (const Query& q : queries) {
        std::vector<double> runs;
        for (int r = 0; r < 5; ++r) {
            g_peak = g_live.load();
            const long long before = g_live.load();
            t = Clock::now();
            const QueryOutcome o = evaluateQuery(q.lemmas, book.base + "index");
            runs.push_back(msSince(t));
            peakMax = std::max(peakMax, g_peak.load() - before);
        }
        const double ms = percentile(runs, 0.5);
        byKind[q.kind].push_back(ms);
        all.push_back(ms);

        std::vector<std::string> blocks;
        size_t bytes = 0;
        PIndex index(book.base + "index");
        for (int32_t l : q.lemmas) {
            PostingList list;
            index.lookup(l, list);
            bytes += list.size();
            blocks.emplace_back(list.view());
        }
        postingsMax = std::max(postingsMax, bytes);
        const double read = readingMs(blocks, 20);
        evalTotal += ms;
        readTotal += read;
        if (bytes > 100000) worstRatio = std::max(worstRatio, ms / read);
    }
    std::printf("queries: %zu; all: median %.3f ms, 90%% %.3f ms, slowest %.3f ms\n", all.size(), percentile(all, 0.5),
                percentile(all, 0.9), percentile(all, 1.0));
    for (const auto& [kind, ms] : byKind)
        std::printf("  %-12s %3zu queries: median %.3f ms, slowest %.3f ms\n", kind.c_str(), ms.size(),
                    percentile(ms, 0.5), percentile(ms, 1.0));
    std::printf("evaluation / reading the postings from memory: %.1fx over the set, worst %.1fx among queries "
                "with over 100 KB of postings (goal: within 5x)\n",
                evalTotal / readTotal, worstRatio);
    std::printf("peak heap per query: %.2f MB (largest query postings %.2f MB)\n", double(peakMax) / 1e6,
                double(postingsMax) / 1e6);

    benchHighlight(book, documents, queries);
    if (checkAgreement) agreement(book, queries);
    return 0;
}
