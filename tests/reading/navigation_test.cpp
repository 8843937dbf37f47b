// Link kinds in their order, task links, and the reading history.
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/history.h"
#include "reading/links.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

struct Book {
    BookContents contents;
    LinkContext single, pageFile, pelvar;
    Book() {
        EXPECT_TRUE(parseContentsTree("A\nB\nC\n", contents.entries).ok);
        parseOffsets("0\n10\n#3\n30\n", contents.count(), contents);
        single.pagesPath = "P\\";
        single.userPath = "U\\";
        single.workingFolder = "W";
        single.currentEntry = 0;
        single.contents = &contents;
        pageFile = single;
        pageFile.layout = BookLayout::PageFile;
        pageFile.currentPageName = "ch/page.htm";
        pelvar = pageFile;
        pelvar.pelvar = true;
    }
};

} // namespace

TEST(Links, KindsInTheirOrder) {
    const Book b;
    struct Case {
        const char* what;
        const LinkContext& ctx;
        std::string address;
        LinkKind kind;
        std::string target;
        std::string anchor;
    };
    const Case cases[] = {
        {"continuation", b.single, "kovrex_next", LinkKind::Continuation, "", ""},
        {"task before anything else", b.single, "$1,20#http", LinkKind::Task, "", ""},
        {"anchor", b.pageFile, "#sec2", LinkKind::Anchor, "", "sec2"},
        {"http in the middle", b.single, "see-http-page.htm", LinkKind::Web, "see-http-page.htm",
         ""},
        {"upper-case HTTP", b.pageFile, "HTTP://X", LinkKind::Web, "HTTP://X", ""},
        {"mail", b.single, "mailto:a@b", LinkKind::Web, "mailto:a@b", ""},
        {"video", b.single, "v/film.avi", LinkKind::Video, "W\\v/film.avi", ""},
        {"AVI in capitals is no video", b.single, "film.AVI", LinkKind::ShellDocument,
         "P\\film.AVI", ""},
        {"numbered contents link", b.single, "2#part", LinkKind::NumberedEntry, "", "part"},
        {"document", b.single, "docs/a.doc", LinkKind::ShellDocument, "P\\docs\\a.doc", ""},
        {"sound from docs", b.single, "sub/Song.mp3", LinkKind::ShellDocument,
         "P\\\\docs\\SONG.MP3", ""},
        {"relative page (Pelvar)", b.pelvar, "next%20one.htm#a", LinkKind::RelativePage,
         "ch\\next one.htm", "#a"},
        {"outside out\\tree", b.pageFile, "..\\..\\docs/x.pdf", LinkKind::OutsideFile,
         "P\\out\\tree\\..\\docs\\x.pdf", ""},
        {"page file, its anchor split off", b.pageFile, "other/p.htm#z", LinkKind::PageFile,
         "other/p.htm", "#z"},
        {"../../ with slashes is a page file", b.pageFile, "../../x.htm", LinkKind::PageFile,
         "../../x.htm", ""},
    };
    for (const Case& k : cases) {
        const LinkAction a = classifyLink(k.address, k.ctx);
        EXPECT_EQ(a.kind, k.kind) << k.what;
        EXPECT_EQ(a.target, k.target) << k.what;
        EXPECT_EQ(a.anchor, k.anchor) << k.what;
    }
}

TEST(Links, ShellWorkingFolders) {
    const Book b;
    EXPECT_EQ(classifyLink("http://x", b.single).workFolder, "U\\");
    EXPECT_EQ(classifyLink("docs/a.doc", b.single).workFolder, "P\\docs");
    EXPECT_EQ(classifyLink("..\\..\\a.pdf", b.pageFile).workFolder, "U\\");
}

TEST(Links, ContinuationAndNumberedTargets) {
    Book b;
    LinkAction a = classifyLink("kovrex_next", b.single);
    EXPECT_FALSE(a.doNothing);
    EXPECT_EQ(a.page.entry, 1);
    b.single.currentEntry = 1; // entry 2 redirects past the contents: no next page
    EXPECT_TRUE(classifyLink("kovrex_next", b.single).doNothing);

    a = classifyLink("1#top", b.single); // N = 1: the page of entry 0
    EXPECT_FALSE(a.doNothing);
    EXPECT_EQ(a.page.entry, 0);
    EXPECT_EQ(a.page.start, 0);
    EXPECT_EQ(a.page.end, 10);
    for (const char* outOfRange : {"0#a", "4#a", "-1#a", "#"}) {
        const LinkAction r = classifyLink(outOfRange, b.single);
        if (r.kind == LinkKind::NumberedEntry) {
            EXPECT_TRUE(r.doNothing) << outOfRange;
        }
    }
}

