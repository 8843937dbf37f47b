// The command map: switches by the book's files, the toolbar's arrangement, the contents-panel
// toggle, copy and select all, commands that later parts connect.
#include "app/Main.h"
#include "books.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/viewer.h"
#include "support/messagehook.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(Commands, SwitchedByTheBooksFiles) {
    struct Case {
        const char* what;
        std::vector<const char*> removed; // files taken out of the book copy
        const char* regKey;
        bool comfort, term, pattern, searchSep, info;
    };
    const Case cases[] = {
        {"every file", {}, "t_all", true, true, true, true, true},
        {"no book.txt", {"book.txt"}, "t_notxt", false, true, true, true, true},
        {"gloss only", {"base/allgloss.dat"}, "t_gloss", true, true, false, true, true},
        {"allgloss only", {"base/gloss.dat"}, "t_allgloss", true, false, true, true, true},
        {"no glossaries",
         {"base/gloss.dat", "base/allgloss.dat"},
         "t_nogloss",
         true,
         false,
         false,
         false,
         true},
        {"archive key", {}, "kovrex_arhiv", true, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        installCopy(sampleBook(), dir, c.regKey);
        for (const char* f : c.removed)
            fs::remove(dir.file(std::string("book/") + f));
        MessageRecorder rec;
        auto form = startIn(dir);
        form->connectCommand(Cmd::InfoService, [] {});
        EXPECT_EQ(!form->ToolbarButton9714->isHidden(), c.comfort);
        EXPECT_EQ(form->MenuComfortEntry->isVisible(), c.comfort);
        EXPECT_EQ(form->MenuComfortSep->isVisible(), c.comfort);
        EXPECT_EQ(form->MenuTermSearch->isVisible(), c.term);
        EXPECT_EQ(form->Pop1TermSearch->isVisible(), c.term);
        EXPECT_EQ(!form->ToolbarButton977->isHidden(), c.pattern);
        EXPECT_EQ(form->MenuPatternSearch->isVisible(), c.pattern);
        EXPECT_EQ(form->MenuSearchSep->isVisible(), c.searchSep);
        EXPECT_EQ(form->MenuInfo->isVisible(), c.info);
        EXPECT_EQ(form->ToolbarButton9715->isEnabled(), c.info);
    }
}

TEST(Commands, AnotherBookSwitchesAgain) {
    TempDir a, b;
    installCopy(sampleBook(), a, "kovrex_arhiv");
    const std::string other = installCopy(sampleBook(), b, "t_other");
    fs::remove(b.file("book/base/allgloss.dat"));
    MessageRecorder rec;
    auto form = startIn(a);
    form->connectCommand(Cmd::InfoService, [] {});
    EXPECT_FALSE(form->MenuInfo->isVisible());
    const int patternWidth = form->ToolbarButton977->width();
    const int contentsSearchX = form->ToolbarButton978->x();

    form->OpenBook(readerPath(other));
    EXPECT_TRUE(form->MenuInfo->isVisible());
    EXPECT_TRUE(form->ToolbarButton9715->isEnabled());
    EXPECT_EQ(form->windowTitle().toStdString(),
              "ИД \"ТАЛЬМАРАН\" Небо над нами. Краткое введение в астрономию");
    EXPECT_EQ(form->RegKey, "t_other");
    // The hidden pattern-search button leaves no gap.
    EXPECT_TRUE(form->ToolbarButton977->isHidden());
    EXPECT_EQ(form->ToolbarButton978->x(), contentsSearchX - patternWidth);
    EXPECT_EQ(form->EbookIni, readerPath(other) + "\\ebook.ini");
    EXPECT_TRUE(rec.messages.empty());
}

