// Pages that a contents page links to but that are not contents entries themselves: written
// converted like contents pages, with their pictures, in both layouts.
#include "bookfiles.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// "Привет" in Windows-1251, and the star Windows-1251 lacks as a reference.
const std::string kConverted = "\xCF\xF0\xE8\xE2\xE5\xF2 &#9733;";

TEST(ExtraPages, ConvertedWithTheirPicturesInBothLayouts) {
    struct Case {
        const char* name;
        const char* book;        // [book] keys besides regkey
        const char* extraLink;   // how a.htm names the extra page
        const char* extra;       // where the extra page lands in the book
        const char* picture;     // where its picture lands
        const char* pictureRef;  // what the written extra page calls it
        const char* nextRef;     // what the written extra page calls the page it links to
        const char* next;        // where that page lands
    };
    const Case cases[] = {
        // The system opens the page from the pages folder: names stay relative to it.
        {"single store", "layout = single-store\n", "more/extra.htm", "more/extra.htm", "pics/p.gif",
         "../pics/p.gif", "next.htm#x", "more/next.htm"},
        // The reader shows page files and looks pictures up under out\tree\.
        {"page files", "layout = page-file\n", "more/extra.htm", "out/tree/more/extra.htm",
         "out/tree/pics/p.gif", "pics/p.gif", "more/next.htm#x", "out/tree/more/next.htm"},
        // A document page lies in out\docs\ and is opened by the system.
        {"page files, document", "layout = page-file\ndocs = more\n", "more/extra.htm",
         "out/more/extra.htm", "out/tree/pics/p.gif", "../tree/pics/p.gif", "next.htm#x", "out/more/next.htm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir src, out;
        src.write("bookmake.txt", std::string("[book]\nregkey = extra\n") + c.book + "\n[contents]\n* Title | a.htm\n");
        // A contents page without Russian words: no dictionary needed.
        src.write("a.htm", std::string("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                       "charset=UTF-8\"></head><body><p>Page <a href=\"") +
                               c.extraLink + "\">more</a></p></body></html>");
        // It names the contents page in a <link> too: that must not replace the written page
        // with a copy of its source.
        src.write("more/extra.htm", "<html><head><meta charset=\"utf-8\"><link rel=\"prev\" href=\"../a.htm\">"
                                    "</head><body><p>Привет ★</p><img src=\"../pics/p.gif\">"
                                    "<a href=\"next.htm#x\">next</a></body></html>");
        src.write("more/next.htm", "<html><body><p>Привет ★</p></body></html>");
        src.write("pics/p.gif", "GIF89a picture bytes");
        const RunResult r = runBookmake({"build", src.path(), out.path() + "/b"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string extra = out.read(std::string("b/") + c.extra);
        EXPECT_NE(extra.find(kConverted), std::string::npos) << extra;
        EXPECT_NE(extra.find("charset=\"windows-1251\""), std::string::npos) << extra;
        EXPECT_NE(extra.find(std::string("src=\"") + c.pictureRef + "\""), std::string::npos) << extra;
        EXPECT_NE(extra.find(std::string("href=\"") + c.nextRef + "\""), std::string::npos) << extra;
        EXPECT_EQ(out.read(std::string("b/") + c.picture), "GIF89a picture bytes");
        EXPECT_NE(out.read(std::string("b/") + c.next).find(kConverted), std::string::npos);
        if (std::string(c.book).find("page-file") != std::string::npos)
            EXPECT_NE(out.read("b/out/tree/a.htm").find("charset=windows-1251"), std::string::npos);
        else
            EXPECT_FALSE(std::filesystem::exists(out.path() + "/b/a.htm")) << "a page of the store has no file";
    }
}

} // namespace
