// Page assembly, colour markers and the viewer's picture and frame requests.
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/colourmarkers.h"
#include "reading/pageassembly.h"
#include "reading/viewerrequests.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

TEST(ColourMarkers, SchemeAndHandModes) {
    MarkerColours scheme;
    scheme.background = 0x00F0E0D0; // BGR: html d0e0f0
    for (uint32_t i = 1; i <= 13; ++i)
        scheme.schemeColours.push_back(i * 0x10); // entry i
    MarkerColours hand = scheme;
    hand.handMode = true;
    hand.handTextColour = 0x000000FF; // red

    struct Case {
        const char* in;
        const char* scheme;
        const char* hand;
    };
    const Case cases[] = {
        {"<font color=$$$0>", "<font color=#d0e0f0>", "<font color=#ff0000>"},
        {"$$$1|$$$12", "#100000|#c00000", "#ff0000|#ff0000"},
        {"$$$13", "#000000", "#ff0000"},          // the count itself gives black
        {"$$$99999999999", "#000000", "#ff0000"}, // beyond the int range: black
        {"$$$x", "#d0e0f0x", "#ff0000x"},         // no digit: marker 0, the letter stays
        {"$$$-5z", "#000000-5z", "#ff0000-5z"},   // the sign and digits stay
        {"a$$$$2b", "a#d0e0f0$2b", "a#ff0000$2b"},
        {"no markers $$ here", "no markers $$ here", "no markers $$ here"},
        {"$$$", "#d0e0f0", "#ff0000"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(substituteColourMarkers(k.in, scheme), k.scheme) << k.in;
        EXPECT_EQ(substituteColourMarkers(k.in, hand), k.hand) << k.in;
    }
    // The defaults before a scheme is loaded: background white, every other marker black.
    EXPECT_EQ(substituteColourMarkers("$$$0 $$$1", MarkerColours{}), "#ffffff #000000");
}

TEST(ColourMarkers, HtmlColourText) {
    EXPECT_EQ(htmlColourText(0x00123456), "563412");
    EXPECT_EQ(htmlColourText(0x80000005), "ffffff"); // the window colour
    EXPECT_EQ(htmlColourText(0x80000008), "000000"); // the window text colour
    EXPECT_EQ(htmlColourText(0x800000FF), "000000"); // unknown system colour
}

TEST(PageAssembly, HeadTailLinkAndRanges) {
    const std::string store = "<p>one</p><p>two $$$0</p>";
    MarkerColours scheme;
    const std::string link = continuationLink();
    EXPECT_EQ(link, "<br><b><p align=\"right\"><a href=\"kovrex_next\">" + w1251("далее >>") +
                        "</a></p></b>");
    EXPECT_EQ(assembleStorePage(store, 10, 26, true, scheme),
              std::string(kPageHeadScheme) + "<p>two #ffffff</p>" + link + "</BODY></HTML>");
    MarkerColours hand;
    hand.handMode = true;
    EXPECT_EQ(assembleStorePage(store, 0, 10, false, hand), "<HTML><BODY><p>one</p></BODY></HTML>");
    // Ranges from a damaged offset file stay inside the store.
    struct Range {
        int32_t start, end;
        const char* body;
    };
    const Range ranges[] = {{17, 1000, "#000000</p>"},
                            {-5, 3, "<p>"},
                            {30, 40, ""},
                            {8, 2, ""},
                            {INT32_MIN, INT32_MAX, nullptr}};
    for (const Range& r : ranges) {
        const std::string page = assembleStorePage(store, r.start, r.end, false, hand);
        const std::string body = page.substr(12, page.size() - 12 - 14);
        if (r.body)
            EXPECT_EQ(body, r.body) << r.start << ".." << r.end;
        else
            EXPECT_EQ(body, "<p>one</p><p>two #000000</p>");
    }
    EXPECT_EQ(assembleStorePage("", 0, 0, false, hand), "<HTML><BODY></BODY></HTML>");
}

TEST(PageAssembly, PageNamesAndFolders) {
    std::string name;
    EXPECT_EQ(splitAnchorSuffix("a/b.htm#x", name), "#x");
    EXPECT_EQ(name, "a/b.htm");
    EXPECT_EQ(splitAnchorSuffix("c.htm", name), "");
    EXPECT_EQ(name, "c.htm");
    EXPECT_EQ(pageFolder("a/b/c.htm#x"), "a/b");
    EXPECT_EQ(pageFolder("a\\c.htm"), "a");
    EXPECT_EQ(pageFolder("c.htm"), ""); // a page directly in out\tree
    EXPECT_EQ(relativeToFolder("a/b", "pic/x.gif"), "a\\b\\pic\\x.gif");
    EXPECT_EQ(relativeToFolder("", "x.gif"), "x.gif");
    EXPECT_EQ(pageFilePath("P\\", "a/b.htm"), "P\\out\\tree\\a/b.htm");
}

TEST(ViewerRequests, PicturesAndFrames) {
    TempDir dir;
    dir.write("pages/pic.gif", "GIF");
    dir.write("pages/out/tree/a/local.gif", "GIF");
    dir.write("pages/out/tree/top.gif", "GIF");
    dir.write("pages/out/tree/a/frame.htm", "<html>");
    RequestContext single;
    single.pagesPath = readerPath(dir.file("pages"), true);
    single.workingFolder = readerPath(dir.path());
    RequestContext pf = single;
    pf.layout = BookLayout::PageFile;
    pf.currentPageName = "a/page.htm#x";

    EXPECT_EQ(mapImageRequest("test.bmp", single).kind, ImageAnswer::Backdrop);
    const ImageAnswer arrow = mapImageRequest("kovrex_left.gif", pf);
    EXPECT_EQ(arrow.kind, ImageAnswer::File);
    EXPECT_EQ(arrow.path, single.workingFolder + "\\kovrex_left.gif");

    ImageAnswer a = mapImageRequest("pic.gif", single);
    EXPECT_EQ(a.kind, ImageAnswer::File);
    EXPECT_TRUE(isReadable(a.path));
    EXPECT_EQ(mapImageRequest("none.gif", single).kind, ImageAnswer::None); // no message

    a = mapImageRequest("top.gif", pf);
    EXPECT_EQ(a.kind, ImageAnswer::File);
    a = mapImageRequest("local.gif", pf); // not under out\tree: looked up beside the page
    EXPECT_EQ(a.kind, ImageAnswer::File);
    EXPECT_EQ(nativePath(a.path), dir.file("pages/out/tree/a/local.gif"));
    a = mapImageRequest("gone.gif", pf);
    EXPECT_EQ(a.kind, ImageAnswer::Missing);
    EXPECT_EQ(a.message, "gone.gif");

    EXPECT_EQ(mapStreamRequest("frame.htm", single).kind, ImageAnswer::None);
    a = mapStreamRequest("frame.htm", pf);
    EXPECT_EQ(a.kind, ImageAnswer::File);
    a = mapStreamRequest("lost.htm", pf);
    EXPECT_EQ(a.kind, ImageAnswer::Missing);
    EXPECT_EQ(a.message, "lost.htm");
}
