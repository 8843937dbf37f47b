// The main window: owns the open book and the reading state; every other window reaches the book
// through Form1.
#pragma once

#include "app/BookOpen.h"
#include "reading/katalog.h"
#include "reading/readingbook.h"
#include "search/highlight.h"

#include <QIcon>
#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BookViewer;
class MediumWatch;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Process-wide state settled at start-up and by the first opening. Texts are Windows-1251 reader
// paths without a trailing separator.
extern std::string SchemeFolder; // the scheme files and the skin
extern std::string WorkFolder;   // help file, marker files, arrows, videos, the first book
extern bool Pelvar;              // from the open book's "ebook.ini"
extern bool FirstOpening;        // set until the end of the first OpenBook
extern std::string FirstRegKey;  // RegKey and UserPath of the first book opened
extern std::string FirstUserPath;

// Features whose windows come with other parts of the program. Their menu entries and buttons
// stay disabled until connectCommand gives them a handler.
enum class Cmd {
    Print,
    ExportWord,
    WordSearch,
    PatternSearch,
    TermSearch,
    SearchResults,
    FindInPage,
    ContentsSearch,
    ComfortStart,
    ComfortContinue,
    BookmarkList,
    AddBookmark,
    Appearance,
    ShopCatalogue,
    ShopSearch,
    ShopCart,
    DownloadedBooks,
    ConnectionSettings,
    InfoService,
    About,
};

