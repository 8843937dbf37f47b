// The text helpers under the builder: reading UTF-8 or Windows-1251 sources, source paths, the
// body of a page, and plain text.
#include "error.h"
#include "html.h"
#include "sourcetext.h"

#include "platform/text.h"

#include <gtest/gtest.h>

TEST(SourceText, ConvertsUtf8KeepsWindows1251RejectsNeither) {
    const struct {
        const char* name;
        std::string in;
        std::string out; // expected Windows-1251 bytes; empty: an error on line `line`
        int line;
    } rows[] = {
        {"UTF-8", "Звезда", w1251("Звезда"), 0},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFНебо", w1251("Небо"), 0},
        {"a character Windows-1251 lacks", "a★b", "a&#9733;b", 0},
        {"Windows-1251 as it is", "\xCD\xE5\xE1\xEE\n\xB8", "\xCD\xE5\xE1\xEE\n\xB8", 0},
        {"ASCII", "<p>x</p>", "<p>x</p>", 0},
        {"0x98 in a text that is not UTF-8", "\xCD\xE5\n\n\x98", "", 3},
        {"a NUL byte", std::string("ab\n\0", 4), "", 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.out.empty()) {
            try {
                toCp1251(r.in, "p.htm");
                ADD_FAILURE() << "no error";
            } catch (const BuildError& e) {
                EXPECT_EQ(e.file(), "p.htm");
                EXPECT_EQ(e.line(), r.line);
            }
        } else {
            EXPECT_EQ(toCp1251(r.in, "p.htm"), r.out);
        }
    }
}

TEST(SourceText, JoinsPathsInsideTheSourceFolderOnly) {
    const struct {
        const char* folder;
        const char* ref;
        const char* out; // nullptr: refused
    } rows[] = {
        {"ch1", "pic.gif", "ch1/pic.gif"},
        {"ch1", "../pictures/sky.jpg", "pictures/sky.jpg"},
        {"ch1/a", "..\\..\\docs\\x.htm", "docs/x.htm"},
        {"", "./a//b.htm", "a/b.htm"},
        {"", "../outside.htm", nullptr},
        {"ch1", "/etc/passwd", nullptr},
        {"", "c:\\x.htm", nullptr},
        {"", "", nullptr},
    };
    for (const auto& r : rows) {
        std::string out;
        const bool ok = joinSourcePath(r.folder, r.ref, out);
        EXPECT_EQ(ok, r.out != nullptr) << r.ref;
        if (ok && r.out) {
            EXPECT_EQ(out, r.out) << r.ref;
        }
    }
}

TEST(Html, BodyKeepsLinesAndPlainTextReadsLikeTheScreen) {
    const PageBody withBody = pageBody("<html><head><title>T</title></head>\n<BODY bgcolor=x>\n<p>A</p></body></html>");
    EXPECT_EQ(withBody.text, "\n<p>A</p>");
    const PageBody bare = pageBody("<html>\n<head>\n<title>T</title>\n</head>\n<p>B</p>\n</html>");
    EXPECT_EQ(bare.text, "\n\n\n\n<p>B</p>\n") << "head dropped, its line breaks kept";

    const std::string html = w1251(
        "<head><title>Заголовок</title><style>p{}</style></head><h2>Глава</h2>\n"
        "<p>Один&nbsp;&laquo;два&raquo;   три<br>четыре &amp; &#1087;ять &#9733;</p><!-- скрыто -->"
        "<script>var x = 1;</script><table><tr><td>a</td><td>b</td></tr></table>");
    EXPECT_EQ(plainText(html), w1251("Глава\r\nОдин «два» три\r\nчетыре & пять ?\r\na b\r\n"));

    EXPECT_EQ(fixCharset("<meta content=\"text/html; charset=UTF-8\"><meta charset='utf-8'>"),
              "<meta content=\"text/html; charset=windows-1251\"><meta charset='windows-1251'>");
}
