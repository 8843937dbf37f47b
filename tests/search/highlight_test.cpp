// The highlighter on small pages with a form dictionary made by hand, so each rule shows on its
// own; the tests with the real dictionary are in highlight_morph_test.cpp.
#include "search/blword.h"
#include "search/highlight.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kCat = 1, kDog = 2, kHouse = 3, kHedgehog = 4;

Blword dictionary() {
    Blword forms;
    for (const char* f : {"кот", "кота", "котом", "коты"}) forms.add(w1251(f), kCat);
    for (const char* f : {"пес", "пса", "псом"}) forms.add(w1251(f), kDog);
    for (const char* f : {"дом", "дома"}) forms.add(w1251(f), kHouse);
    forms.add(w1251("ежик"), kHedgehog);
    return forms;
}

// The page's marked words, in order, as the page spells them.
std::vector<std::string> marked(std::string_view page, const HighlightInputs& in) {
    std::vector<std::string> words;
    for (const HitSpan& h : findHits(page, in, dictionary()))
        words.push_back(cp1251ToUtf8(page.substr(h.start, h.end - h.start + 1)));
    return words;
}

HighlightInputs lemmas(std::vector<int32_t> l) {
    HighlightInputs in;
    in.lemmas = std::move(l);
    return in;
}

HighlightInputs literals(std::vector<const char*> l) {
    HighlightInputs in;
    for (const char* s : l) in.literals.push_back(w1251(s));
    return in;
}

using Words = std::vector<std::string>;

TEST(Blword, SortedFormsWithTheFirstLemma) {
    Blword forms;
    size_t position = 99;
    EXPECT_FALSE(forms.find("X", position));
    EXPECT_EQ(position, 0u);
    forms.add(w1251("кот"), 1);
    forms.add(w1251("Кот"), 2); // the same form again: the first lemma stays
    forms.add(w1251("ёж"), 3);  // kept as ЕЖ
    forms.add(w1251("АБВ"), 4);
    ASSERT_EQ(forms.count(), 3u);
    EXPECT_EQ(forms.key(0), w1251("АБВ"));
    EXPECT_EQ(forms.key(1), w1251("ЕЖ"));
    EXPECT_EQ(forms.key(2), w1251("КОТ"));
    EXPECT_FALSE(forms.find(w1251("ААА"), position));
    EXPECT_EQ(position, 0u);
    EXPECT_FALSE(forms.find(w1251("ЖЖЖ"), position));
    EXPECT_EQ(position, 2u);
    EXPECT_FALSE(forms.find(w1251("ЯЯЯ"), position));
    EXPECT_EQ(position, 3u);
    int32_t lemma = 0;
    EXPECT_TRUE(forms.lookup(w1251("к о т"), lemma));
    EXPECT_EQ(lemma, 1);
    EXPECT_TRUE(forms.lookup(w1251("Ёж"), lemma));
    EXPECT_EQ(lemma, 3);
    EXPECT_TRUE(forms.lookup(w1251("еж"), lemma));
    EXPECT_FALSE(forms.lookup(w1251("ежи"), lemma));
}

TEST(Highlight, LemmaPhase) {
    struct Case {
        const char* what;
        const char* page;
        std::vector<int32_t> lemmas;
        Words want;
    };
    const Case cases[] = {
        {"one lemma: every form after <BODY, in the page's letter case",
         "<html><title>кот</title><body>Кот, КОТА и котом; скот</body>", {kCat}, {"Кот", "КОТА", "котом"}},
        {"without <BODY the scan starts at the top", "кот <p>коты", {kCat}, {"кот", "коты"}},
        {"two lemmas more than 3 counted words apart: nothing", "<BODY>кот один два три пес", {kCat, kDog}, {}},
        {"two lemmas 3 counted words apart", "<BODY>кот один два пес", {kCat, kDog}, {"кот", "пес"}},
        {"words of one or two letters are not counted", "<BODY>кот и в на по он ее пса", {kCat, kDog}, {"кот", "пса"}},
        {"three lemmas of which two are near: the pairs", "<BODY>кот пса раз два три четыре пять шесть дом",
         {kCat, kDog, kHouse}, {"кот", "пса"}},
        {"three lemmas all near: the group of three wins over pairs",
         "<BODY>кот пес один два три четыре пять шесть кот пес дом", {kCat, kDog, kHouse}, {"кот", "пес", "дом"}},
        {"three lemmas, one present: below the threshold", "<BODY>кот кот", {kCat, kDog, kHouse}, {}},
        {"a lemma given twice is found alone", "<BODY>кот", {kCat, kCat}, {"кот"}},
        {"a repeated lemma widens the window as in search", "<BODY>кот раз два три четыре пес", {kCat, kDog, kCat},
         {"кот", "пес"}},
        {"the repeated window has its limit too; one lemma of two is too few", "<BODY>кот раз два три четыре пять пес", {kCat, kDog, kCat}, {}},
        {"an unknown lemma highlights nothing", "<BODY>кот", {77}, {}},
        {"ё is a letter and matches е", "<BODY>ёжик, ЁЖИК и ежик; л ёжик", {kHedgehog}, {"ёжик", "ЁЖИК", "ежик", "ёжик"}},
        {"a word inside a tag is neither counted nor marked", "<BODY><img alt=\"кот\"> кот <a href=\"кот.htm\">x</a>",
         {kCat}, {"кот"}},
        {"a word in an attribute joins no group", "<BODY><img alt=\"кот\"> пес", {kCat, kDog}, {}},
        {"words in a tag do not part a group", "<BODY>кот <img alt=\"раз два три четыре пять\"> пес", {kCat, kDog},
         {"кот", "пес"}},
    };
    for (const Case& c : cases) EXPECT_EQ(marked(w1251(c.page), lemmas(c.lemmas)), c.want) << c.what;
}

