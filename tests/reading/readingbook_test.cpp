// The reading state over small books on disk: opening, ShowPage / ShowPageFile, damaged books.
#include "platform/paths.h"
#include "platform/text.h"
#include "reading/pageassembly.h"
#include "reading/readingbook.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

// A book folder: base/, pages/ (with the store "1.htm"), user/.
struct DiskBook {
    TempDir dir;
    BookPaths paths;
    DiskBook() {
        paths.BasePath = readerPath(dir.file("base"), true);
        paths.PagesPath = readerPath(dir.file("pages"), true);
        paths.UserPath = readerPath(dir.file("user"), true);
        paths.IndexFile = "1.htm";
        dir.write("user/.keep", "");
    }
    ReadStatus open(ReadingBook& book, bool pelvar = false) {
        return book.open(paths, readerPath(dir.path()), pelvar);
    }
    std::string shown() const { return dir.read("user/tmp.htm"); }
};

const HighlightInputs kNoHits;

} // namespace

TEST(ReadingBook, SingleStorePages) {
    DiskBook d;
    d.dir.write("base/contents.txt", "Title\r\n\tOne\r\n\tTwo\r\n");
    d.dir.write("base/offset1.txt", "0\r\n8\r\n16\r\n27\r\n");
    d.dir.write("pages/1.htm", "<p>T</p><p>1</p><p>$$$0</p>");
    ReadingBook book;
    ASSERT_TRUE(d.open(book).ok);
    EXPECT_EQ(book.layout(), BookLayout::SingleStore);
    EXPECT_EQ(book.store().size(), 27u);

    const ResolvedPage first = book.firstPage();
    EXPECT_EQ(first.start, 0);
    EXPECT_EQ(first.end, 8);
    book.currentEntry = first.entry;
    MarkerColours colours;
    PageShow s = book.ShowPage(first.start, first.end, "", true, 0, kNoHits, colours);
    ASSERT_TRUE(s.load);
    EXPECT_EQ(s.path, d.paths.UserPath + "tmp.htm");
    EXPECT_EQ(d.shown(),
              std::string(kPageHeadScheme) + "<p>T</p>" + continuationLink() + "</BODY></HTML>");

    // The last entry has no continuation link; markers take the colours given.
    book.currentEntry = 2;
    colours.handMode = true;
    colours.handTextColour = 0x0000FF;
    s = book.ShowPage(16, 27, "end", true, 40, kNoHits, colours);
    EXPECT_EQ(s.positionAnchor, "end");
    EXPECT_EQ(d.shown(), "<HTML><BODY><p>#ff0000</p></BODY></HTML>");
    EXPECT_EQ(book.history.count(), 2);
    EXPECT_EQ(book.history.at(0).scroll, 40);
    EXPECT_EQ(book.history.at(1).contentsEntry, 2);

    // Not recorded: the history stays.
    book.ShowPage(0, 8, "", false, 0, kNoHits, colours);
    EXPECT_EQ(book.history.count(), 2);
    // ShowPageFile does nothing in this layout.
    EXPECT_FALSE(book.ShowPageFile("x.htm", "", true, 0, kNoHits).load);
    EXPECT_EQ(book.history.count(), 2);
}

