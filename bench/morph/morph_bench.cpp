// Figures of the morphology layer: dictionary load time and memory, lemmatizing cost per word
// (uncached and behind a per-word cache, as the book builder uses it), form building as the
// highlighter uses it, and the share of Cyrillic word tokens of a real Russian corpus that get
// a lemma, against hunspell alone.
//
// Usage: morph_bench [--ambiguous N] [corpus folder]   (bench/morph/corpus.sh installs one)
//        morph_bench --lemmas WORD...   prints the lemmas of words (UTF-8)
//        morph_bench --golden N [corpus folder]   prints a golden list: the N most frequent
//                                                 known corpus words and every supplement word
#include "platform/morph.h"
#include "platform/morph_cache.h"
#include "platform/morph_load.h"
#include "platform/text.h"
#include "platform/words.h"

#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Processor time of the process: on a shared machine the wall time also counts the others.
double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

long rssKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void appendCodePoint(std::string& out, unsigned long u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

// HTML (UTF-8) to plain text: tags dropped (each becomes a space), the common entities and
// numeric references decoded.
std::string plainText(const std::string& html) {
    static const std::map<std::string, unsigned long> kNamed = {
        {"nbsp", 0xA0}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
        {"laquo", 0xAB}, {"raquo", 0xBB}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}};
    std::string out;
    out.reserve(html.size());
    for (size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string::npos) break;
            out += ' ';
            i = end + 1;
        } else if (c == '&') {
            const size_t semi = html.find(';', i);
            if (semi != std::string::npos && semi - i <= 10) {
                const std::string name = html.substr(i + 1, semi - i - 1);
                unsigned long u = 0;
                if (!name.empty() && name[0] == '#')
                    u = name.size() > 1 && (name[1] == 'x' || name[1] == 'X')
                            ? std::strtoul(name.c_str() + 2, nullptr, 16)
                            : std::strtoul(name.c_str() + 1, nullptr, 10);
                else if (auto it = kNamed.find(name); it != kNamed.end())
                    u = it->second;
                if (u != 0) {
                    appendCodePoint(out, u);
                    i = semi + 1;
                    continue;
                }
            }
            out += c;
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

struct Corpus {
    std::vector<std::string> tokens; // Windows-1251 upper case, 3+ letters
    size_t bytes = 0;
    size_t files = 0;
};

Corpus readCorpus(const fs::path& dir) {
    Corpus c;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && (e.path().extension() == ".html" || e.path().extension() == ".htm"))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
        const std::string html = readAll(p);
        c.bytes += html.size();
        ++c.files;
        const std::string text = upperCp1251(utf8ToCp1251(plainText(html)));
        forEachCountedWord(text, 0, [&](size_t start, size_t len, uint32_t) {
            c.tokens.push_back(text.substr(start, len));
        });
    }
    return c;
}

bool lemmatize(const std::string& word, int32_t& first) {
    char lemmas[256];
    int32_t numbers[32] = {};
    char info[256];
    const int n = morphLemmatize(word.c_str(), 256, lemmas, numbers, info, 256, 32, 256);
    first = numbers[0];
    return n > 0;
}

