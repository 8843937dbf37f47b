// The main window's layout, menus, pop-up menus, toolbar and command map.
#include "app/Icons.h"
#include "app/Main.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/viewer.h"

#include <QAction>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPanel3Height = 97;
constexpr int kPanel5Height = 29;
constexpr int kButtonWidth = 46;

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A panel holding `content` between the skin's edge pictures (filled in by the skin; empty and
// zero-sized until then).
QWidget* framedPanel(QWidget* parent, QWidget* content, EdgeFrame& e, const char* name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto edge = [panel]() {
        auto* l = new QLabel(panel);
        l->setScaledContents(true);
        l->hide();
        return l;
    };
    auto strip = [panel, &edge](QLabel*& left, QLabel*& mid, QLabel*& right) {
        auto* w = new QWidget(panel);
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(0);
        left = edge();
        mid = edge();
        right = edge();
        h->addWidget(left);
        h->addWidget(mid, 1);
        h->addWidget(right);
        w->hide();
        return w;
    };
    e.top = strip(e.topLeft, e.topEdge, e.topRight);
    e.bottom = strip(e.bottomLeft, e.bottomEdge, e.bottomRight);
    e.left = edge();
    e.right = edge();
    grid->addWidget(e.top, 0, 0, 1, 3);
    grid->addWidget(e.left, 1, 0);
    grid->addWidget(content, 1, 1);
    grid->addWidget(e.right, 1, 2);
    grid->addWidget(e.bottom, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    return panel;
}

QAction* addEntry(QMenu* menu, const char* text, const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(q(text));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

} // namespace

void TForm1::buildLayout() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel3 = new QWidget(central);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kPanel3Height);
    auto* p3 = new QVBoxLayout(Panel3);
    p3->setContentsMargins(0, 0, 0, 0);
    p3->setSpacing(0);
    Panel5 = new QWidget(Panel3);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedHeight(kPanel5Height);
    Img1 = new QLabel(Panel5);
    Img1->setScaledContents(true);
    auto* p5 = new QVBoxLayout(Panel5);
    p5->setContentsMargins(0, 0, 0, 0);
    p5->addWidget(Img1);
    // Without a skin the header strip is a quiet gradient instead of a picture.
    Panel5->setAutoFillBackground(true);
    Panel5->setStyleSheet(QStringLiteral(
        "#Panel5 { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1c3f6e, "
        "stop:1 #8aa9d1); }"));
    ToolBar1 = new QWidget(Panel3);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->installEventFilter(this); // button height follows the toolbar height
    p3->addWidget(Panel5);
    p3->addWidget(ToolBar1, 1);
    column->addWidget(Panel3);

    Panel1 = new QWidget(central);
    auto* p1 = new QVBoxLayout(Panel1);
    p1->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, Panel1);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    p1->addWidget(Splitter1);
    column->addWidget(Panel1, 1);

    // Contents panel: caption above the tree.
    PanelTree = new QWidget(Splitter1);
    PanelTree->setObjectName(QStringLiteral("PanelTree"));
    PanelTree->setMinimumWidth(2); // a drag never makes it narrower than 2 pixels
    auto* pt = new QVBoxLayout(PanelTree);
    pt->setContentsMargins(0, 0, 0, 0);
    pt->setSpacing(0);
    CaptTree = new QLabel(q("Оглавление"), PanelTree);
    CaptTree->setAlignment(Qt::AlignCenter);
    CaptTree->setMinimumWidth(0);
    CaptTree->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Katalog = new QTreeWidget;
    Katalog->setObjectName(QStringLiteral("Katalog"));
    Katalog->setHeaderHidden(true);
    Katalog->setIndentation(23);
    Katalog->setRootIsDecorated(false);
    Katalog->setItemsExpandable(true);
    Katalog->setExpandsOnDoubleClick(false);
    Katalog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Katalog->setUniformRowHeights(true);
    Katalog->setMinimumWidth(0);
    Katalog->setContextMenuPolicy(Qt::CustomContextMenu);
    {
        // The selection stays visible when the tree loses the focus.
        QPalette pal = Katalog->palette();
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     pal.color(QPalette::Active, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     pal.color(QPalette::Active, QPalette::HighlightedText));
        Katalog->setPalette(pal);
    }
    Panel6 = framedPanel(PanelTree, Katalog, KatEdges, "Panel6");
    Panel6->setMinimumWidth(0);
    pt->addWidget(CaptTree);
    pt->addWidget(Panel6, 1);

    // View panel: caption above the viewer.
    Panel7 = new QWidget(Splitter1);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    auto* p7 = new QVBoxLayout(Panel7);
    p7->setContentsMargins(0, 0, 0, 0);
    p7->setSpacing(0);
    CaptView = new QLabel(q("  Просмотр"), Panel7);
    CaptView->setWordWrap(true); // long contents paths wrap
    CaptView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    Viewer = new BookViewer;
    Viewer->setObjectName(QStringLiteral("Viewer"));
    Panel8 = framedPanel(Panel7, Viewer, TextEdges, "Panel8");
    p7->addWidget(CaptView);
    p7->addWidget(Panel8, 1);

    Splitter1->addWidget(PanelTree);
    Splitter1->addWidget(Panel7);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({185, 815});

    for (QLabel* c : {CaptTree, CaptView}) {
        c->setAutoFillBackground(true);
        c->setMargin(2);
    }
    setCentralWidget(central);
}