TEST(ReadingBook, PageFilePages) {
    DiskBook d;
    d.dir.write("base/contents.txt", "Title\n\tChapter\n\tEmpty\n");
    d.dir.write("base/Page.txt", "start.htm\na/b.htm#x\n\n");
    d.dir.write("pages/out/tree/start.htm", w1251("<p>Начало</p>"));
    d.dir.write("pages/out/tree/a/b.htm", "<a name=x>B</a>");
    ReadingBook book;
    ASSERT_TRUE(d.open(book).ok);
    EXPECT_EQ(book.layout(), BookLayout::PageFile);
    EXPECT_TRUE(book.store().empty());

    PageShow s = book.ShowPage(1, 2, "", true, 0, kNoHits, {});
    ASSERT_TRUE(s.load);
    EXPECT_EQ(s.loadAnchor, "#x");
    EXPECT_EQ(book.currentPageName, "a/b.htm#x");
    EXPECT_EQ(d.shown(), "<a name=x>B</a>");

    // An entry without a page: nothing at all, not even a history entry.
    s = book.ShowPage(2, 2, "", true, 0, kNoHits, {});
    EXPECT_FALSE(s.load);
    EXPECT_EQ(book.history.count(), 1);

    s = book.ShowPageFile("start.htm", "top", true, 0, kNoHits);
    ASSERT_TRUE(s.load);
    EXPECT_EQ(s.positionAnchor, "top");
    EXPECT_EQ(d.shown(), w1251("<p>Начало</p>"));

    // A missing page file: recorded, nothing loaded, the anchor still positioned.
    s = book.ShowPageFile("missing.htm", "m", true, 0, kNoHits);
    EXPECT_FALSE(s.load);
    EXPECT_EQ(s.positionAnchor, "m");
    EXPECT_EQ(book.history.count(), 3);
    EXPECT_EQ(d.shown(), w1251("<p>Начало</p>"));

    // Pictures of the page are looked up beside it.
    d.dir.write("pages/out/tree/a/pic.gif", "GIF");
    book.ShowPage(1, 2, "", false, 0, kNoHits, {});
    EXPECT_EQ(mapImageRequest("pic.gif", book.requestContext()).kind, ImageAnswer::File);
}

TEST(ReadingBook, DamagedBooks) {
    struct Case {
        const char* what;
        std::string contents, offsets, pageTxt, store;
        bool opens;
        const char* firstBody; // single-store body of the first page, or nullptr
    };
    const Case cases[] = {
        {"depth jump", "A\n\t\t\tB\n", "0\n5\n", "", "12345", false, nullptr},
        {"0-byte contents", "", "0\n5\n", "", "12345", true, ""},
        {"garbage offsets", "A\nB\n", "zz\n@@\n\x01\n", "", "12345", true, ""},
        {"offsets past the store", "A\nB\n", "3\n900\n1000\n", "", "12345", true, "45"},
        {"empty page store", "A\nB\n", "0\n10\n20\n", "", "", true, ""},
        {"Page.txt naming missing files", "A\nB\n", "", "nowhere.htm\nx/y.htm#a\n", "", true,
         nullptr},
    };
    for (const Case& k : cases) {
        DiskBook d;
        d.dir.write("base/contents.txt", k.contents);
        if (!k.offsets.empty()) d.dir.write("base/offset1.txt", k.offsets);
        if (!k.pageTxt.empty()) d.dir.write("base/Page.txt", k.pageTxt);
        d.dir.write("pages/1.htm", k.store);
        ReadingBook book;
        const ReadStatus s = d.open(book);
        EXPECT_EQ(s.ok, k.opens) << k.what;
        if (!s.ok) {
            EXPECT_FALSE(s.message.empty()) << k.what;
            EXPECT_EQ(book.contents().count(), 0) << k.what;
            continue;
        }
        const ResolvedPage first = book.firstPage();
        book.currentEntry = first.entry;
        const PageShow show = book.ShowPage(first.start, first.end, "", true, 0, kNoHits, {});
        if (k.firstBody) {
            ASSERT_TRUE(show.load) << k.what;
            const std::string page = d.shown();
            const std::string link = book.contents().count() > 1 ? continuationLink() : "";
            EXPECT_EQ(page, std::string(kPageHeadScheme) + k.firstBody + link + "</BODY></HTML>")
                << k.what;
        } else {
            EXPECT_FALSE(show.load) << k.what;
        }
        for (int i = 0; i < book.contents().count(); ++i) {
            if (auto p = book.contents().resolve(i))
                book.ShowPage(p->start, p->end, "", true, 0, kNoHits, {});
        }
    }
}

TEST(ReadingBook, UnreadableStoreAndUnwritableUserFolder) {
    DiskBook d;
    d.dir.write("base/contents.txt", "A\n");
    d.dir.write("base/offset1.txt", "0\n4\n");
    ReadingBook book;
    ASSERT_TRUE(d.open(book).ok); // no store file: the book has no page text
    EXPECT_TRUE(book.store().empty());
    book.close();

    d.dir.write("pages/1.htm", "text");
    d.paths.UserPath = readerPath(d.dir.file("no/such/folder"), true);
    ASSERT_TRUE(d.open(book).ok);
    const PageShow s = book.ShowPage(0, 4, "", true, 0, kNoHits, {});
    EXPECT_TRUE(s.writeFailed);
    EXPECT_FALSE(s.load);
}
