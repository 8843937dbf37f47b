// The dictionary reader, the affix expander, the supplement and override formats, and the rules
// by which the tables order a form's lemmas, on small inline fixtures.
#include "platform/morph_affix.h"
#include "platform/morph_number.h"
#include "platform/morph_supplement.h"
#include "platform/morph_table.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

std::string u(std::string_view cp1251) { return cp1251ToUtf8(cp1251); }

std::set<std::string> expandUtf8(const AffixSet& a, std::string_view word, std::string_view flags) {
    std::set<std::string> out;
    a.expand(w1251(word), flags, [&](std::string_view f) { out.insert(u(f)); });
    return out;
}

const char* kAff = R"(SET UTF-8
TRY оеаин
REP 1
REP е ё
KEEPCASE K
FORBIDDENWORD !
# adjectives: two of the endings only after a consonant other than ц
SFX A Y 3
SFX A   ый   ая   ый
SFX A   ый   ое   [^ц]ый
SFX A   ый   ого  [^ц]ый   po:adj
# the condition looks at the root before stripping: ь after л is left alone
SFX D N 1
SFX D   ь    и    [^л]ь
# strip as long as the word: not applied
SFX E N 1
SFX E   ок   ка   ок
SFX N N 1
SFX N   а    и    а
SFX O N 1
SFX O   о    а    о
SFX V N 1
SFX V   ечь  екла ечь
SFX G N 1
SFX G   0    а    [^а]
SFX X N 1
SFX X   0    вой  о
PFX P Y 1
PFX P   0    не   .
PFX Q N 1
PFX Q   0    пре  .
)";

AffixSet parsed(std::string_view aff) {
    AffixSet a;
    EXPECT_EQ(a.parse(aff), "");
    return a;
}

} // namespace

TEST(MorphAffix, ExpandsSuffixesWithConditionsOnTheRoot) {
    const AffixSet a = parsed(kAff);
    using S = std::set<std::string>;
    EXPECT_EQ(expandUtf8(a, "новый", "A"), (S{"новый", "новая", "новое", "нового"}));
    EXPECT_EQ(expandUtf8(a, "куцый", "A"), (S{"куцый", "куцая"}));
    EXPECT_EQ(expandUtf8(a, "кость", "D"), (S{"кость", "кости"}));
    EXPECT_EQ(expandUtf8(a, "соль", "D"), (S{"соль"}));
    EXPECT_EQ(expandUtf8(a, "ок", "E"), (S{"ок"}));
    EXPECT_EQ(expandUtf8(a, "кок", "E"), (S{"кок", "кка"}));
    // No flags, or flags the affix file does not define: the entry is its only form.
    EXPECT_EQ(expandUtf8(a, "где", ""), (S{"где"}));
    EXPECT_EQ(expandUtf8(a, "где", "Zz"), (S{"где"}));
}

TEST(MorphAffix, CombinesPrefixAndSuffixOnlyWhenBothAllowIt) {
    const AffixSet a = parsed(kAff);
    using S = std::set<std::string>;
    EXPECT_EQ(expandUtf8(a, "новый", "AP"),
              (S{"новый", "новая", "новое", "нового", "неновый", "неновая", "неновое", "ненового"}));
    // N does not cross: the prefix goes on the root only.
    EXPECT_EQ(expandUtf8(a, "нога", "NP"), (S{"нога", "ноги", "ненога"}));
    // Q does not cross either.
    EXPECT_EQ(expandUtf8(a, "новый", "AQ"),
              (S{"новый", "новая", "новое", "нового", "преновый"}));
}

TEST(MorphAffix, ForbiddenFlag) {
    const AffixSet a = parsed(kAff);
    EXPECT_TRUE(a.forbidden("A!"));
    EXPECT_FALSE(a.forbidden("AP"));
}

