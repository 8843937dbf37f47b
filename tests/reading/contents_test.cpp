// The contents files: tree depth rule, entry table, page names, resolving entries, paths, icons.
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/contents.h"
#include "reading/linereader.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

BookContents singleStore(std::string_view tree, std::string_view offsets) {
    BookContents c;
    EXPECT_TRUE(parseContentsTree(tree, c.entries).ok);
    parseOffsets(offsets, c.count(), c);
    return c;
}

} // namespace

TEST(ContentsTree, DepthParentsAndChildren) {
    std::vector<TreeEntry> e;
    // CR LF, LF and a last line without a line end; tabs and spaces each count one level.
    ASSERT_TRUE(parseContentsTree("Title\r\n\tOne\r\n\t Two\n \tThree\n\tFour\nTop", e).ok);
    ASSERT_EQ(e.size(), 6u);
    const int depth[] = {0, 1, 2, 2, 1, 0};
    const int parent[] = {-1, 0, 1, 1, 0, -1};
    const int children[] = {2, 2, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(e[i].depth, depth[i]) << i;
        EXPECT_EQ(e[i].parent, parent[i]) << i;
        EXPECT_EQ(e[i].childCount, children[i]) << i;
    }
    EXPECT_EQ(e[2].caption, "Two");
    EXPECT_EQ(e[5].caption, "Top");
}

TEST(ContentsTree, EdgeShapes) {
    std::vector<TreeEntry> e;
    ASSERT_TRUE(parseContentsTree("", e).ok); // a 0-byte file: no entries
    EXPECT_TRUE(e.empty());
    ASSERT_TRUE(parseContentsTree("\t\tIndented title\n\tChild\n", e).ok);
    EXPECT_EQ(e[0].depth, 0); // the first line is a top-level entry
    EXPECT_EQ(e[1].parent, 0);
    ASSERT_TRUE(parseContentsTree("A\n\nB\n", e).ok); // an empty line is an entry
    EXPECT_EQ(e.size(), 3u);
}

TEST(ContentsTree, DepthJumpNamesTheLine) {
    std::vector<TreeEntry> e;
    const ReadStatus s = parseContentsTree("Title\n\tOne\n\t\t\tDeep\n", e);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.message.find(w1251("строка 3")), std::string::npos) << cp1251ToUtf8(s.message);
    EXPECT_NE(s.message.find("Deep"), std::string::npos);
    EXPECT_TRUE(e.empty());
}

TEST(LineReader, TextModeAndTheLimit) {
    EXPECT_EQ(readLimitedLines("1\r\n2\n\r3", 10), (std::vector<std::string>{"1\n", "2\n", "\r3"}));
    const std::string longLine(300, 'x');
    const auto lines = readLimitedLines(longLine + "\n5\n", 10);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 254u);
    EXPECT_EQ(lines[1], std::string(46, 'x') + "\n");
    EXPECT_EQ(readLimitedLines(std::string(254, 'y') + "\n", 10).size(),
              2u); // the '\n' is read on its own
    EXPECT_EQ(readLimitedLines("1\n2\n3\n4\n", 2).size(), 2u);
}

TEST(Offsets, RecordsRedirectsAndGarbage) {
    BookContents c = singleStore("A\nB\nC\nD\n", "0\r\n#3\r\n  -7\r\n12abc\r\nxyz\r\n99\r\n1\r\n");
    ASSERT_EQ(c.records.size(), 6u); // room for entries + 2, reading stops there
    EXPECT_EQ(c.recordCount, 6);
    EXPECT_EQ(c.layout, BookLayout::SingleStore);
    EXPECT_EQ(c.records[0].value, 0);
    EXPECT_EQ(c.records[1].value, 3);
    EXPECT_EQ(c.records[1].redirect, 1);
    EXPECT_EQ(c.records[2].value, -7);
    EXPECT_EQ(c.records[3].value, 12);
    EXPECT_EQ(c.records[4].value, 0); // garbage reads as 0
    EXPECT_EQ(c.records[5].value, 99);
    // A short file leaves the remaining records zero.
    c = singleStore("A\nB\n", "5\n");
    EXPECT_EQ(c.recordCount, 1);
    EXPECT_EQ(c.records[1].value, 0);
    EXPECT_EQ(c.records[3].value, 0);
}

TEST(PageNames, NamesAnchorsAndEmptyLines) {
    BookContents c;
    ASSERT_TRUE(parseContentsTree("A\nB\nC\n", c.entries).ok);
    parsePageNames("a/b.htm#x\r\n\nc.htm", c.count(), c);
    EXPECT_EQ(c.layout, BookLayout::PageFile);
    EXPECT_EQ(c.pageName(0), "a/b.htm#x");
    EXPECT_EQ(c.pageName(1), "");
    EXPECT_EQ(c.pageName(2), "c.htm");
    EXPECT_EQ(c.pageName(99), "");
    EXPECT_EQ(c.records[2].value, 2);
    EXPECT_EQ(c.records[2].redirect, 0);
}

