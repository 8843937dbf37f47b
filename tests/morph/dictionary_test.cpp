// The morphology layer on the real dictionary, through the library calls: lemmas of chosen
// words, the buffer limits, form numbering, the frozen word -> number mapping, and the whole
// dictionary checked for collisions and for the invariant the search depends on.
#include "platform/morph.h"
#include "platform/morph_affix.h"
#include "platform/morph_load.h"
#include "platform/morph_number.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Result {
    int count = 0;
    std::vector<std::string> lemmas; // Windows-1251
    std::vector<int32_t> numbers;
};

// The reader's call, with its buffer sizes.
Result lemmatize(const std::string& word1251) {
    char lemmaBuf[256];
    int32_t numbers[32] = {};
    char info[256];
    Result r;
    r.count = morphLemmatize(word1251.c_str(), 256, lemmaBuf, numbers, info, 256, 32, 256);
    const char* p = lemmaBuf;
    for (int i = 0; i < r.count; ++i) {
        r.lemmas.emplace_back(p);
        p += std::strlen(p) + 1;
        r.numbers.push_back(numbers[i]);
    }
    return r;
}

int32_t firstNumber(std::string_view utf8) {
    const Result r = lemmatize(w1251(utf8));
    return r.count > 0 ? r.numbers[0] : 0;
}

// The highlighter's loop: every form number, every form. Checks that nothing is written past
// the buffer. When untilEmpty is set, stops at the first form number that gives nothing.
std::vector<std::string> buildForms(int32_t number, int outSize = 4096, bool untilEmpty = false) {
    std::vector<std::string> forms;
    std::vector<char> out(size_t(outSize) + 16, '\x7F');
    const std::string guard(16, '\x7F');
    for (int f = 0; f < 256; ++f) {
        const int n = morphBuildForm(0, number, 256, uint8_t(f), out.data(), outSize);
        const char* p = out.data();
        for (int i = 0; i < n; ++i) {
            forms.emplace_back(p);
            p += std::strlen(p) + 1;
        }
        EXPECT_LE(p - out.data(), outSize);
        EXPECT_EQ(std::string(out.data() + outSize, 16), guard);
        if (n == 0 && untilEmpty) break;
    }
    return forms;
}

class MorphDictionary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(morphError(), ""); }
};

} // namespace