TEST(MorphAffix, RefusesWhatTheExpanderDoesNotImplement) {
    const struct {
        const char* what;
        std::string aff;
        const char* message;
    } cases[] = {
        {"no encoding", "SFX A Y 1\nSFX A 0 а .\n", "SET UTF-8"},
        {"other encoding", "SET KOI8-R\n", "only UTF-8"},
        {"aliases", "SET UTF-8\nAF 1\nAF AB\n", "line 2: AF is not supported"},
        {"morph aliases", "SET UTF-8\nAM 1\n", "AM is not supported"},
        {"compounding", "SET UTF-8\nCOMPOUNDFLAG X\n", "COMPOUNDFLAG is not supported"},
        {"compound rules", "SET UTF-8\nCOMPOUNDRULE 1\n", "COMPOUNDRULE is not supported"},
        {"needaffix", "SET UTF-8\nNEEDAFFIX X\n", "NEEDAFFIX is not supported"},
        {"circumfix", "SET UTF-8\nCIRCUMFIX X\n", "CIRCUMFIX is not supported"},
        {"input conversion", "SET UTF-8\nICONV 1\nICONV а б\n", "ICONV is not supported"},
        {"output conversion", "SET UTF-8\nOCONV 1\n", "OCONV is not supported"},
        {"ignored characters", "SET UTF-8\nIGNORE ь\n", "IGNORE is not supported"},
        {"long flags", "SET UTF-8\nFLAG long\n", "FLAG long is not supported"},
        {"numeric flags", "SET UTF-8\nFLAG num\n", "FLAG num is not supported"},
        {"continuation", "SET UTF-8\nSFX A Y 1\nSFX A 0 ов/B .\n", "continuation"},
        {"short table", "SET UTF-8\nSFX A Y 2\nSFX A 0 а .", "ends inside a rule table"},
        {"short table, more lines", "SET UTF-8\nSFX A Y 2\nSFX A 0 а .\nTRY а\n", "line 4: expected SFX A"},
        {"wrong rule line", "SET UTF-8\nSFX A Y 1\nSFX B 0 а .\n", "line 3: expected SFX A"},
        {"bad count", "SET UTF-8\nSFX A Y x\n", "malformed affix count"},
        {"bad header", "SET UTF-8\nSFX AB Y 1\n", "malformed affix header"},
        {"twice", "SET UTF-8\nSFX A Y 0\nPFX A Y 0\n", "defined twice"},
        {"open condition", "SET UTF-8\nSFX A Y 1\nSFX A 0 а [аб\n", "malformed condition"},
    };
    for (const auto& c : cases) {
        AffixSet a;
        const std::string err = a.parse(c.aff);
        EXPECT_NE(err.find(c.message), std::string::npos) << c.what << ": " << err;
    }
}

TEST(MorphAffix, SplitsDictionaryLines) {
    const struct {
        const char* line;
        bool ok;
        const char* word;
        const char* flags;
    } cases[] = {
        {"слово/AB", true, "слово", "AB"},
        {"слово", true, "слово", ""},
        {"слово/AB\r", true, "слово", "AB"},
        {"слово/A\tpo:noun", true, "слово", "A"},
        {"слово\tpo:noun", true, "слово", ""},
        {"a\\/b/C", true, "a/b", "C"},
        {"", false, "", ""},
        {"/AB", false, "", "AB"},
    };
    for (const auto& c : cases) {
        std::string word, flags;
        EXPECT_EQ(splitDicLine(c.line, word, flags), c.ok) << c.line;
        EXPECT_EQ(word, c.word) << c.line;
        EXPECT_EQ(flags, c.flags) << c.line;
    }
}

TEST(MorphNumber, HashIsFrozen) {
    // FNV-1a of "a" is 0xE40C292C; the number keeps its low 31 bits.
    EXPECT_EQ(morphHashNumber("a"), 0x640C292C);
    EXPECT_EQ(morphHashNumber(""), int32_t(2166136261u & 0x7FFFFFFFu));
    EXPECT_EQ(morphKey(w1251("ёлка")), w1251("ЕЛКА"));
    EXPECT_EQ(morphKey(w1251("Ёлка-2")), w1251("ЕЛКА-2"));
}

TEST(MorphNumber, OverrideTable) {
    LemmaNumbers n;
    ASSERT_EQ(n.parse("# comment\n\nЁЖ 5   # folded like every key\r\nкот  2147483647\n"), "");
    EXPECT_EQ(n.number(w1251("ЕЖ")), 5);
    EXPECT_EQ(n.number(w1251("КОТ")), 2147483647);
    EXPECT_EQ(n.number(morphKey(w1251("ПЁС"))), morphHashNumber(w1251("ПЕС")));

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"ЕЖ\n", "line 1: expected LEMMA NUMBER"},
        {"ЕЖ 0\n", "out of range"},
        {"ЕЖ 2147483648\n", "out of range"},
        {"ЕЖ 12x\n", "malformed number"},
        {"ЕЖ -3\n", "malformed number"},
        {"ЕЖ 1\nЁЖ 2\n", "line 2: lemma listed twice"},
        {"\xFF\xFE 1\n", "not valid UTF-8"},
    };
    for (const auto& c : bad) {
        LemmaNumbers m;
        const std::string err = m.parse(c.text);
        EXPECT_NE(err.find(c.message), std::string::npos) << c.text << ": " << err;
    }
}