TEST(Resolve, Table) {
    struct Case {
        const char* what;
        const char* offsets;
        int entry;
        int shown; // -1 = nothing to show
        int start, end;
    };
    const Case cases[] = {
        {"plain page", "0\n10\n20\n30\n40\n50\n", 1, 1, 10, 20},
        {"redirect passes to the next entry; its number is not used", "#3\n250\n300\n", 0, 1, 250,
         300},
        {"redirect then redirect: the second names the entry", "#0\n#4\n7\n8\n100\n200\n", 0, 4,
         100, 200},
        {"negative value: nothing", "-1\n10\n", 0, -1, 0, 0},
        {"redirect to a negative entry: nothing", "#0\n#2\n-5\n", 0, -1, 0, 0},
        {"empty range", "10\n10\n20\n", 0, -1, 0, 0},
        {"no extra last line: the last entry ends at 0", "0\n10\n20\n30\n40\n", 4, -1, 0, 0},
        {"the end skips a redirect record", "0\n#5\n30\n40\n50\n60\n", 0, 0, 0, 30},
        {"redirect cycle", "#0\n#2\n#1\n0\n", 0, -1, 0, 0},
        {"redirect target past the contents", "#0\n#900\n0\n", 0, -1, 0, 0},
        {"negative redirect target", "#0\n#-3\n0\n", 0, -1, 0, 0},
        {"entry outside the contents", "0\n10\n", 7, -1, 0, 0},
        {"offsets near the int limits do not overflow", "2147483647\n-2147483647\n", 0, -1, 0, 0},
    };
    for (const Case& k : cases) {
        const BookContents c = singleStore("A\nB\nC\nD\nE\n", k.offsets);
        const auto page = c.resolve(k.entry);
        if (k.shown < 0) {
            EXPECT_FALSE(page) << k.what;
            continue;
        }
        ASSERT_TRUE(page) << k.what;
        EXPECT_EQ(page->entry, k.shown) << k.what;
        EXPECT_EQ(page->start, k.start) << k.what;
        EXPECT_EQ(page->end, k.end) << k.what;
    }
}

TEST(Resolve, PageFileLayout) {
    BookContents c;
    ASSERT_TRUE(parseContentsTree("A\nB\n", c.entries).ok);
    parsePageNames("\nb.htm\n", c.count(), c);
    EXPECT_FALSE(c.resolve(0)); // an empty line: no page
    const auto page = c.resolve(1);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->start, 1);
    EXPECT_EQ(page->end, 2);
}

TEST(NextPage, WalksOverRedirectsAndEmptyEntries) {
    // Entry 1 has an empty range, entry 2 redirects to the next entry, whose page is shown.
    const BookContents c = singleStore("A\nB\nC\nD\nE\n", "0\n10\n#10\n10\n20\n30\n");
    auto next = c.nextPage(0);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->entry, 3);
    EXPECT_EQ(next->start, 10);
    EXPECT_EQ(next->end, 20);
    EXPECT_FALSE(c.nextPage(4)); // the last entry
    // A negative value on the way stops the walk.
    const BookContents stop = singleStore("A\nB\nC\n", "0\n-1\n10\n20\n");
    EXPECT_FALSE(stop.nextPage(0));
}

TEST(EntryPathAndIcons, FollowTheTree) {
    BookContents c;
    ASSERT_TRUE(
        parseContentsTree("Title\n\tPart\n\t\tChapter\n\t\t\tSection\nOther\n", c.entries).ok);
    EXPECT_EQ(c.EntryPath(0), "");
    EXPECT_EQ(c.EntryPath(1), "Part");
    EXPECT_EQ(c.EntryPath(3), "Part/Chapter/Section");
    EXPECT_EQ(c.EntryPath(-1), "");
    EXPECT_EQ(c.EntryPath(99), "");
    EXPECT_EQ(c.iconIndex(0, true), 3);
    EXPECT_EQ(c.iconIndex(0, false), 4);
    EXPECT_EQ(c.iconIndex(1, true), 2);
    EXPECT_EQ(c.iconIndex(1, false), 0);
    EXPECT_EQ(c.iconIndex(3, false), 1);
    EXPECT_EQ(c.iconIndex(4, true), 1); // a top-level entry without children is a page
}

TEST(LoadContents, LayoutsAndDamagedFiles) {
    TempDir dir;
    const std::string base = readerPath(dir.path(), true);
    BookContents c;

    ReadStatus s = LoadContents(base, c); // no contents.txt
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.message.find("contents.txt"), std::string::npos);

    dir.write("contents.txt", "");
    ASSERT_TRUE(LoadContents(base, c).ok); // 0 bytes: no entries, no pages
    EXPECT_EQ(c.count(), 0);
    EXPECT_EQ(c.layout, BookLayout::PageFile);
    EXPECT_FALSE(c.resolve(0));

    dir.write("contents.txt", "A\n\t\t\tB\n");
    s = LoadContents(base, c);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(c.count(), 0);

    dir.write("contents.txt", "A\nB\n");
    ASSERT_TRUE(LoadContents(base, c).ok); // no offset1.txt and no Page.txt
    EXPECT_EQ(c.layout, BookLayout::PageFile);
    EXPECT_FALSE(c.resolve(0));
    EXPECT_FALSE(c.resolve(1));

    dir.write("offset1.txt", "0\n5\n9\n");
    ASSERT_TRUE(LoadContents(base, c).ok);
    EXPECT_EQ(c.layout, BookLayout::SingleStore);
    ASSERT_TRUE(c.resolve(1));
    EXPECT_EQ(c.resolve(1)->end, 9);
}
