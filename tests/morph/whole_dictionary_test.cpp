// The whole dictionary through the library calls: the invariant the search depends on, and the
// expander against hunspell itself.
#include "morph_calls.h"
#include "platform/morph.h"
#include "platform/morph_affix.h"
#include "platform/morph_load.h"
#include "platform/morph_number.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <set>
#include <sstream>

namespace {

class MorphWholeDictionary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(morphError(), ""); }
};

// Calls f(form, flags-of-entry) for every word form of every entry of the dictionary, each as
// the dictionary spells it (Windows-1251, the entry's letter case).
template <class F> void forEachDictionaryForm(const AffixSet& aff, F&& f) {
    std::istringstream in(readText(morphDefaultSources().dicPath));
    std::string line, word, flags;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!splitDicLine(line, word, flags)) continue;
        bool ok = true;
        const std::string w = utf8ToCp1251(word, &ok);
        if (!ok || w.find('?') != std::string::npos || aff.forbidden(flags)) continue;
        aff.expand(w, flags, f);
    }
}

AffixSet dictionaryAffixes() {
    AffixSet aff;
    EXPECT_EQ(aff.parse(readText(morphDefaultSources().affPath)), "");
    return aff;
}

} // namespace

// Every form of L has L as its first lemma (over every lemma number), and a word whose first
// lemma is L is among the forms of L (over every form of the dictionary, each spelling).
TEST_F(MorphWholeDictionary, EveryFormLemmatizesBackToItsLemma) {
    const MorphTable* t = morphShared();
    ASSERT_NE(t, nullptr);
    std::vector<std::pair<std::string, int32_t>> formOf; // (form, lemma number it came from)
    formOf.reserve(1500000);
    static char out[4096], next[4096];
    size_t wrong = 0, lemmas = 0;
    for (size_t i = 0; i < t->byNumber.size(); ++i) {
        const int32_t n = t->lemmaNumber[t->byNumber[i]];
        if (i > 0 && n == t->lemmaNumber[t->byNumber[i - 1]]) continue;
        ++lemmas;
        const int count = morphBuildForm(0, n, 256, 0, out, 4096);
        // Every paradigm fits in one buffer-full, so the next form number gives nothing.
        EXPECT_EQ(morphBuildForm(0, n, 256, 1, next, 4096), 0);
        const char* p = out;
        for (int k = 0; k < count; ++k) {
            std::string f(p);
            p += f.size() + 1;
            if (firstNumber1251(f) != n && ++wrong <= 20)
                ADD_FAILURE() << cp1251ToUtf8(f) << " is a form of " << n
                              << " but lemmatizes to " << firstNumber1251(f);
            formOf.emplace_back(std::move(f), n);
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(lemmas, 100000u);
    std::sort(formOf.begin(), formOf.end());

    size_t words = 0, missing = 0;
    std::pair<std::string, int32_t> key;
    forEachDictionaryForm(dictionaryAffixes(), [&](std::string_view f) {
        ++words;
        key.first = upperCp1251(f);
        key.second = firstNumber1251(key.first);
        if (!std::binary_search(formOf.begin(), formOf.end(), key) && ++missing <= 20)
            ADD_FAILURE() << cp1251ToUtf8(key.first) << " (lemma " << key.second
                          << ") is not among the forms of its lemma";
    });
    EXPECT_EQ(missing, 0u);
    EXPECT_GT(words, 1000000u);
}

// On a sample of entries: every form the expander makes is a word hunspell accepts, and every
// stem hunspell finds for it is among its lemmas.
TEST_F(MorphWholeDictionary, AgreesWithHunspell) {
    const MorphSources src = morphDefaultSources();
    Hunspell h(src.affPath.c_str(), src.dicPath.c_str());
    size_t n = 0, checked = 0;
    const AffixSet aff = dictionaryAffixes();
    std::istringstream in(readText(src.dicPath));
    std::string line, word, flags;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (++n % 100 != 0 || !splitDicLine(line, word, flags)) continue;
        aff.expand(utf8ToCp1251(word), flags, [&](std::string_view f) {
            const std::string utf8 = cp1251ToUtf8(f);
            EXPECT_TRUE(h.spell(utf8)) << utf8;
            std::set<std::string> ours;
            for (const MorphLemma& l : morphLemmas(upperCp1251(f))) ours.insert(morphKey(l.text));
            for (const std::string& stem : h.stem(utf8))
                EXPECT_TRUE(ours.count(morphKey(utf8ToCp1251(stem)))) << utf8 << " has stem " << stem;
            ++checked;
        });
    }
    EXPECT_GT(checked, 10000u);
}