void TForm1::buildToolbar() {
    struct Def {
        QToolButton** button;
        const char* name;
        const char* hint;
        const char* theme;
        const char* bundled;
    };
    const Def defs[] = {
        {&ToolbarButton971, "ToolbarButton971", "Свернуть оглавление", "view-sidebar-hide",
         "tree-hide"},
        {&ToolbarButton9716, "ToolbarButton9716", "Развернуть оглавление", "view-sidebar-show",
         "tree-show"},
        {&ToolbarButton9717, "ToolbarButton9717", "Раскрыть подкаталоги", "view-list-tree",
         "expand"},
        {&ToolbarButton9713, "ToolbarButton9713", "Закрыть подкаталоги", "view-list-compact",
         "collapse"},
        {&ToolbarButton973, "ToolbarButton973", "Назад", "go-previous", "back"},
        {&ToolbarButton974, "ToolbarButton974", "Вперед", "go-next", "forward"},
        {&ToolbarButton9712, "ToolbarButton9712", "Закладки", "bookmark-new", "bookmarks"},
        {&ToolbarButton976, "ToolbarButton976", "Поиск слова или фразы", "edit-find", "search"},
        {&ToolbarButton977, "ToolbarButton977", "Поиск слова (термина) по шаблону",
         "edit-find-replace", "pattern"},
        {&ToolbarButton978, "ToolbarButton978", "Поиск по оглавлению", "system-search",
         "contents-search"},
        {&ToolbarButton979, "ToolbarButton979", "Результат поиска", "view-list-details", "results"},
        {&ToolbarButton9710, "ToolbarButton9710", "Печать", "document-print", "print"},
        {&ToolbarButton972, "ToolbarButton972", "Копировать", "edit-copy", "copy"},
        {&ToolbarButton9711, "ToolbarButton9711", "Экспорт в Word", "x-office-document", "export"},
        {&ToolbarButton975, "ToolbarButton975", "Оформление", "preferences-desktop-theme",
         "appearance"},
        {&ToolbarButton9714, "ToolbarButton9714", "Комфортное чтение", "accessories-text-editor",
         "reading"},
        {&ToolbarButton9718, "ToolbarButton9718", "Е-Библиотека", "system-software-install",
         "library"},
        {&ToolbarButton9715, "ToolbarButton9715", "Инфо-Сервис (ON-LINE)", "network-server",
         "info"},
    };
    for (const Def& d : defs) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setToolTip(q(d.hint));
        b->setText(q(d.hint));
        b->setIcon(themedIcon(d.theme, d.bundled));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setAutoRaise(true);
        b->resize(kButtonWidth, kPanel3Height - kPanel5Height - 4);
        *d.button = b;
    }
    ToolbarButton9716->hide();
    ToolbarButton9713->hide();
    ToolBar1->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(ToolbarButton971, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connect(ToolbarButton9716, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connect(ToolbarButton9717, &QToolButton::clicked, this, &TForm1::N45Click);
    connect(ToolbarButton9713, &QToolButton::clicked, this, &TForm1::N46Click);
    connect(ToolbarButton973, &QToolButton::clicked, this, &TForm1::N41Click);
    connect(ToolbarButton974, &QToolButton::clicked, this, &TForm1::N40Click);
    connect(ToolbarButton972, &QToolButton::clicked, this, &TForm1::N8Click);
    ArrangeToolbar(ToolBar1);
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar(); // the menu bar at the top stands where the dock's menu stood

    MenuFile = bar->addMenu(q("&Файл"));
    MenuPrint = addEntry(MenuFile, "Печать...");
    MenuFile->addSeparator();
    MenuExit = addEntry(MenuFile, "Выход");

    MenuEdit = bar->addMenu(q("&Правка"));
    MenuCopy = addEntry(MenuEdit, "Копировать");
    MenuExport = addEntry(MenuEdit, "Экспорт страницы в Word");
    MenuEdit->addSeparator();
    MenuSelectAll = addEntry(MenuEdit, "Выделить все");

    MenuSearch = bar->addMenu(q("П&оиск"));
    MenuSearchAll = MenuSearch->addMenu(q("По всему тексту"));
    MenuWordSearch = addEntry(MenuSearchAll, "Поиск слова или фразы");
    MenuPatternSearch = addEntry(MenuSearchAll, "Поиск слова (термина) по шаблону");
    MenuTermSearch = addEntry(MenuSearchAll, "Поиск по терминам");
    MenuSearchAll->addSeparator();
    MenuResults = addEntry(MenuSearchAll, "Результат поиска ");
    MenuFindInPage = addEntry(MenuSearch, "Внутри страницы");
    MenuSearchSep = MenuSearch->addSeparator();
    MenuContentsSearch = addEntry(MenuSearch, "По оглавлению");

    MenuService = bar->addMenu(q("&Сервис"));
    MenuComfort = MenuService->addMenu(q("Комфортное чтение"));
    MenuComfortEntry = MenuComfort->menuAction();
    MenuComfortStart = addEntry(MenuComfort, "Начать");
    MenuComfortContinue = addEntry(MenuComfort, "Продолжить");
    MenuComfortSep = MenuService->addSeparator();
    MenuExpand = addEntry(MenuService, "Раскрыть подкаталоги");
    MenuCollapse = addEntry(MenuService, "Закрыть подкаталоги");
    MenuService->addSeparator();
    MenuForward = addEntry(MenuService, "Вперед");
    MenuBack = addEntry(MenuService, "Назад");
    MenuHistorySep = MenuService->addSeparator();
    for (QAction* a : {MenuForward, MenuBack, MenuHistorySep})
        a->setVisible(false);
    MenuBookmarks = addEntry(MenuService, "Закладки...");
    MenuAddBookmark = addEntry(MenuService, "Добавить закладку...");
    MenuService->addSeparator();
    MenuAppearance = addEntry(MenuService, "Оформление...");

    QMenu* shop = bar->addMenu(q("&Е-библиотека"));
    MenuShop = shop;
    MenuShopEntry = shop->menuAction();
    MenuCatalogue = addEntry(shop, "Каталог (ON-LINE)");
    MenuShopSearch = addEntry(shop, "Поиск (ON-LINE)");
    MenuCart = addEntry(shop, "Корзина (ON-LINE)");
    MenuDownloaded = addEntry(shop, "Загруженные книги");
    MenuConnection = addEntry(shop, "Настройки соединения");
    shop->addSeparator();
    MenuInfo = addEntry(shop, "INFO-Сервис (ON-LINE)");

    MenuHelp = bar->addMenu(q("По&мощь"));
    MenuHelpContents = addEntry(MenuHelp, "Содержание");
    MenuHelpSearch = addEntry(MenuHelp, "Поиск справки о ...");
    MenuHelp->addSeparator();
    MenuAbout = addEntry(MenuHelp, "О Программе...");

    connect(MenuExit, &QAction::triggered, this, &TForm1::N7Click);
    connect(MenuCopy, &QAction::triggered, this, &TForm1::N8Click);
    connect(MenuSelectAll, &QAction::triggered, this, &TForm1::Dsltkbnmdct1Click);
    connect(MenuExpand, &QAction::triggered, this, &TForm1::N45Click);
    connect(MenuCollapse, &QAction::triggered, this, &TForm1::N46Click);
    connect(MenuForward, &QAction::triggered, this, &TForm1::N40Click);
    connect(MenuBack, &QAction::triggered, this, &TForm1::N41Click);
    connect(MenuHelpContents, &QAction::triggered, this, &TForm1::helpContents);
    // F1 anywhere in the window: the help file has no context pages a viewer here could reach.
    auto* f1 = new QAction(this);
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::WindowShortcut);
    addAction(f1);
    connect(f1, &QAction::triggered, this, &TForm1::helpContents);
    connect(MenuHelpSearch, &QAction::triggered, this, &TForm1::helpSearch);
}