// A contents edge of the skin: the pictures around the tree or the viewer (filled by the skin).
struct EdgeFrame {
    QWidget* top = nullptr;    // Panel9 / Panel10
    QWidget* bottom = nullptr; // Panel11 / Panel12
    QLabel *left = nullptr, *right = nullptr;
    QLabel *topEdge = nullptr, *topLeft = nullptr, *topRight = nullptr;
    QLabel *bottomEdge = nullptr, *bottomLeft = nullptr, *bottomRight = nullptr;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Creates the window and opens the book of the working folder (the current folder's "book"
    // sub-folder when there is one).
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- the open book -------------------------------------------------------------------
    void OpenBook(std::string folder);
    std::string RegKey;
    std::string EbookIni; // the file the medium watch looks at
    bool BookUnavailable = false;
    std::string HelpFile;      // "book.hlp" of the working folder
    bool ShowExResult = false; // the search dialogs' show-annotation setting
    // The paths, contents, page store, current entry and page name, and the reading history.
    ReadingBook Book;
    const std::string& BasePath() const { return Book.paths().BasePath; }
    const std::string& IndexFile() const { return Book.paths().IndexFile; }
    const std::string& PagesPath() const { return Book.paths().PagesPath; }
    const std::string& UserPath() const { return Book.paths().UserPath; }
    // The colours of the page colour markers (the appearance's defaults until it sets them).
    MarkerColours Colours;

    // ---- reading -------------------------------------------------------------------------
    void ShowPage(int32_t start, int32_t end, const std::string& anchor, bool record,
                  const HighlightInputs& hits = {});
    void ShowPageFile(const std::string& name, const std::string& anchor, bool record,
                      const HighlightInputs& hits = {});
    void KatalogDblClick();
    void N45Click();            // expand all
    void N46Click();            // collapse all
    void N41Click();            // Back
    void N40Click();            // Forward
    void ViewerHistoryChange(); // Back/Forward enabling
    void ViewerHotSpotTargetClick(const std::string& address);
    // Task links ("$k,n[,m]"): the exam and exercise windows connect here.
    std::function<void(int kind, int n, int m)> openTask;

    // ---- commands ------------------------------------------------------------------------
    void connectCommand(Cmd cmd, std::function<void()> handler);
    bool commandConnected(Cmd cmd) const { return m_handlers.count(cmd) != 0; }
    void ArrangeToolbar(QWidget* toolbar);
    void ToolButton1Click();  // contents-panel toggle
    void N8Click();           // copy
    void Dsltkbnmdct1Click(); // select all
    void N7Click();           // exit
    void helpContents();
    void helpSearch();

    // ---- components ----------------------------------------------------------------------
    QWidget *Panel3 = nullptr, *Panel5 = nullptr, *ToolBar1 = nullptr, *Panel1 = nullptr;
    QLabel* Img1 = nullptr;
    QWidget *PanelTree = nullptr, *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QLabel *CaptTree = nullptr, *CaptView = nullptr;
    EdgeFrame KatEdges, TextEdges;
    QTreeWidget* Katalog = nullptr;
    BookViewer* Viewer = nullptr;
    std::unique_ptr<KatalogFiller> KatalogFill; // items, icons 0-4, expand/collapse of Katalog
    KatalogDelegate* KatalogDraw = nullptr;     // selection colours
    std::array<QIcon, 7> ForTree;               // tree images

    QToolButton *ToolbarButton971, *ToolbarButton9716, *ToolbarButton9717, *ToolbarButton9713,
        *ToolbarButton973, *ToolbarButton974, *ToolbarButton9712, *ToolbarButton976,
        *ToolbarButton977, *ToolbarButton978, *ToolbarButton979, *ToolbarButton9710,
        *ToolbarButton972, *ToolbarButton9711, *ToolbarButton975, *ToolbarButton9714,
        *ToolbarButton9718, *ToolbarButton9715;

    // Main menu (MainMenu1); entries shown or hidden at run time are members.
    QMenu *MenuFile, *MenuEdit, *MenuSearch, *MenuSearchAll, *MenuService, *MenuShop, *MenuHelp;
    QMenu* MenuComfort;
    QAction *MenuPrint, *MenuExit, *MenuCopy, *MenuExport, *MenuSelectAll;
    QAction *MenuWordSearch, *MenuPatternSearch, *MenuTermSearch, *MenuResults, *MenuFindInPage,
        *MenuSearchSep, *MenuContentsSearch;
    QAction *MenuComfortEntry, *MenuComfortStart, *MenuComfortContinue, *MenuComfortSep;
    QAction *MenuExpand, *MenuCollapse, *MenuForward, *MenuBack, *MenuHistorySep;
    QAction *MenuBookmarks, *MenuAddBookmark, *MenuAppearance;
    QAction *MenuShopEntry, *MenuCatalogue, *MenuShopSearch, *MenuCart, *MenuDownloaded,
        *MenuConnection, *MenuInfo;
    QAction *MenuHelpContents, *MenuHelpSearch, *MenuAbout;

    QMenu *PopupMenu1, *PopupMenu2, *PopupMenu3, *PopupMenu4, *PopupMenu5;
    QAction *Pop1Copy, *Pop1Export, *Pop1SelectAll, *Pop1FindInPage, *Pop1WordSearch,
        *Pop1TermSearch, *Pop1Results, *Pop1Forward, *Pop1Back, *Pop1AddBookmark, *Pop1Params;
    QAction *Pop2Expand, *Pop2Collapse, *Pop2ContentsSearch, *Pop2Enter;
    QAction *Pop3Bookmarks, *Pop3AddBookmark;
    QAction *Pop4Catalogue, *Pop4Search, *Pop4Cart, *Pop4Downloaded, *Pop4Connection;
    QAction *Pop5Start, *Pop5Continue;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Window building (MainCommands.cpp).
    void buildLayout();
    void buildToolbar();
    void buildMenus();
    void buildPopups();
    void registerCommandEntries();
    void applyCommandSwitches();
    void setInfoServiceAllowed(bool allowed);

    // Book opening (Main.cpp).
    void InstallBookFonts(const std::string& folder);
    void ReadBookPaths(const std::string& regKey);
    void loadQuietShopSettings(); // the shop settings arrive with the e-library
    void FormClose();
    void Timer1Timer(); // after each medium check: closes an unavailable book's window
    void updateCaptionFocus();

    // Contents and pages (MainReading.cpp).
    void connectReading();
    void carryOut(const PageShow& show);
    void showHistoryEntry(const HistoryEntry& entry);
    std::optional<QByteArray> ViewerImageRequest(const std::string& src);
    std::optional<QByteArray> ViewerStreamRequest(const std::string& src);
    QByteArray backdropBitmap() const;
    void openResolved(const ResolvedPage& page);

    std::unique_ptr<MediumWatch> m_watch;
    std::string m_placementKey; // the user book key of the last ReadBookPaths
    BookPaths m_paths;          // as the last ReadBookPaths read them
    bool m_starting = false;    // the opening inside the window's creation
    std::map<Cmd, std::function<void()>> m_handlers;
    std::map<Cmd, std::vector<QObject*>> m_entries; // actions and buttons of each command
    bool m_infoAllowed = true;
};

// The process-wide reference other windows use to reach the open book.
extern TForm1* Form1;
