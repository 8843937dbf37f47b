#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// An INI file in a temporary folder, named the way the reader names it.
struct IniFixture {
    TempDir dir;
    TIniFile ini{readerPath(dir.path(), true) + "ebook.ini"};
    void put(const std::string& bytes) const { dir.write("ebook.ini", bytes); }
    std::string text() const { return dir.read("ebook.ini"); }
};

} // namespace

TEST(Profile, ReadsWithTheProfileRules) {
    const std::string file = w1251("; a comment=not a key\r\n"
                                   "[Description]\r\n"
                                   "Title = Электронная книга  \r\n"
                                   "RegKey=\"kovrex_arhiv\"\r\n"
                                   "Single='quoted'\r\n"
                                   "Mixed=\"open'\r\n"
                                   "Lone=\"\r\n"
                                   "Empty=\r\n"
                                   "Eq=a=b\r\n"
                                   "no equals sign\r\n"
                                   "  Spaced Key\t=\tv\r\n"
                                   "TITLE=second, ignored\r\n"
                                   ";Pelvar=1\r\n"
                                   "[  Раздел  ]\n"
                                   "Ключ=значение\n"
                                   "[description]\r\n"
                                   "Late=ignored, only the first section counts\r\n");
    IniFixture f;
    f.put(file);
    struct Row {
        const char* what;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        {"value trimmed", "Description", "Title", "Электронная книга"},
        {"names ignore case", "DESCRIPTION", "title", "Электронная книга"},
        {"double quotes removed", "Description", "RegKey", "kovrex_arhiv"},
        {"single quotes removed", "Description", "Single", "quoted"},
        {"mismatched quotes kept", "Description", "Mixed", "\"open'"},
        {"a lone quote kept", "Description", "Lone", "\""},
        {"empty value is not the default", "Description", "Empty", ""},
        {"first = splits", "Description", "Eq", "a=b"},
        {"key name trimmed", "Description", "spaced key", "v"},
        {"commented key missing", "Description", "Pelvar", "DEF"},
        {"Cyrillic names ignore case", "РАЗДЕЛ", "КЛЮЧ", "значение"},
        {"duplicate section not searched", "Description", "Late", "DEF"},
        {"missing section", "Nothing", "Title", "DEF"},
        {"missing key", "Description", "Nothing", "DEF"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(f.ini.ReadString(w1251(r.section), w1251(r.key), "DEF"), w1251(r.expected))
            << r.what;

    EXPECT_EQ(f.ini.ReadSection("DESCRIPTION"),
              (std::vector<std::string>{"Title", "RegKey", "Single", "Mixed", "Lone", "Empty", "Eq",
                                        "Spaced Key"}));
    EXPECT_TRUE(f.ini.SectionExists(w1251("раздел")));
    EXPECT_FALSE(f.ini.SectionExists("Schemas"));

    TIniFile missing(readerPath(f.dir.path(), true) + "none\\fonts.ini");
    EXPECT_EQ(missing.ReadString("Schemas", "Schema", w1251("апельсин.sch")),
              w1251("апельсин.sch"));
    EXPECT_EQ(missing.ReadInteger("Description", "Pelvar", 0), 0);
    EXPECT_TRUE(missing.ReadSection("Schemas").empty());
}

TEST(Profile, ReadsIntegersWithTheDecimalRule) {
    IniFixture f;
    f.put("[D]\r\nA=12abc\r\nB=  -5\r\nC=x\r\nD=\r\nE=\"7\"\r\nF=99999999999\r\n");
    struct Row {
        const char* key;
        int expected;
    };
    const Row rows[] = {{"A", 12}, {"B", -5},        {"C", 0}, {"D", 42},
                        {"E", 7},  {"F", INT32_MAX}, {"G", 42}};
    for (const Row& r : rows)
        EXPECT_EQ(f.ini.ReadInteger("D", r.key, 42), r.expected) << r.key;
}

TEST(Profile, WritingAKeyKeepsEveryOtherLineByteForByte) {
    const std::string original = "; header comment\r\n"
                                 "odd line without equals\r\n"
                                 "[Description]\r\n"
                                 "Title=Old\r\n"
                                 "  regkey = book1  \n" // an LF-only line
                                 "odd \xFF\xFE text\r\n"
                                 "; belongs to the next section\r\n"
                                 "[Other]\r\n"
                                 "K=V"; // the last line has no line end
    struct Row {
        const char* what;
        std::string section, key, value;
        std::string expected;
    };
    const Row rows[] = {
        {"replace in place, first spelling of the name kept", "DESCRIPTION", "REGKEY", "book2",
         "; header comment\r\nodd line without "
         "equals\r\n[Description]\r\nTitle=Old\r\nregkey=book2\n"
         "odd \xFF\xFE text\r\n; belongs to the next section\r\n[Other]\r\nK=V"},
        {"new key after the section's last key", "Description", "Pelvar", "1",
         "; header comment\r\nodd line without equals\r\n[Description]\r\nTitle=Old\r\n  regkey = "
         "book1  \n"
         "Pelvar=1\r\nodd \xFF\xFE text\r\n; belongs to the next section\r\n[Other]\r\nK=V"},
        {"new key in the last section without a line end", "other", "K2", "V2",
         original + "\r\nK2=V2\r\n"},
        {"new section at the end", w1251("Схемы"), "Schema", w1251("апельсин.sch"),
         original + "\r\n" + w1251("[Схемы]\r\nSchema=апельсин.sch\r\n")},
        {"replace the last line", "Other", "k", "W",
         "; header comment\r\nodd line without equals\r\n[Description]\r\nTitle=Old\r\n  regkey = "
         "book1  \n"
         "odd \xFF\xFE text\r\n; belongs to the next section\r\n[Other]\r\nK=W"},
    };
    for (const Row& r : rows) {
        IniFixture f;
        f.put(original);
        ASSERT_TRUE(f.ini.WriteString(r.section, r.key, r.value)) << r.what;
        EXPECT_EQ(f.text(), r.expected) << r.what;
        EXPECT_EQ(f.ini.ReadString(r.section, r.key, "DEF"), r.value) << r.what;
    }
}

TEST(Profile, WritesANewFileDeletesAndErases) {
    IniFixture f;
    ASSERT_TRUE(f.ini.WriteString("Description", "Title", w1251("Книга")));
    ASSERT_TRUE(f.ini.WriteInteger("Description", "Pelvar", -3));
    ASSERT_TRUE(f.ini.WriteString("Other", "A", "1"));
    EXPECT_EQ(f.text(), w1251("[Description]\r\nTitle=Книга\r\nPelvar=-3\r\n[Other]\r\nA=1\r\n"));
    EXPECT_EQ(f.ini.ReadInteger("description", "pelvar", 0), -3);

    ASSERT_TRUE(f.ini.DeleteKey("DESCRIPTION", "title"));
    ASSERT_TRUE(f.ini.DeleteKey("Description", "Missing"));
    EXPECT_EQ(f.text(), "[Description]\r\nPelvar=-3\r\n[Other]\r\nA=1\r\n");
    ASSERT_TRUE(f.ini.EraseSection("description"));
    EXPECT_EQ(f.text(), "[Other]\r\nA=1\r\n");
    EXPECT_FALSE(f.ini.SectionExists("Description"));

    // What could not be read back as written is refused, and the file stays as it was.
    EXPECT_FALSE(f.ini.WriteString("Other", "A", "two\r\n[Injected]\r\nX=1"));
    EXPECT_FALSE(f.ini.WriteString("Other", "A=B", "1"));
    EXPECT_FALSE(f.ini.WriteString("Ot]her", "A", "1"));
    EXPECT_FALSE(f.ini.WriteString("Other", "", "1"));
    EXPECT_EQ(f.text(), "[Other]\r\nA=1\r\n");

    TIniFile nowhere(readerPath(f.dir.path(), true) + "no\\such\\folder\\x.ini");
    EXPECT_FALSE(nowhere.WriteString("S", "K", "V"));
}

TEST(Profile, DamagedFilesKeepTheirValidEntries) {
    const std::string good = "[Description]\r\nTitle=Book\r\nRegKey=key1\r\n";
    const std::string written = "[Description]\r\nTitle=Book\r\nRegKey=key2\r\n";
    const std::string big(1 << 20, 'z');
    struct Row {
        const char* what;
        std::string bytes;
        std::string expected;
    };
    const Row rows[] = {
        {"binary garbage goes", "\x00\xFF\x01\x02\r\n"s + good + "\x00\x00\xFE\xFF\x80"s, written},
        {"truncated", good + "Pelvar=1\r\n[Sch", written + "Pelvar=1\r\n[Sch"},
        {"a line without =", "[Description]\r\nnot a key\r\nTitle=Book\r\nRegKey=key1\r\n",
         "[Description]\r\nnot a key\r\nTitle=Book\r\nRegKey=key2\r\n"},
        {"a 1 MB line", big + "\r\n" + good + "Long=" + big + "\r\n",
         big + "\r\n" + written + "Long=" + big + "\r\n"},
        {"CR inside a line", good + "X=a\rb\r\n", written + "X=a\rb\r\n"},
        {"control byte inside an entry is data", good + "X=a\x01b\r\n", written + "X=a\x01b\r\n"},
        {"UTF-8 mark before the first section", "\xEF\xBB\xBF" + good, "\xEF\xBB\xBF" + written},
    };
    for (const Row& r : rows) {
        IniFixture f;
        f.put(r.bytes);
        EXPECT_EQ(f.ini.ReadString("Description", "Title", "DEF"), "Book") << r.what;
        EXPECT_EQ(f.ini.ReadString("Description", "RegKey", "DEF"), "key1") << r.what;
        ASSERT_TRUE(f.ini.WriteString("Description", "RegKey", "key2")) << r.what;
        EXPECT_TRUE(f.text() == r.expected) << r.what; // (no dump of a 1 MB text)
    }
    IniFixture f;
    f.put("[A]\r\nK=1\r\n\x00\x01 junk\r\n[B]\r\nL=2\r\n");
    ASSERT_TRUE(f.ini.EraseSection("B"));
    EXPECT_EQ(f.text(), "[A]\r\nK=1\r\n");
}