TEST(Highlight, LiteralPhase) {
    struct Case {
        const char* what;
        const char* page;
        std::vector<const char*> terms;
        Words want;
    };
    const Case cases[] = {
        {"whole words outside tags, in the page's letter case",
         "<p title=\"ТЕРМИН\">Термин, ТЕРМИНЫ, атермин, термин</p>", {"ТЕРМИН"}, {"Термин", "термин"}},
        {"the whole page is searched, also before <BODY", "<title>ТЕРМИН</title><BODY>", {"ТЕРМИН"}, {"ТЕРМИН"}},
        {"Latin letters and ё join words", "ТЕРМИНa aТЕРМИН ТЕРМИНё ТЕРМИН1", {"ТЕРМИН"}, {"ТЕРМИН"}},
        {"a lower-case term is never found", "термин ТЕРМИН", {"термин"}, {}},
        {"of a term inside another only the longer", "термин поиска и термин", {"ТЕРМИН", "ТЕРМИН ПОИСКА"},
         {"термин поиска", "термин"}},
        {"of overlapping terms of one length the first", "абв где жзи", {"ГДЕ ЖЗИ", "АБВ ГДЕ"}, {"абв где"}},
        {"an empty term is ignored", "abc", {""}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(marked(w1251(c.page), literals(c.terms)), c.want) << c.what;

    HighlightInputs both = lemmas({kCat, kDog});
    both.literals.push_back(w1251("ДОМ"));
    EXPECT_EQ(marked(w1251("<BODY>кот дом"), both), Words{}) << "lemmas below the threshold skip the literals too";
}

TEST(Highlight, OutputAnchorsArrowsAndColour) {
    const std::string page = w1251("<BODY>Кот и пес.</BODY>");
    HighlightInputs in = lemmas({kCat, kDog});
    in.colourHtml = "00ff7f";
    const std::string want = w1251(
        "<BODY><a name=\"word1\"></a><font color=\"#00ff7f\"><b>Кот</b></font>"
        "<a href=\"#word2\"><img border=0 align=absmiddle height=11 width=16 src='kovrex_right.gif'></a>"
        " и <a href=\"#word1\"><img border=0 align=absmiddle height=11 width=16 src='kovrex_left.gif'></a>"
        "<a name=\"word2\"></a><font color=\"#00ff7f\"><b>пес</b></font>.</BODY>");
    EXPECT_EQ(markHits(page, findHits(page, in, dictionary()), in.colourHtml), want);
}

TEST(Highlight, EveryHitBeyondTwoThousand) {
    std::string page = "<BODY>";
    for (int i = 0; i < 2500; ++i) page += w1251("кот ");
    const std::string out = markHits(page, findHits(page, lemmas({kCat}), dictionary()), "ff0000");
    EXPECT_NE(out.find("<a name=\"word2500\">"), std::string::npos);
    EXPECT_EQ(out.find("#word2501"), std::string::npos);
    EXPECT_TRUE(out.ends_with("</b></font> ")) << "the last hit has no right arrow";
}

TEST(Highlight, WritesTheFile) {
    TempDir dir;
    std::string page;
    for (int c = 0; c < 256; ++c) page.push_back(char(c));
    ASSERT_TRUE(highlight(page, HighlightInputs{}, dir.file("tmp.htm")));
    EXPECT_EQ(dir.read("tmp.htm"), page) << "no inputs: a byte copy";
    ASSERT_TRUE(highlight(page, literals({"ZZZ"}), dir.file("tmp.htm")));
    EXPECT_EQ(dir.read("tmp.htm"), page) << "no hits: a byte copy";
    EXPECT_FALSE(highlight(page, HighlightInputs{}, dir.file("missing/folder/tmp.htm")));
}

} // namespace
