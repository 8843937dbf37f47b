// The morphology layer on the real dictionary, through the library calls: lemmas of chosen
// words, the buffer limits, form numbering, the frozen word -> number mapping, and lemma number
// collisions over the whole dictionary.
#include "morph_calls.h"
#include "platform/morph.h"
#include "platform/morph_load.h"
#include "platform/morph_number.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

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
        {"СВЕТА", "СВЕТ"},                // ... after common words
        {"БЫЛИ", "БЫТЬ"},                 // the larger paradigm before БЫЛЬ
        {"ВРЕМЕНИ", "ВРЕМЯ"},
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
        const MorphResult r = lemmatize(w1251(c.word));
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