void TForm1::buildPopups() {
    PopupMenu1 = new QMenu(this);
    Pop1Copy = addEntry(PopupMenu1, "Копировать", QKeySequence(Qt::CTRL | Qt::Key_C));
    Pop1Export = addEntry(PopupMenu1, "Экспорт в Word");
    Pop1SelectAll = addEntry(PopupMenu1, "Выделить все", QKeySequence(Qt::CTRL | Qt::Key_A));
    PopupMenu1->addSeparator();
    Pop1FindInPage =
        addEntry(PopupMenu1, "Поиск внутри страницы...", QKeySequence(Qt::CTRL | Qt::Key_F));
    Pop1WordSearch = addEntry(PopupMenu1, "Поиск слова или фразы...");
    Pop1TermSearch = addEntry(PopupMenu1, "Поиск по терминам...");
    PopupMenu1->addSeparator();
    Pop1Results = addEntry(PopupMenu1, "Результаты поиска");
    PopupMenu1->addSeparator();
    Pop1Forward = addEntry(PopupMenu1, "Вперед");
    Pop1Back = addEntry(PopupMenu1, "Назад");
    PopupMenu1->addSeparator();
    Pop1AddBookmark = addEntry(PopupMenu1, "Добавить закладку...");
    Pop1Params = addEntry(PopupMenu1, "Параметры...");
    Pop1Forward->setEnabled(false);
    Pop1Back->setEnabled(false);
    // The pop-up's shortcuts work while the viewer has the focus.
    for (QAction* a : {Pop1Copy, Pop1SelectAll, Pop1FindInPage}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        Viewer->addAction(a);
    }
    Viewer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Viewer, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(Viewer->mapToGlobal(p)); });
    connect(ToolBar1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(ToolBar1->mapToGlobal(p)); });
    connect(Pop1Copy, &QAction::triggered, this, &TForm1::N8Click);
    connect(Pop1SelectAll, &QAction::triggered, this, &TForm1::Dsltkbnmdct1Click);
    connect(Pop1Forward, &QAction::triggered, this, &TForm1::N40Click);
    connect(Pop1Back, &QAction::triggered, this, &TForm1::N41Click);

    PopupMenu2 = new QMenu(this);
    Pop2Expand = addEntry(PopupMenu2, "Раскрыть подкаталоги");
    Pop2Collapse = addEntry(PopupMenu2, "Закрыть подкаталоги");
    PopupMenu2->addSeparator();
    Pop2ContentsSearch = addEntry(PopupMenu2, "Поиск по оглавлению...");
    // "Войти" is never shown; it exists for Enter in the tree. It lives on the tree only, since a
    // hidden action's shortcut would not fire.
    Pop2Enter = new QAction(q("Войти"), Katalog);
    Pop2Enter->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    Pop2Enter->setShortcutContext(Qt::WidgetShortcut);
    Katalog->addAction(Pop2Enter);
    connect(Katalog, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu2->popup(Katalog->viewport()->mapToGlobal(p)); });
    connect(Pop2Expand, &QAction::triggered, this, &TForm1::N45Click);
    connect(Pop2Collapse, &QAction::triggered, this, &TForm1::N46Click);
    connect(Pop2Enter, &QAction::triggered, this, &TForm1::KatalogDblClick);

    PopupMenu3 = new QMenu(this);
    Pop3Bookmarks = addEntry(PopupMenu3, "Закладки...");
    Pop3AddBookmark = addEntry(PopupMenu3, "Поставить закладку");

    PopupMenu4 = new QMenu(this);
    Pop4Catalogue = addEntry(PopupMenu4, "Каталог (ON_LINE)");
    Pop4Search = addEntry(PopupMenu4, "Поиск (ON-LINE)");
    Pop4Cart = addEntry(PopupMenu4, "Корзина (ON_LINE)");
    Pop4Downloaded = addEntry(PopupMenu4, "Загруженные книги");
    Pop4Connection = addEntry(PopupMenu4, "Настройки соединения");

    PopupMenu5 = new QMenu(this);
    Pop5Start = addEntry(PopupMenu5, "Начать");
    Pop5Continue = addEntry(PopupMenu5, "Продолжить");

    // Drop-down buttons open their menu when pressed.
    const std::pair<QToolButton*, QMenu*> dropDowns[] = {{ToolbarButton9712, PopupMenu3},
                                                         {ToolbarButton9714, PopupMenu5},
                                                         {ToolbarButton9718, PopupMenu4}};
    for (const auto& [button, menu] : dropDowns) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }
}