TEST(MorphSupplement, ParsesLexemesAndEntries) {
    Supplement s;
    ASSERT_EQ(s.parse("# pronouns\nон: его, него +оно  # comment\nинтернет/N\nгде\n"), "");
    ASSERT_EQ(s.lexemes.size(), 1u);
    EXPECT_EQ(u(s.lexemes[0].lemma), "он");
    EXPECT_EQ(s.lexemes[0].forms, (std::vector<std::string>{w1251("его"), w1251("него")}));
    EXPECT_EQ(s.lexemes[0].joins, (std::vector<std::string>{w1251("оно")}));
    EXPECT_EQ(s.lexemes[0].line, 2);
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(u(s.entries[0].word), "интернет");
    EXPECT_EQ(s.entries[0].flags, "N");
    EXPECT_EQ(u(s.entries[1].word), "где");
    EXPECT_EQ(s.entries[1].flags, "");

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"он: его2\n", "line 1: \"его2\" is not a word of letters"},
        {"\nон: e-mail\n", "line 2"},
        {": его\n", "lemma must be one word"},
        {"два слова\n", "expected \"word\""},
        {"слово/A лишнее\n", "expected \"word\""},
        {"он: \xFF\n", "not valid UTF-8"},
    };
    for (const auto& c : bad) {
        Supplement t;
        const std::string err = t.parse(c.text);
        EXPECT_NE(err.find(c.message), std::string::npos) << c.text << ": " << err;
    }
}

namespace {

// Builds tables from fixtures; words in the results are UTF-8.
struct Fixture {
    MorphTable t;
    std::string error;

    Fixture(std::string_view dic, std::string_view supplement, std::string_view overrides = "") {
        AffixSet a = parsed(kAff);
        Supplement s;
        EXPECT_EQ(s.parse(supplement), "");
        LemmaNumbers n;
        EXPECT_EQ(n.parse(overrides), "");
        error = buildMorphTable(a, dic, s, n, t);
    }
    std::vector<std::string> lemmas(std::string_view wordUtf8) const {
        std::vector<std::string> out;
        const uint32_t f = t.find(morphKey(w1251(wordUtf8)));
        if (f == MorphTable::kNone) return out;
        for (uint32_t l : t.lemmasOf(f)) out.push_back(u(t.lemmaDisplay(l)));
        return out;
    }
    std::vector<std::string> forms(std::string_view lemmaUtf8) const {
        std::vector<std::string> out;
        for (uint32_t l : t.lemmasNumbered(morphHashNumber(morphKey(w1251(lemmaUtf8)))))
            for (uint32_t f : t.formsOf(l)) {
                out.push_back(u(t.formKey(f)));
                for (uint32_t yo : t.yoSpellings(f)) out.push_back(u(t.text(yo)));
            }
        return out;
    }
};

using V = std::vector<std::string>;

} // namespace

TEST(MorphTable, OrdersLemmasSupplementHeadwordParadigmNames) {
    // "ноги" is a form of "нога" and a headword of its own: the headword comes first ...
    EXPECT_EQ(Fixture("2\nнога/N\nноги\n", "").lemmas("ноги"), (V{"НОГИ", "НОГА"}));
    // ... unless the supplement names the lexeme, which always comes first.
    EXPECT_EQ(Fixture("2\nнога/N\nноги\n", "нога: ноги\n").lemmas("ноги"), (V{"НОГА", "НОГИ"}));

    // Otherwise the lemma with the larger paradigm comes first, then byte order; proper names
    // (capitalised entries) come after common words, even as headwords.
    const Fixture f("6\nстекло/O\nстечь/V\nкок/G\nкоко/OX\nСвета/N\nсвет/G\n", "");
    ASSERT_EQ(f.error, "");
    EXPECT_EQ(f.lemmas("стекла"), (V{"СТЕКЛО", "СТЕЧЬ"}));
    EXPECT_EQ(f.lemmas("кока"), (V{"КОКО", "КОК"}));
    EXPECT_EQ(f.lemmas("света"), (V{"СВЕТ", "СВЕТА"}));
    EXPECT_EQ(f.lemmas("светы"), V{});
    EXPECT_EQ(f.lemmas("свети"), (V{"СВЕТА"}));
    EXPECT_EQ(f.lemmas("кокс"), V{});

    // Two supplement lines listing one form: the earlier line first.
    EXPECT_EQ(Fixture("2\nстекло/O\nстечь/V\n", "стечь: стекла\nстекло: стекла\n").lemmas("стекла"),
              (V{"СТЕЧЬ", "СТЕКЛО"}));
}