TEST_F(MorphDictionary, FirstLemmas) {
    const struct {
        const char* word;
        const char* lemma; // "" = unknown
    } cases[] = {
        {"КОШКАМИ", "КОШКА"},
        {"кошками", "КОШКА"},             // lower case is taken too
        {"ЧИТАЮЩЕГО", "ЧИТАЮЩИЙ"},        // participles keep their own lemma
        {"ЧИТЫ", "ЧИТА"},                 // proper names, in upper case
        {"ЛЮДЕЙ", "ЧЕЛОВЕК"},             // suppletive and irregular forms
        {"ЛЮДИ", "ЧЕЛОВЕК"},
        {"ДЕТЬМИ", "РЕБЕНОК"},
        {"ХОЧЕТ", "ХОТЕТЬ"},
        {"ЛЮБВИ", "ЛЮБОВЬ"},
        {"НАЖМИТЕ", "НАЖАТЬ"},
        {"ШЁЛ", "ИДТИ"},
        {"ШЕЛ", "ИДТИ"},
        {"ЕДЯТ", "ЕСТЬ"},
        {"ДАСТ", "ДАТЬ"},
        {"ЛУЧШЕ", "ХОРОШИЙ"},             // comparatives
        {"ХУЖЕ", "ПЛОХОЙ"},
        {"ЕГО", "ОН"},                    // pronoun paradigms
        {"НЕЁ", "ОНА"},
        {"НЕЕ", "ОНА"},
        {"ИМ", "ОН"},
        {"ИХ", "ОНИ"},
        {"ВСЕХ", "ВЕСЬ"},
        {"ЭТОЙ", "ЭТОТ"},
        {"ТРЁМ", "ТРИ"},                  // numerals
        {"ПЯТЬЮ", "ПЯТЬ"},
        {"ТЫСЯЧАМИ", "ТЫСЯЧА"},
        {"ЁЖИКОВ", "ЕЖИК"},               // Ё and Е find the same lemma
        {"ЕЖИКОВ", "ЕЖИК"},
        {"СЕВЕРО-ЗАПАДНОГО", "ЗАПАДНЫЙ"}, // hyphenated: the last part of 3+ letters
        {"ЧТО-ТО", "ЧТО"},                // "ТО" is never counted on a page
        {"КОГО-НИБУДЬ", "КТО"},           // a particle only when nothing else is known
        {"КОЕ-ЧТО", "ЧТО"},
        {"ВСЕ-ТАКИ", "ВЕСЬ"},
        {"ИНТЕРНЕТ-МАГАЗИНА", "МАГАЗИН"},
        {"МАГАЗИН-ЩЩЩЩ", "МАГАЗИН"},
        {"-ТО", ""},
        {"ПО-", ""},
        {"ЩЩЩЩ", ""},
        {"ABC", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const Result r = lemmatize(w1251(c.word));
        if (*c.lemma == '\0') {
            EXPECT_EQ(r.count, 0) << c.word;
            continue;
        }
        ASSERT_GT(r.count, 0) << c.word;
        EXPECT_EQ(morphKey(r.lemmas[0]), morphKey(w1251(c.lemma))) << c.word << " -> "
                                                                  << cp1251ToUtf8(r.lemmas[0]);
        EXPECT_EQ(r.numbers[0], morphHashNumber(morphKey(w1251(c.lemma)))) << c.word;
    }
    // Too long for the library's buffers.
    EXPECT_EQ(lemmatize(std::string(300, '\xC0')).count, 0);
}

TEST_F(MorphDictionary, LemmatizeKeepsToTheBuffers) {
    const std::string word = w1251("СТЕКЛА"); // СТЕКЛО, СТЕЧЬ
    const std::vector<MorphLemma> all = morphLemmas(word);
    ASSERT_GE(all.size(), 2u);
    const int first = int(all[0].text.size()) + 1;

    char buf[64];
    int32_t numbers[4];
    char info[8];
    const struct {
        int lemmaSize, numbersCount, infoSize;
        int count;
    } cases[] = {
        {first, 4, 8, 1},         // room for the first lemma only
        {first - 1, 4, 8, 0},     // not even that
        {64, 1, 8, 1},            // one number
        {64, 4, 0, int(all.size())},
        {0, 4, 8, 0},
    };
    for (const auto& c : cases) {
        std::memset(buf, 0x7F, sizeof buf);
        std::memset(numbers, 0x7F, sizeof numbers);
        std::memset(info, 0x7F, sizeof info);
        const int n = morphLemmatize(word.c_str(), 256, buf, numbers, info, c.lemmaSize,
                                     c.numbersCount, c.infoSize);
        EXPECT_EQ(n, c.count) << c.lemmaSize << " " << c.numbersCount;
        for (int i = std::max(c.lemmaSize, 0); i < 64; ++i) EXPECT_EQ(buf[i], 0x7F);
        for (int i = n; i < 4; ++i) EXPECT_EQ(numbers[i], 0x7F7F7F7F);
        for (int i = 0; i < n; ++i) EXPECT_EQ(numbers[i], all[size_t(i)].number);
        if (n > 0) {
            EXPECT_EQ(std::string(buf), all[0].text);
        }
        for (int i = c.infoSize > 0 ? 1 : 0; i < 8; ++i) EXPECT_EQ(info[i], 0x7F);
    }
    EXPECT_EQ(morphLemmatize(nullptr, 256, buf, numbers, info, 64, 4, 8), 0);
}

TEST_F(MorphDictionary, FormNumbersContinueWhereTheBufferFilled) {
    const int32_t verb = firstNumber("ЧИТАТЬ");
    const std::vector<std::string> whole = buildForms(verb);
    ASSERT_GT(whole.size(), 10u);
    char out[4096];
    EXPECT_EQ(morphBuildForm(0, verb, 256, 0, out, 4096), int(whole.size()));
    EXPECT_EQ(morphBuildForm(0, verb, 256, 1, out, 4096), 0);
    // Small buffers: the same forms in the same order, spread over several form numbers; forms
    // longer than the whole buffer are left out.
    for (int size : {7, 20, 64}) {
        std::vector<std::string> fitting;
        for (const std::string& f : whole)
            if (int(f.size()) < size) fitting.push_back(f);
        EXPECT_EQ(buildForms(verb, size), fitting) << size;
    }
    // A buffer too small for any form, unknown and impossible numbers: nothing.
    EXPECT_TRUE(buildForms(verb, 3).empty());
    EXPECT_EQ(morphBuildForm(0, verb, 256, 0, nullptr, 4096), 0);
    EXPECT_EQ(morphBuildForm(0, verb, 256, 0, out, 0), 0);
    EXPECT_TRUE(buildForms(0).empty());
    EXPECT_TRUE(buildForms(-5).empty());
    // Every form of the lexeme, both Ё and Е spellings.
    const std::vector<std::string> go = buildForms(firstNumber("ИДТИ"));
    for (const char* f : {"ИДТИ", "ИДУ", "ШЁЛ", "ШЕЛ", "ШЛА", "ИДЁТ", "ИДЕТ"})
        EXPECT_NE(std::find(go.begin(), go.end(), w1251(f)), go.end()) << f;
}

TEST_F(MorphDictionary, GoldenNumbers) {
    const std::string path = morphDefaultSources().supplementPath;
    const std::string golden =
        readText(path.substr(0, path.rfind('/')) + "/golden.txt");
    std::istringstream in(golden);
    std::string line;
    size_t checked = 0;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream ls(line);
        std::string word;
        long long number;
        if (!(ls >> word >> number)) continue;
        EXPECT_EQ(firstNumber(word), number) << word;
        ++checked;
    }
    EXPECT_GE(checked, 2000u);
}