void TForm1::registerCommandEntries() {
    auto add = [this](Cmd c, std::initializer_list<QObject*> entries) {
        m_entries[c].insert(m_entries[c].end(), entries);
    };
    add(Cmd::Print, {MenuPrint, ToolbarButton9710});
    add(Cmd::ExportWord, {MenuExport, Pop1Export, ToolbarButton9711});
    add(Cmd::WordSearch, {MenuWordSearch, Pop1WordSearch, ToolbarButton976});
    add(Cmd::PatternSearch, {MenuPatternSearch, ToolbarButton977});
    add(Cmd::TermSearch, {MenuTermSearch, Pop1TermSearch});
    add(Cmd::SearchResults, {MenuResults, Pop1Results, ToolbarButton979});
    add(Cmd::FindInPage, {MenuFindInPage, Pop1FindInPage});
    add(Cmd::ContentsSearch, {MenuContentsSearch, Pop2ContentsSearch, ToolbarButton978});
    add(Cmd::ComfortStart, {MenuComfortStart, Pop5Start});
    add(Cmd::ComfortContinue, {MenuComfortContinue, Pop5Continue});
    add(Cmd::BookmarkList, {MenuBookmarks, Pop3Bookmarks});
    add(Cmd::AddBookmark, {MenuAddBookmark, Pop3AddBookmark, Pop1AddBookmark});
    add(Cmd::Appearance, {MenuAppearance, Pop1Params, ToolbarButton975});
    add(Cmd::ShopCatalogue, {MenuCatalogue, Pop4Catalogue});
    add(Cmd::ShopSearch, {MenuShopSearch, Pop4Search});
    add(Cmd::ShopCart, {MenuCart, Pop4Cart});
    add(Cmd::DownloadedBooks, {MenuDownloaded, Pop4Downloaded});
    add(Cmd::ConnectionSettings, {MenuConnection, Pop4Connection});
    add(Cmd::InfoService, {MenuInfo, ToolbarButton9715});
    add(Cmd::About, {MenuAbout});
    for (auto& [cmd, entries] : m_entries)
        for (QObject* o : entries) {
            if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(false);
            if (auto* b = qobject_cast<QToolButton*>(o)) b->setEnabled(false);
        }
}

