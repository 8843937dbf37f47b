#include "platform/text.h"

#include <gtest/gtest.h>

TEST(Text, RoundTripsEveryByteThroughUtf8AndQString) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    const std::string utf8 = cp1251ToUtf8(all);
    bool ok = false;
    EXPECT_EQ(utf8ToCp1251(utf8, &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(fromQString(toQString(all)), all);
}

TEST(Text, ConvertsKnownCharacters) {
    EXPECT_EQ(cp1251ToUtf8("\xC0\xFF\xA8\xB8\xB9\x96"), "Ая" "Ёё" "№–");
    EXPECT_EQ(w1251("Привет, мир"), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
    EXPECT_EQ(toQString("\xCC\xE8\xF0"), QString::fromUtf8("Мир"));
}

TEST(Text, MarksBadUtf8AndUnmappableCharacters) {
    bool ok = true;
    EXPECT_EQ(utf8ToCp1251("a\xFF" "b", &ok), "a?b");
    EXPECT_FALSE(ok);
    EXPECT_EQ(utf8ToCp1251("\xE4\xB8\xAD", &ok), "?"); // a CJK character: well-formed, no byte
    EXPECT_TRUE(ok);
    EXPECT_EQ(utf8ToCp1251("\xD0", &ok), "?"); // truncated sequence
    EXPECT_FALSE(ok);
    EXPECT_FALSE(isValidUtf8("\xC0\x80")); // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // surrogate
}

TEST(Text, CaseFollowsWindows1251Rules) {
    struct Row { const char* in; const char* upper; const char* lower; };
    const Row rows[] = {
        {"abcXYZ", "ABCXYZ", "abcxyz"},
        {"\xE0\xFF\xC0\xDF", "\xC0\xDF\xC0\xDF", "\xE0\xFF\xE0\xFF"}, // а я А Я
        {"\xB8\xA8", "\xA8\xA8", "\xB8\xB8"},                         // ё Ё
        {"\xB3\xB2\x9A\x8A" "1-_", "\xB3\xB2\x9A\x8A" "1-_", "\xB3\xB2\x9A\x8A" "1-_"}, // others kept
    };
    for (const Row& r : rows) {
        EXPECT_EQ(upperCp1251(r.in), r.upper) << r.in;
        EXPECT_EQ(lowerCp1251(r.in), r.lower) << r.in;
    }
}

TEST(Text, ReadsDecimalsLikeTheReader) {
    struct Row { const char* in; int value; };
    const Row rows[] = {
        {"42", 42},   {"  -17x", -17}, {"+5", 5},     {"00", 0},   {"abc", 0},
        {"", 0},      {"-", 0},        {" 12 34", 12}, {"2", 2},    {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1}, {"\t7", 7}, {"--3", 0},
    };
    for (const Row& r : rows) EXPECT_EQ(readDecimal(r.in), r.value) << '"' << r.in << '"';
}

TEST(Text, WordLettersIncludeYo) {
    EXPECT_TRUE(isWordLetter(0xC0));
    EXPECT_TRUE(isWordLetter(0xFF));
    EXPECT_TRUE(isWordLetter(0xA8));
    EXPECT_TRUE(isWordLetter(0xB8));
    EXPECT_FALSE(isWordLetter('A'));
    EXPECT_FALSE(isWordLetter('-'));
    EXPECT_FALSE(isWordLetter(0xB9));
    EXPECT_EQ(foldYo(0xA8), 0xC5);
    EXPECT_EQ(foldYo(0xB8), 0xE5);
}

#include "platform/words.h"

#include <vector>

TEST(Words, CountsRunsOfThreeOrMoreLettersFromBody) {
    // "да" is too short and is not counted; "ёлка" counts whole; Latin and digits separate.
    const std::string page = w1251("<html>Заголовок<Body>да ёлка-палка abc мир2мир");
    const size_t from = countedTextStart(page);
    EXPECT_EQ(page.substr(from, 5), "<Body");
    std::vector<std::string> words;
    std::vector<uint32_t> ordinals;
    forEachCountedWord(page, from, [&](size_t s, size_t len, uint32_t ord) {
        words.push_back(cp1251ToUtf8(page.substr(s, len)));
        ordinals.push_back(ord);
    });
    EXPECT_EQ(words, (std::vector<std::string>{"ёлка", "палка", "мир", "мир"}));
    EXPECT_EQ(ordinals, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(countedTextStart(w1251("без тела")), 0u);
}

TEST(Words, SkipsMarkup) {
    struct Row { const char* what; const char* page; std::vector<std::string> words; };
    const Row rows[] = {
        {"attribute values and tag names", "<img alt=\"кот\" title='пес'>дом</a>", {"дом"}},
        {"a comment, even with > inside", "<!-- кот > пес -->дом", {"дом"}},
        {"a < that opens no tag is text", "кот <пес> 3 < 4 дом", {"кот", "пес", "дом"}},
        {"a tag without its end is text", "кот <a href=лес", {"кот", "лес"}},
        {"an unclosed comment is text", "кот <!-- пес", {"кот", "пес"}},
        {"the body tag itself", "<body bgcolor=\"сад\">дом", {"дом"}},
    };
    for (const Row& r : rows) {
        const std::string page = w1251(r.page);
        std::vector<std::string> words;
        forEachCountedWord(page, 0, [&](size_t s, size_t len, uint32_t) {
            words.push_back(cp1251ToUtf8(page.substr(s, len)));
        });
        EXPECT_EQ(words, r.words) << r.what;
    }
}
