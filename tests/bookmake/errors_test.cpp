// Faults in the sources stop the build with the file and the line and a non-zero exit; the
// small things a build writes besides the pages.
#include "bookfiles.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const char* kDescription = R"([book]
title = Проба
regkey = probe
layout = single-store

[contents]
* Проба | a.htm
** Глава
*** Раздел | b.htm

[exercise one]
question = Вопрос?
answer = 1
)";

struct Case {
    const char* name;
    std::map<std::string, std::string> files; // replace or add source files
    const char* where;                        // expected "file:line" in the message, "" = success
};

std::string withLine(std::string text, const std::string& after, const std::string& line) {
    const size_t at = text.find(after);
    return text.insert(at + after.size(), line);
}

TEST(BuildErrors, StopWithFileAndLine) {
    // Pages without Russian words: nothing to lemmatize, so no build here loads the dictionary.
    const std::string a = "<html><body><p>Page one, <a href=\"$exercise:one\">exercise</a>.</p></body></html>\n";
    const std::string b = "<html><body>\n<p>Page two.</p>\n</body></html>\n";
    const std::string d = kDescription;
    const Case cases[] = {
        {"valid sources build", {}, ""},
        {"missing page", {{"bookmake.txt", withLine(d, "** Глава\n", "*** Нет | none.htm\n")}}, "bookmake.txt:9:"},
        {"level jumps by two", {{"bookmake.txt", withLine(d, "** Глава\n", "**** Глубоко | b.htm\n")}}, "bookmake.txt:9:"},
        {"unknown exercise", {{"b.htm", "<html><body>\n<p>Text</p>\n<a href=\"$exercise:two\">x</a></body></html>"}}, "b.htm:3:"},
        {"exam link to an exercise", {{"b.htm", "<html><body>\n\n<a href=\"$exam:one\">x</a></body></html>"}}, "b.htm:3:"},
        {"neither UTF-8 nor Windows-1251", {{"b.htm", "<html><body>\n<p>\xD0\xE0\n\x98</p></body></html>"}}, "b.htm:3:"},
        {"extra page neither UTF-8 nor Windows-1251", {{"b.htm", "<html><body>\n<a href=\"c.htm\">c</a></body></html>"},
                                                      {"c.htm", "<p>\xD0\xE0\n\n\x98</p>"}}, "c.htm:3:"},
        {"NUL byte", {{"b.htm", std::string("<html>\n\n<body>\0</body></html>", 27)}}, "b.htm:3:"},
        {"first entry without a page", {{"bookmake.txt", withLine(d.substr(0, d.find("* Проба | a.htm")), "", "") + "* Проба\n** Глава | a.htm\n"
                                                          + "[exercise one]\nquestion = q\nanswer = 1\n"}}, "bookmake.txt:7:"},
        {"page used by two entries apart", {{"bookmake.txt", withLine(d, "*** Раздел | b.htm\n", "** Снова | a.htm\n")}}, "bookmake.txt:10:"},
        {"missing font file", {{"bookmake.txt", withLine(d, "layout = single-store\n", "font = fonts/none.ttf\n")}}, "bookmake.txt:5:"},
        {"unknown key", {{"bookmake.txt", withLine(d, "layout = single-store\n", "colour = red\n")}}, "bookmake.txt:5:"},
        {"right beyond the options", {{"bookmake.txt", d + "\n[exercise two]\nquestion = q\nright = 4\noptions = 3\n"}}, "bookmake.txt:15:"},
        {"missing task text file", {{"bookmake.txt", d + "\n[exam final]\ninstructions = @rules.htm\n"}}, "bookmake.txt:16:"},
        {"exam without tasks", {{"bookmake.txt", d + "\n[exam final]\ninstructions = Правила\n"}}, "bookmake.txt:15:"},
        {"second part of a page without an anchor", {{"bookmake.txt", withLine(d, "*** Раздел | b.htm\n", "*** Ещё | b.htm\n")}}, "bookmake.txt:10:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir src, out;
        src.write("bookmake.txt", d);
        src.write("a.htm", a);
        src.write("b.htm", b);
        for (const auto& [name, bytes] : c.files) src.write(name, bytes);
        const RunResult r = runBookmake({"build", src.path(), out.path() + "/book"});
        if (*c.where == 0) {
            EXPECT_EQ(r.exitCode, 0) << r.err;
            continue;
        }
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.where), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out.path() + "/book/ebook.ini")) << "no half-built book looks finished";
    }
}

TEST(BuildErrors, RefusesAFolderThatIsNotABook) {
    TempDir out;
    out.write("book/letter.txt", "keep me");
    const RunResult r = runBookmake({"build", std::string(EBOOK_SOURCE_DIR) + "/samples/pagefile", out.path() + "/book"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(out.read("book/letter.txt"), "keep me");
}

} // namespace

namespace {

TEST(Build, CopiesFontsAndWritesTheIni) {
    TempDir src, out;
    src.write("bookmake.txt", "[book]\ntitle = Fonts\nregkey = fonts\npelvar = 2\nlayout = page-file\n"
                              "font = type/Face.ttf\n\n[contents]\n* Title | a.htm\n");
    src.write("type/Face.ttf", "not a real font, copied as it is");
    src.write("a.htm", "<html><body>Page</body></html>");
    const RunResult r = runBookmake({"build", src.path(), out.path() + "/b"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(out.read("b/fonts/Face.ttf"), "not a real font, copied as it is");
    EXPECT_EQ(out.read("b/ebook.ini"), "[Description]\r\nTitle=Fonts\r\nRegKey=fonts\r\nPelvar=2\r\n");
}

} // namespace
