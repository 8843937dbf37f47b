// The contents tree, links and the reading history on the sample books.
#include "app/Main.h"
#include "books.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/viewer.h"
#include "support/messagehook.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class SampleBook : public ::testing::Test {
  protected:
    void SetUp() override {
        installCopy(sampleBook(), dir, "t_nav");
        form = startIn(dir);
    }
    int selectedEntry() const { return KatalogFiller::indexOf(form->Katalog->currentItem()); }
    std::string caption() const { return form->CaptView->text().toStdString(); }
    bool backEnabled() const {
        const bool b = form->ToolbarButton973->isEnabled();
        EXPECT_EQ(form->Pop1Back->isEnabled(), b);
        return b;
    }
    bool forwardEnabled() const {
        const bool f = form->ToolbarButton974->isEnabled();
        EXPECT_EQ(form->Pop1Forward->isEnabled(), f);
        return f;
    }
    TempDir dir;
    MessageRecorder rec;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(SampleBook, DoubleClickAndEnterOpenEntries) {
    // Double click on an entry of the second level.
    QTreeWidgetItem* sky = form->KatalogFill->item(3);
    ASSERT_NE(sky, nullptr);
    form->Katalog->scrollToItem(sky);
    const QPoint at = form->Katalog->visualItemRect(sky).center();
    QTest::mouseClick(form->Katalog->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form->Katalog->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(form->Book.currentEntry, 3);
    EXPECT_EQ(caption(), "Глава 1. Небесная сфера/1.1. Что мы видим на небе");
    EXPECT_TRUE(form->Viewer->hasFocus()); // the reader lands in the page

    // Enter in the tree on a redirect entry opens the entry after it.
    form->KatalogFill->select(2);
    form->Katalog->setFocus();
    QTest::keyClick(form->Katalog, Qt::Key_Return);
    EXPECT_EQ(form->Book.currentEntry, 3);
    form->KatalogFill->select(1);
    form->Katalog->setFocus();
    QTest::keyClick(form->Katalog, Qt::Key_Return);
    EXPECT_EQ(form->Book.currentEntry, 1);
    EXPECT_EQ(caption(), "Предисловие");
    EXPECT_NE(viewerText(*form).find("Астрономия"), std::string::npos);
    EXPECT_EQ(form->Book.history.count(), 3); // the redirect showed the page already on screen
}

TEST(OpeningAnEntry, MovesThreeLinesIntoThePage) {
    // Entry 1's page made long enough to scroll: it runs to the end of the store.
    TempDir dir;
    installCopy(sampleBook(), dir, "t_down");
    const std::string store = dir.read("book/1.htm");
    dir.write("book/base/offset1.txt", "0\r\n1\r\n" + std::to_string(store.size()) + "\r\n");
    MessageRecorder rec;
    auto form = startIn(dir);
    form->KatalogFill->select(1);
    form->KatalogDblClick();
    ASSERT_EQ(form->Book.currentEntry, 1);
    ASSERT_GT(form->Viewer->verticalScrollBar()->maximum(), 0);
    EXPECT_GT(form->Viewer->scrollPosition(), 0);
}

TEST_F(SampleBook, ContinuationWalksOverRedirects) {
    form->KatalogFill->select(1);
    form->KatalogDblClick();
    ASSERT_EQ(form->Book.currentEntry, 1);
    form->ViewerHotSpotTargetClick("kovrex_next"); // entry 2 has no page of its own
    EXPECT_EQ(form->Book.currentEntry, 3);
    EXPECT_EQ(selectedEntry(), 3);
    EXPECT_EQ(caption(), "Глава 1. Небесная сфера/1.1. Что мы видим на небе");

    // The last entry's page has no continuation link.
    const int last = form->Book.contents().count() - 1;
    form->KatalogFill->select(last);
    form->KatalogDblClick();
    EXPECT_EQ(viewerText(*form).find("далее"), std::string::npos);
    form->ViewerHotSpotTargetClick("kovrex_next");
    EXPECT_EQ(form->Book.currentEntry, last);
}

TEST_F(SampleBook, NumberedAnchorAndShellLinks) {
    const int before = form->Book.history.count();
    form->ViewerHotSpotTargetClick("6#dipper");
    EXPECT_EQ(form->Book.currentEntry, 5);
    EXPECT_EQ(form->Book.history.count(), before + 1);
    EXPECT_EQ(form->Book.history.at(form->Book.history.position()).anchor, "dipper");

    form->ViewerHotSpotTargetClick("#dipper"); // scrolls only
    EXPECT_EQ(form->Book.history.count(), before + 1);

    const int entry = form->Book.currentEntry;
    for (const char* outOfRange : {"0#", "99#x", "-3#"}) {
        form->ViewerHotSpotTargetClick(outOfRange);
        EXPECT_EQ(form->Book.currentEntry, entry) << outOfRange;
    }

    std::vector<ShellCall> calls;
    ShellHook previous = setShellHook([&](const ShellCall& c) {
        calls.push_back(c);
        return true;
    });
    form->ViewerHotSpotTargetClick("https://www.iau.org/");
    form->ViewerHotSpotTargetClick("docs/journal.htm");
    form->ViewerHotSpotTargetClick("film.avi"); // not in the working folder: a message
    form->ViewerHotSpotTargetClick("$9,1");     // a task kind without a window does nothing
    setShellHook(previous);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].target, "https://www.iau.org/");
    EXPECT_EQ(calls[0].workDir, form->UserPath());
    EXPECT_EQ(nativePath(calls[1].target), fs::path(dir.file("book/docs/journal.htm")).string());
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, w1251("Не могу открыть файл ") + WorkFolder + "\\film.avi");
    EXPECT_EQ(rec.messages[0].caption, w1251("Ошибка"));

    std::vector<int> task;
    form->openTask = [&](int k, int n, int m) { task = {k, n, m}; };
    form->ViewerHotSpotTargetClick("$5,160");
    EXPECT_EQ(task, (std::vector<int>{5, 160, 1}));
}