TEST(Links, VideoCheck) {
    TempDir dir;
    dir.write("clip.avi", "RIFF");
    Book b;
    b.single.workingFolder = readerPath(dir.path());
    LinkAction a = classifyLink("clip.avi", b.single);
    EXPECT_TRUE(a.targetReadable);
    EXPECT_TRUE(a.message.empty());
    a = classifyLink("lost.avi", b.single);
    EXPECT_FALSE(a.targetReadable);
    EXPECT_EQ(a.message, w1251("Не могу открыть файл ") + b.single.workingFolder + "\\lost.avi");
}

TEST(Links, TaskLinks) {
    struct Case {
        const char* address;
        bool valid;
        int k, n, m;
        bool doNothing;
    };
    const Case cases[] = {
        {"$5,7", true, 5, 7, 1, false},     {"$5,7,3", true, 5, 7, 3, false},
        {"$1,120", true, 1, 120, 1, false}, {"$9,1", true, 9, 1, 1, true},
        {"$3", false, 0, 0, 1, true},       {"$x,y", true, 0, 0, 1, true},
    };
    const Book b;
    for (const Case& k : cases) {
        const LinkAction a = classifyLink(k.address, b.single);
        EXPECT_EQ(a.kind, LinkKind::Task) << k.address;
        EXPECT_EQ(a.task.valid, k.valid) << k.address;
        EXPECT_EQ(a.task.k, k.k) << k.address;
        EXPECT_EQ(a.task.n, k.n) << k.address;
        EXPECT_EQ(a.task.m, k.m) << k.address;
        EXPECT_EQ(a.doNothing, k.doNothing) << k.address;
    }
}

TEST(History, RecordBackForward) {
    ReadingHistory h;
    h.reset();
    EXPECT_FALSE(h.canGoBack());
    EXPECT_TRUE(h.recordContentsPage(0, 10, "", 0, 0));
    EXPECT_FALSE(h.recordContentsPage(0, 10, "", 0, 55)); // the same page: one entry
    EXPECT_EQ(h.at(0).scroll, 55);                        // but the place is kept
    EXPECT_TRUE(h.recordContentsPage(0, 10, "x", 0, 0));  // another anchor: a new entry
    EXPECT_TRUE(h.recordPageFile("a/b.htm", "", 77));
    EXPECT_FALSE(h.recordPageFile("a/b.htm", "", 0));
    EXPECT_EQ(h.count(), 3);
    EXPECT_TRUE(h.canGoBack());
    EXPECT_FALSE(h.canGoForward());

    const HistoryEntry* e = h.back(120);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->anchor, "x");
    EXPECT_EQ(e->scroll, 77);
    EXPECT_EQ(h.at(2).scroll, 120);
    EXPECT_TRUE(h.canGoForward());
    e = h.forward(5);
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->isPageFile());
    EXPECT_EQ(e->start, -1);
    EXPECT_EQ(e->contentsEntry, -1);
    EXPECT_FALSE(h.forward(0));

    // Back, then a new page: the forward part goes.
    h.back(0);
    h.back(0);
    EXPECT_TRUE(h.recordContentsPage(50, 60, "", 4, 0));
    EXPECT_EQ(h.count(), 2);
    EXPECT_FALSE(h.canGoForward());
    EXPECT_EQ(h.at(1).contentsEntry, 4);
}

TEST(History, DropsTheOldestAndKeepsLongTexts) {
    ReadingHistory h;
    for (int i = 0; i < 252; ++i)
        h.recordContentsPage(i, i + 1, "", i, 0);
    EXPECT_EQ(h.count(), 251);
    EXPECT_EQ(h.position(), 250);
    EXPECT_EQ(h.at(0).start, 1); // the first page went
    int backs = 0;
    while (h.back(0))
        ++backs;
    EXPECT_EQ(backs, 250);

    const std::string longName = std::string(200, 'p') + ".htm";
    const std::string longAnchor(100, 'a');
    h.reset();
    h.recordPageFile(longName, longAnchor, 0);
    EXPECT_EQ(h.at(0).pageName, longName);
    EXPECT_EQ(h.at(0).anchor, longAnchor);
}