int golden(size_t count, const fs::path& corpusDir) {
    const Corpus c = readCorpus(corpusDir);
    std::unordered_map<std::string, size_t> freq;
    for (const std::string& t : c.tokens) ++freq[t];
    std::vector<std::pair<std::string, size_t>> words(freq.begin(), freq.end());
    std::sort(words.begin(), words.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::map<std::string, int32_t> chosen;
    for (const auto& [w, n] : words) {
        if (chosen.size() >= count) break;
        int32_t num;
        if (lemmatize(w, num)) chosen[w] = num;
    }
    // Every word of the supplement too: those are the mappings most easily changed by accident.
    const MorphSources src = morphDefaultSources();
    std::istringstream sup(readAll(src.supplementPath));
    std::string line;
    while (std::getline(sup, line)) {
        line = line.substr(0, line.find('#'));
        std::string cp = upperCp1251(utf8ToCp1251(line));
        for (char& ch : cp)
            if (!isWordLetter(static_cast<unsigned char>(ch))) ch = ' ';
        std::istringstream ws(cp);
        std::string w;
        while (ws >> w) {
            int32_t num;
            if (w.size() >= 3 && lemmatize(w, num)) chosen[w] = num;
        }
    }
    std::printf("# Frozen word -> lemma number mapping: every index ever built depends on it.\n"
                "# UTF-8, \"WORD NUMBER\"; checked by the morph_dictionary_test test. Never edit a number.\n");
    for (const auto& [w, num] : chosen) {
        const auto lemmas = morphLemmas(w);
        std::printf("%s %d  # %s\n", cp1251ToUtf8(w).c_str(), num,
                    cp1251ToUtf8(lemmas.empty() ? "" : lemmas[0].text).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--lemmas") {
        for (size_t i = 1; i < args.size(); ++i) {
            std::printf("%s:", args[i].c_str());
            for (const MorphLemma& l : morphLemmas(upperCp1251(utf8ToCp1251(args[i]))))
                std::printf(" %s=%d", cp1251ToUtf8(l.text).c_str(), l.number);
            std::printf("\n");
        }
        return 0;
    }
    if (args.size() >= 2 && args[0] == "--golden")
        return golden(std::stoul(args[1]),
                      args.size() > 2 ? args[2] : "/usr/share/gimp/2.0/help/ru");
    size_t showAmbiguous = 20;
    if (args.size() >= 2 && args[0] == "--ambiguous") {
        showAmbiguous = std::stoul(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    const fs::path corpusDir = args.empty() ? "/usr/share/gimp/2.0/help/ru" : args[0];

    // Load: the shared load first (from the cache file when one is there), then building from
    // the dictionary files for comparison.
    const MorphSources src = morphDefaultSources();
    {
        const long rss0 = rssKiB();
        const double c0 = cpuSeconds();
        const auto t0 = Clock::now();
        const std::string err = morphError();
        const auto t1 = Clock::now();
        const double c1 = cpuSeconds();
        if (!err.empty()) {
            std::fprintf(stderr, "%s\n", err.c_str());
            return 1;
        }
        const MorphTable& t = *morphShared();
        size_t bytes = t.formArena.size() + t.textArena.size();
        for (const auto* v : {&t.formStart, &t.yoForm, &t.yoText, &t.formLemmaStart, &t.formLemmas,
                              &t.lemmaText, &t.lemmaFormStart, &t.lemmaForms, &t.byNumber,
                              &t.hashSlots})
            bytes += v->size() * 4;
        bytes += t.lemmaNumber.size() * 4;
        std::printf("shared load (first call, cache file at %s): %.3f s (%.3f s processor), "
                    "tables %.1f MiB, RSS +%.1f MiB\n",
                    morphCacheFolder().c_str(), seconds(t0, t1), c1 - c0,
                    double(bytes) / 1048576.0, double(rssKiB() - rss0) / 1024);
    }
    {
        const double c0 = cpuSeconds();
        const auto t0 = Clock::now();
        MorphTable table;
        const std::string err = loadMorphTable(src, table);
        const auto t1 = Clock::now();
        const double c1 = cpuSeconds();
        if (!err.empty()) {
            std::fprintf(stderr, "%s\n", err.c_str());
            return 1;
        }
        std::printf("build from dictionary files: %.3f s (%.3f s processor), %zu forms, "
                    "%zu lemmas\n",
                    seconds(t0, t1), c1 - c0, table.formCount(), table.lemmaCount());
    }

    if (!fs::is_directory(corpusDir)) {
        std::printf("no corpus at %s (bench/morph/corpus.sh installs one)\n",
                    corpusDir.string().c_str());
        return 0;
    }
    const Corpus c = readCorpus(corpusDir);
    std::printf("corpus: %zu pages, %.1f MB of HTML, %zu Cyrillic word tokens of 3+ letters\n",
                c.files, double(c.bytes) / 1e6, c.tokens.size());

    // Coverage and uncached cost.
    size_t known = 0;
    std::unordered_map<std::string, size_t> unknown;
    int32_t num;
    double c2 = cpuSeconds();
    for (const std::string& t : c.tokens) {
        if (lemmatize(t, num))
            ++known;
        else
            ++unknown[t];
    }
    double c3 = cpuSeconds();
    const double uncached = (c3 - c2) / double(c.tokens.size()) * 1e6;

    // Behind a per-word cache, as a book builder keeps one.
    std::unordered_map<std::string, int32_t> cache;
    c2 = cpuSeconds();
    size_t knownCached = 0;
    for (const std::string& t : c.tokens) {
        auto it = cache.find(t);
        if (it == cache.end()) it = cache.emplace(t, lemmatize(t, num) ? num : 0).first;
        knownCached += it->second != 0;
    }
    c3 = cpuSeconds();
    const double cached = (c3 - c2) / double(c.tokens.size()) * 1e6;

    // Hunspell alone, for comparison: a token counts when the dictionary accepts it.
    size_t hunKnown = 0, hunOnly = 0;
    {
        Hunspell h(src.affPath.c_str(), src.dicPath.c_str());
        std::unordered_map<std::string, bool> seen;
        for (const std::string& t : c.tokens) {
            auto it = seen.find(t);
            if (it == seen.end()) it = seen.emplace(t, h.spell(cp1251ToUtf8(t))).first;
            hunKnown += it->second;
            hunOnly += it->second && unknown.count(t);
        }
    }
    std::printf("tokens with a lemma: %.2f%% (hunspell alone accepts %.2f%%; tokens it accepts "
                "without a lemma here: %zu), %zu distinct unknown\n",
                100.0 * double(known) / double(c.tokens.size()),
                100.0 * double(hunKnown) / double(c.tokens.size()), hunOnly, unknown.size());
    std::printf("lemmatize (processor time): %.2f us per word uncached, %.3f us behind a "
                "per-word cache (%.1fx; %zu distinct words)\n",
                uncached, cached, uncached / cached, cache.size());
    (void)knownCached;

    // Form building as the highlighter does it: 256 calls per lemma number.
    std::vector<int32_t> lemmaNumbers;
    for (const auto& [w, n] : cache)
        if (n != 0) lemmaNumbers.push_back(n);
    std::sort(lemmaNumbers.begin(), lemmaNumbers.end());
    lemmaNumbers.erase(std::unique(lemmaNumbers.begin(), lemmaNumbers.end()), lemmaNumbers.end());
    if (lemmaNumbers.size() > 2000) lemmaNumbers.resize(2000);
    static char out[4096];
    size_t forms = 0;
    c2 = cpuSeconds();
    for (int32_t n : lemmaNumbers)
        for (int f = 0; f < 256; ++f) forms += size_t(morphBuildForm(0, n, 256, uint8_t(f), out, 4096));
    c3 = cpuSeconds();
    std::printf("form dictionary of one lemma (256 calls, processor time): %.1f us, %.1f forms "
                "on average\n",
                (c3 - c2) / double(lemmaNumbers.size()) * 1e6,
                double(forms) / double(lemmaNumbers.size()));

    // The readings that decide which lemma the index keys a word by: the frequent words with
    // more than one lemma, for review of the first-lemma rule.
    std::unordered_map<std::string, size_t> freq;
    for (const std::string& t : c.tokens) ++freq[t];
    std::vector<std::pair<std::string, size_t>> ambiguous;
    for (const auto& [w, n] : freq)
        if (morphLemmas(w).size() > 1) ambiguous.emplace_back(w, n);
    std::sort(ambiguous.begin(), ambiguous.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    size_t ambiguousTokens = 0;
    for (const auto& a : ambiguous) ambiguousTokens += a.second;
    std::printf("tokens with more than one lemma: %.1f%%; the most frequent:\n",
                100.0 * double(ambiguousTokens) / double(c.tokens.size()));
    for (size_t i = 0; i < ambiguous.size() && i < showAmbiguous; ++i) {
        std::printf("  %6zu %s:", ambiguous[i].second, cp1251ToUtf8(ambiguous[i].first).c_str());
        for (const MorphLemma& l : morphLemmas(ambiguous[i].first))
            std::printf(" %s", cp1251ToUtf8(l.text).c_str());
        std::printf("\n");
    }

    std::vector<std::pair<std::string, size_t>> top(unknown.begin(), unknown.end());
    std::sort(top.begin(), top.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::printf("most frequent unknown words:\n");
    for (size_t i = 0; i < top.size() && i < 60; ++i)
        std::printf("  %6zu %s\n", top[i].second, cp1251ToUtf8(top[i].first).c_str());
    return 0;
}