TEST_F(SampleBook, BackAndForward) {
    EXPECT_FALSE(backEnabled());
    EXPECT_FALSE(forwardEnabled());
    form->ViewerHotSpotTargetClick("2#");
    form->ViewerHotSpotTargetClick("6#dipper");
    EXPECT_TRUE(backEnabled());
    EXPECT_FALSE(forwardEnabled());

    form->N41Click();
    EXPECT_EQ(form->Book.currentEntry, 1);
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(caption(), "Предисловие");
    EXPECT_TRUE(forwardEnabled());
    form->N41Click();
    EXPECT_EQ(form->Book.currentEntry, 0);
    EXPECT_FALSE(backEnabled());
    form->N41Click(); // nothing before the first page
    EXPECT_EQ(form->Book.history.position(), 0);

    form->N40Click();
    EXPECT_EQ(form->Book.currentEntry, 1);
    EXPECT_TRUE(backEnabled());
    EXPECT_TRUE(forwardEnabled());

    // A link after Back drops the forward part.
    form->ViewerHotSpotTargetClick("8#");
    EXPECT_FALSE(forwardEnabled());
    EXPECT_EQ(form->Book.history.count(), 3);
}

TEST_F(SampleBook, ScrollPlaceComesBackWithTheHistory) {
    // A page long enough to scroll: the page store's whole text shown as one page.
    const int32_t end = int32_t(form->Book.store().size());
    form->ShowPage(0, end, "", true);
    form->Viewer->setScrollPosition(120);
    const int kept = form->Viewer->scrollPosition();
    ASSERT_GT(kept, 0);
    form->ViewerHotSpotTargetClick("2#");
    form->N41Click();
    EXPECT_EQ(form->Viewer->scrollPosition(), kept);
}

TEST_F(SampleBook, The252ndPageDropsTheFirst) {
    const ResolvedPage p = form->Book.contents().pageRange(1);
    for (int i = 1; i <= 252; ++i)
        form->ShowPage(p.start, p.end, "a" + std::to_string(i), true);
    // 1 opening page + 252: the oldest two went.
    EXPECT_EQ(form->Book.history.count(), 251);
    EXPECT_EQ(form->Book.history.at(0).anchor, "a2");
    int backs = 0;
    while (form->ToolbarButton973->isEnabled()) {
        form->N41Click();
        ++backs;
    }
    EXPECT_EQ(backs, 250);
    EXPECT_EQ(form->Book.history.position(), 0);
}

TEST_F(SampleBook, ExpandAndCollapseAll) {
    form->KatalogFill->select(4);
    form->N45Click();
    EXPECT_TRUE(form->KatalogFill->item(4)->isExpanded());
    EXPECT_TRUE(form->ToolbarButton9717->isHidden());
    EXPECT_FALSE(form->ToolbarButton9713->isHidden());
    EXPECT_EQ(selectedEntry(), 4);
    form->N46Click();
    EXPECT_FALSE(form->KatalogFill->item(0)->isExpanded());
    EXPECT_FALSE(form->ToolbarButton9717->isHidden());
    EXPECT_TRUE(form->ToolbarButton9713->isHidden());
}

TEST(PageFileBook, SubFoldersAnchorsAndRelativePictures) {
    TempDir dir;
    const std::string book = installCopy(pageFileBook(), dir, "t_pages");
    MessageRecorder rec;
    auto form = startIn(dir);
    EXPECT_EQ(form->Book.layout(), BookLayout::PageFile);
    EXPECT_EQ(form->Book.currentPageName, "start.htm");
    EXPECT_EQ(form->windowTitle().toStdString(), "ИД \"ТАЛЬМАРАН\" Путеводитель наблюдателя");

    form->KatalogFill->select(3); // "spring/sky.htm#leo"
    form->KatalogDblClick();
    EXPECT_EQ(form->Book.currentEntry, 3);
    EXPECT_EQ(form->Book.currentPageName, "spring/sky.htm#leo");
    form->Viewer->viewport()->grab(); // lays the page out: its pictures are asked for

    // A page link relative to "out\\tree\\" (Pelvar clear).
    form->ViewerHotSpotTargetClick("summer/triangle.htm");
    EXPECT_EQ(form->Book.currentPageName, "summer/triangle.htm");
    EXPECT_NE(viewerText(*form).find("треугольник"), std::string::npos);

    // An entry without a page does nothing.
    const int before = form->Book.history.count();
    form->KatalogFill->select(8);
    form->KatalogDblClick();
    EXPECT_EQ(form->Book.history.count(), before);

    // A picture named without its folder is found beside its page; a missing one is named.
    fs::copy_file(book + "/out/tree/pictures/dipper.gif", book + "/out/tree/summer/local.gif");
    std::ofstream(book + "/out/tree/summer/extra.htm")
        << "<html><body><img src=\"local.gif\"><img src=\"gone.gif\"></body></html>";
    form->ShowPageFile("summer/extra.htm", "", true);
    form->Viewer->viewport()->grab();
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, "gone.gif");

    // Back returns to the page-file page with its name.
    form->N41Click();
    EXPECT_EQ(form->Book.currentPageName, "summer/triangle.htm");

    // A page link with an anchor opens that page at the anchor.
    form->ViewerHotSpotTargetClick("spring/sky.htm#leo");
    EXPECT_EQ(form->Book.currentPageName, "spring/sky.htm");
    EXPECT_NE(form->Book.history.at(form->Book.history.position()).anchor.find("leo"),
              std::string::npos);
}