TEST(Commands, LaterFeaturesStayDisabledUntilConnected) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_cmds");
    auto form = startIn(dir);
    for (QAction* a : {form->MenuPrint, form->MenuWordSearch, form->Pop1WordSearch,
                       form->MenuBookmarks, form->Pop3AddBookmark, form->MenuAppearance,
                       form->MenuCatalogue, form->Pop4Cart, form->MenuAbout, form->Pop5Start})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QToolButton* b : {form->ToolbarButton976, form->ToolbarButton9710, form->ToolbarButton975,
                           form->ToolbarButton9715})
        EXPECT_FALSE(b->isEnabled()) << b->toolTip().toStdString();
    // What this window does itself works from the start.
    for (QAction* a : {form->MenuCopy, form->MenuSelectAll, form->MenuExit, form->MenuExpand,
                       form->Pop2Expand, form->MenuHelpContents})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();

    int runs = 0;
    form->connectCommand(Cmd::WordSearch, [&] { ++runs; });
    EXPECT_TRUE(form->MenuWordSearch->isEnabled());
    EXPECT_TRUE(form->ToolbarButton976->isEnabled());
    form->MenuWordSearch->trigger();
    form->Pop1WordSearch->trigger();
    form->ToolbarButton976->click();
    EXPECT_EQ(runs, 3);
}

TEST(Commands, ContentsPanelToggleAndSplitterMinimum) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_panel");
    auto form = startIn(dir);
    EXPECT_FALSE(form->ToolbarButton971->isHidden());
    EXPECT_TRUE(form->ToolbarButton9716->isHidden());
    const int showX = form->ToolbarButton9717->x();

    form->ToolButton1Click();
    EXPECT_EQ(form->PanelTree->width(), 2);
    EXPECT_TRUE(form->ToolbarButton971->isHidden());
    EXPECT_FALSE(form->ToolbarButton9716->isHidden());
    EXPECT_EQ(form->ToolbarButton9716->x(), 0);
    EXPECT_EQ(form->ToolbarButton9717->x(), showX);

    form->ToolButton1Click();
    EXPECT_EQ(form->PanelTree->width(), 250);

    // A drag to 1 pixel stops at 2; the toggle then opens the panel, since 2 is below 3.
    form->Splitter1->setSizes({1, 900});
    EXPECT_EQ(form->PanelTree->width(), 2);
    form->ToolButton1Click();
    EXPECT_EQ(form->PanelTree->width(), 250);
    EXPECT_FALSE(form->ToolbarButton971->isHidden());
}

TEST(Commands, CopySelectAllAndTheirKeys) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_copy");
    auto form = startIn(dir);
    form->Dsltkbnmdct1Click();
    form->N8Click();
    const QString page = form->Viewer->toPlainText();
    EXPECT_EQ(QApplication::clipboard()->text(), page);

    QApplication::clipboard()->clear();
    form->Viewer->moveCursor(QTextCursor::Start);
    form->Viewer->setFocus();
    QTest::keyClick(form->Viewer, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form->Viewer->textCursor().selectedText().size(), page.size());
    QTest::keyClick(form->Viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(QApplication::clipboard()->text().isEmpty());
}

TEST(Commands, HelpWithoutItsFileSaysSo) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_help");
    auto form = startIn(dir);
    MessageRecorder rec;
    form->MenuHelpContents->trigger();
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_NE(rec.messages[0].text.find("book.hlp"), std::string::npos);

    // With the file there, the desktop is asked to open it.
    dir.write("book/book.hlp", "help");
    std::vector<ShellCall> calls;
    ShellHook previous = setShellHook([&](const ShellCall& c) {
        calls.push_back(c);
        return true;
    });
    form->activateWindow();
    form->Viewer->setFocus();
    QTest::keyClick(form->Viewer, Qt::Key_F1);
    setShellHook(previous);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, form->HelpFile);
    EXPECT_EQ(rec.messages.size(), 1u);
}

TEST(Commands, CaptionStripsFollowTheFocus) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_focus");
    auto form = startIn(dir);
    form->activateWindow();
    form->Katalog->setFocus();
    settle();
    ASSERT_TRUE(form->Katalog->hasFocus());
    EXPECT_TRUE(form->CaptTree->font().bold());
    EXPECT_FALSE(form->CaptView->font().bold());
    form->Viewer->setFocus();
    settle();
    EXPECT_FALSE(form->CaptTree->font().bold());
    EXPECT_TRUE(form->CaptView->font().bold());
}