// Every lemma number of the dictionary and the supplement belongs to one lemma text.
TEST_F(MorphDictionary, NoLemmaNumberCollisions) {
    const MorphTable* t = morphShared();
    ASSERT_NE(t, nullptr);
    std::string report;
    for (size_t i = 1; i < t->byNumber.size(); ++i) {
        const uint32_t a = t->byNumber[i - 1], b = t->byNumber[i];
        if (t->lemmaNumber[a] != t->lemmaNumber[b]) continue;
        report += cp1251ToUtf8(t->lemmaDisplay(a)) + " and " + cp1251ToUtf8(t->lemmaDisplay(b)) +
                  " share " + std::to_string(t->lemmaNumber[a]) + "\n";
    }
    EXPECT_EQ(report, "") << "add a line \"LEMMA NUMBER\" to data/morph/overrides.txt (how the "
                             "number is chosen is written at its top)";
}

// The search's invariant, over every lemma number and every word form of the dictionary (each
// spelling as the dictionary writes it): every form of L has L as its first lemma, and a word
// whose first lemma is L is among the forms of L.
TEST_F(MorphDictionary, EveryFormLemmatizesBackToItsLemma) {
    const MorphTable* t = morphShared();
    ASSERT_NE(t, nullptr);
    std::vector<std::pair<std::string, int32_t>> formOf; // (form, lemma number it came from)
    size_t wrong = 0;
    for (size_t i = 0; i < t->byNumber.size(); ++i) {
        const int32_t n = t->lemmaNumber[t->byNumber[i]];
        if (i > 0 && n == t->lemmaNumber[t->byNumber[i - 1]]) continue;
        for (std::string& f : buildForms(n, 4096, true)) {
            const Result r = lemmatize(f);
            if ((r.count == 0 || r.numbers[0] != n) && ++wrong <= 20)
                ADD_FAILURE() << cp1251ToUtf8(f) << " is a form of " << n << " but lemmatizes to "
                              << (r.count ? cp1251ToUtf8(r.lemmas[0]) : "nothing");
            formOf.emplace_back(std::move(f), n);
        }
    }
    EXPECT_EQ(wrong, 0u);
    std::sort(formOf.begin(), formOf.end());

    const MorphSources src = morphDefaultSources();
    AffixSet aff;
    ASSERT_EQ(aff.parse(readText(src.affPath)), "");
    std::istringstream in(readText(src.dicPath));
    std::string line, word, flags;
    std::getline(in, line);
    size_t words = 0, missing = 0;
    while (std::getline(in, line)) {
        if (!splitDicLine(line, word, flags)) continue;
        bool ok = true;
        const std::string w = utf8ToCp1251(word, &ok);
        if (!ok || w.find('?') != std::string::npos || aff.forbidden(flags)) continue;
        aff.expand(w, flags, [&](std::string_view f) {
            ++words;
            std::pair<std::string, int32_t> key{upperCp1251(f), 0};
            const Result r = lemmatize(key.first);
            key.second = r.count > 0 ? r.numbers[0] : 0;
            if (!std::binary_search(formOf.begin(), formOf.end(), key) && ++missing <= 20)
                ADD_FAILURE() << cp1251ToUtf8(key.first) << " is not among the forms of "
                              << (r.count ? cp1251ToUtf8(r.lemmas[0]) : "its lemma");
        });
    }
    EXPECT_EQ(missing, 0u);
    EXPECT_GT(words, 1000000u);
}

// The expander against hunspell itself on a sample: every form it makes is a word hunspell
// accepts, and every stem hunspell finds for it is among its lemmas.
TEST_F(MorphDictionary, AgreesWithHunspell) {
    const MorphSources src = morphDefaultSources();
    AffixSet aff;
    ASSERT_EQ(aff.parse(readText(src.affPath)), "");
    Hunspell h(src.affPath.c_str(), src.dicPath.c_str());
    std::istringstream in(readText(src.dicPath));
    std::string line, word, flags;
    std::getline(in, line);
    size_t n = 0, checked = 0;
    while (std::getline(in, line)) {
        if (++n % 100 != 0 || !splitDicLine(line, word, flags)) continue;
        bool ok = true;
        const std::string w = utf8ToCp1251(word, &ok);
        if (!ok) continue;
        aff.expand(w, flags, [&](std::string_view f) {
            const std::string utf8 = cp1251ToUtf8(f);
            EXPECT_TRUE(h.spell(utf8)) << utf8;
            std::set<std::string> ours;
            for (const MorphLemma& l : morphLemmas(upperCp1251(f))) ours.insert(l.text);
            for (const std::string& stem : h.stem(utf8))
                EXPECT_TRUE(ours.count(morphKey(utf8ToCp1251(stem))) ||
                            ours.count(upperCp1251(utf8ToCp1251(stem))))
                    << utf8 << " has stem " << stem;
            ++checked;
        });
    }
    EXPECT_GT(checked, 10000u);
}