void TForm1::connectCommand(Cmd cmd, std::function<void()> handler) {
    const bool first = !m_handlers.count(cmd);
    m_handlers[cmd] = std::move(handler);
    if (!first) return;
    for (QObject* o : m_entries[cmd]) {
        auto run = [this, cmd] {
            if (auto it = m_handlers.find(cmd); it != m_handlers.end()) it->second();
        };
        if (auto* a = qobject_cast<QAction*>(o)) {
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, run);
        } else if (auto* b = qobject_cast<QToolButton*>(o)) {
            b->setEnabled(cmd != Cmd::InfoService || m_infoAllowed);
            connect(b, &QToolButton::clicked, this, run);
        }
    }
}

void TForm1::setInfoServiceAllowed(bool allowed) {
    m_infoAllowed = allowed;
    ToolbarButton9715->setEnabled(allowed && commandConnected(Cmd::InfoService));
    MenuInfo->setVisible(allowed);
}

void TForm1::ArrangeToolbar(QWidget* toolbar) {
    // Visible controls one after another from the left edge, in the toolbar's control order;
    // hidden controls keep their places and take no room.
    int x = 0;
    for (QObject* child : toolbar->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isHidden()) continue;
        w->move(x, w->y());
        x += w->width();
    }
}

void TForm1::ToolButton1Click() {
    QList<int> sizes = Splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (PanelTree->width() < 3) {
        sizes = {250, std::max(0, total - 250)};
        ToolbarButton9716->hide();
        ToolbarButton971->show();
    } else {
        sizes = {2, std::max(0, total - 2)};
        ToolbarButton971->hide();
        ToolbarButton9716->show();
    }
    Splitter1->setSizes(sizes);
    ArrangeToolbar(ToolBar1);
}

void TForm1::N8Click() {
    Viewer->copy();
}

void TForm1::Dsltkbnmdct1Click() {
    Viewer->selectAll();
}

void TForm1::N7Click() {
    close();
}

void TForm1::helpContents() {
    // The help file of the books is a legacy format no program here shows; the desktop gets the
    // chance to open it, and a missing file is said plainly.
    const std::string& file = HelpFile;
    if (!isReadable(file)) {
        messageBox(w1251("Файл справки не найден: ") + file, w1251("Помощь"), MsgIcon::Information);
        return;
    }
    if (!shellOpen(file, WorkFolder))
        messageBox(w1251("Нет программы для просмотра файла справки ") + file, w1251("Помощь"),
                   MsgIcon::Information);
}

void TForm1::helpSearch() {
    helpContents();
}