TEST(MorphTable, JoinsAndYoSpellings) {
    const Fixture f("6\nчеловек\nлюдь/D\nёлка/N\nелка\nвсё\nчетырёхвёсельный\nчетырехвёсельный\n",
                    "человек: +людь людей\n");
    ASSERT_EQ(f.error, "");
    EXPECT_EQ(f.lemmas("люди"), (V{"ЧЕЛОВЕК", "ЛЮДЬ"}));
    EXPECT_EQ(f.lemmas("людь"), (V{"ЧЕЛОВЕК", "ЛЮДЬ"}));
    EXPECT_EQ(f.lemmas("людей"), (V{"ЧЕЛОВЕК"}));
    EXPECT_EQ(f.forms("человек"), (V{"ЛЮДЕЙ", "ЛЮДИ", "ЛЮДЬ", "ЧЕЛОВЕК"}));
    // The lemma whose forms all went elsewhere has none left.
    EXPECT_EQ(f.forms("людь"), V{});
    // Ё and Е spellings are one key; the forms give both spellings.
    EXPECT_EQ(f.lemmas("елки"), (V{"ЁЛКА"}));
    EXPECT_EQ(f.lemmas("ёлки"), (V{"ЁЛКА"}));
    EXPECT_EQ(f.forms("елка"), (V{"ЕЛКА", "ЁЛКА", "ЕЛКИ", "ЁЛКИ"}));
    EXPECT_EQ(f.forms("все"), (V{"ВСЕ", "ВСЁ"}));
    EXPECT_EQ(f.forms("четырехвесельный"),
              (V{"ЧЕТЫРЕХВЕСЕЛЬНЫЙ", "ЧЕТЫРЁХВЁСЕЛЬНЫЙ", "ЧЕТЫРЕХВЁСЕЛЬНЫЙ"})); // byte order
}

TEST(MorphTable, SupplementErrorsAndForbiddenEntries) {
    EXPECT_EQ(Fixture("1\nкот\n", "кит: +кашалот\n").error,
              "supplement line 1: \"кашалот\" is not a dictionary lemma");
    const Fixture f("2\nкот\nкит/!\n", "");
    ASSERT_EQ(f.error, "");
    EXPECT_EQ(f.lemmas("кит"), V{});
    EXPECT_EQ(Fixture("0\n", "").error, "the dictionary has no words");
}

TEST(MorphTable, FormsFollowTheNumberEvenWhenTwoLemmasShareIt) {
    // An unresolved collision must not break "the forms of a number are exactly the words whose
    // first lemma has that number".
    const Fixture f("2\nкот\nкит/N\n", "", "КОТ 77\nКИТ 77\n");
    ASSERT_EQ(f.error, "");
    std::set<std::string> forms;
    for (uint32_t l : f.t.lemmasNumbered(77))
        for (uint32_t form : f.t.formsOf(l)) forms.insert(u(f.t.formKey(form)));
    EXPECT_EQ(forms, (std::set<std::string>{"КОТ", "КИТ"}));
    EXPECT_EQ(f.t.validate(), "");
}

TEST(MorphTable, ValidateCatchesDamage) {
    const AffixSet aff = parsed(kAff);
    const Supplement none;
    const LemmaNumbers hashes;
    MorphArrays good;
    ASSERT_EQ(buildMorphArrays(aff, "3\nкот\nкит/N\nёж\n", none, hashes, good), "");
    EXPECT_EQ(MorphTable::of(std::make_shared<MorphArrays>(good)).validate(), "");
    const struct {
        const char* what;
        void (*damage)(MorphArrays&);
    } cases[] = {
        {"form offset", [](MorphArrays& t) { t.formStart[1] = 1000; }},
        {"spelling offset", [](MorphArrays& t) { t.yoText[0] = 1000; }},
        {"spelling form", [](MorphArrays& t) { t.yoForm[0] = 1000; }},
        {"spelling count", [](MorphArrays& t) { t.yoForm.push_back(0); }},
        {"lemma id", [](MorphArrays& t) { t.formLemmas[0] = 1000; }},
        {"form id", [](MorphArrays& t) { t.lemmaForms[0] = 1000; }},
        {"number", [](MorphArrays& t) { t.lemmaNumber[0] = 0; }},
        {"text", [](MorphArrays& t) { t.textArena.back() = 'x'; }},
        {"slots", [](MorphArrays& t) { t.hashSlots.pop_back(); }},
        {"slot value", [](MorphArrays& t) { t.hashSlots[0] = 1000; }},
        {"slots full", [](MorphArrays& t) { std::fill(t.hashSlots.begin(), t.hashSlots.end(), 1); }},
        {"order", [](MorphArrays& t) { std::reverse(t.byNumber.begin(), t.byNumber.end()); }},
    };
    for (const auto& c : cases) {
        auto damaged = std::make_shared<MorphArrays>(good);
        c.damage(*damaged);
        EXPECT_NE(MorphTable::of(damaged).validate(), "") << c.what;
    }
}
