// The main window's life: creation, opening a book, the medium watch, closing.
#include "app/Main.h"

#include "app/Icons.h"
#include "app/MediumWatch.h"
#include "info/Ssplash.h"
#include "platform/fonts.h"
#include "platform/formplacement.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/viewer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

TForm1* Form1 = nullptr;
std::string SchemeFolder;
std::string WorkFolder;
bool Pelvar = false;
bool FirstOpening = true;
std::string FirstRegKey;
std::string FirstUserPath;

namespace {

QString caption1251(const std::string& title1251) {
    return QStringLiteral("ИД \"ТАЛЬМАРАН\" ") + toQString(title1251);
}

void registryMessage() {
    messageBox(w1251("Отсутствуют данные в регистрационной базе данных. Переустановите программу."),
               w1251("ТЕВАН"), MsgIcon::Stop);
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    resize(1000, 700);
    ForTree = treeImages();
    buildLayout();
    buildToolbar();
    buildMenus();
    buildPopups();
    registerCommandEntries();
    connectReading();
    m_watch = std::make_unique<MediumWatch>([this] { Timer1Timer(); });
    connect(qApp, &QApplication::focusChanged, this, &TForm1::updateCaptionFocus);
    updateCaptionFocus();

    // The working folder: the "book" sub-folder of the current folder when there is one.
    WorkFolder = enterBookSubfolder();
    HelpFile = WorkFolder + "\\book.hlp";
    Book.history.reset();
    BookUnavailable = false;
    ShowExResult = false;

    if (isReadable("slash.bmp")) {
        TSplash splash(this);
        splash.exec();
    }
    if (!fileExists("stopbibl.bin"))
        loadQuietShopSettings();
    else
        MenuShopEntry->setVisible(false); // the toolbar's e-library button stays

    Book.close();
    m_starting = true;
    OpenBook(WorkFolder);
    m_starting = false;
}

TForm1::~TForm1() {
    // Focus changes while the widgets go must not reach this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::loadQuietShopSettings() {
    // The shop settings arrive with the e-library; until then there is nothing to load.
}

void TForm1::OpenBook(std::string folder) {
    folder = bookFolderText(std::move(folder));
    QDir::setCurrent(QString::fromStdString(nativePath(folder)));
    InstallBookFonts(folder);
    // Watched before the test below: after a failed opening the watch asks for this book.
    EbookIni = folder + "ebook.ini";
    m_watch->setPath(EbookIni);
    if (!isReadable(EbookIni)) return;

    const BookDescription d = readBookDescription(EbookIni);
    setWindowTitle(caption1251(d.Title));
    RegKey = d.RegKey;
    Pelvar = d.Pelvar;
    Book.history.reset();
    if (FirstOpening) FirstRegKey = RegKey;
    ReadBookPaths(RegKey);
    FirstOpening = false;
    if (BookUnavailable) return; // the medium watch closes the window

    Viewer->clearPage();
    const ReadStatus opened = Book.open(m_paths, WorkFolder, Pelvar);
    KatalogFill->load(Book.contents());
    if (!opened) {
        // A damaged contents file: the book cannot be shown. At start-up the program ends.
        messageBox(opened.message, w1251("ИД \"Тальмаран\""), MsgIcon::Stop);
        CaptView->setText(QStringLiteral("  Просмотр"));
        if (m_starting) BookUnavailable = true;
        applyCommandSwitches();
        return;
    }
    CaptView->setText(toQString(Book.contents().validEntry(0) ? Book.contents().entries[0].caption
                                                              : std::string()));
    Book.currentEntry = 0;
    const ResolvedPage first = Book.firstPage();
    ShowPage(first.start, first.end, "", true);
    applyCommandSwitches();
}

void TForm1::ReadBookPaths(const std::string& regKey) {
    // The window's placement lives under the user book key; the first book's key places the
    // window before it is shown.
    m_placementKey = bookKeyPath(regKey);
    if (FirstOpening) restoreFormPlacement(*this, m_placementKey);
    const BookPathsStatus status = readBookPaths(regKey, m_paths);
    if (status == BookPathsStatus::KeyMissing) {
        registryMessage();
        BookUnavailable = true;
        return;
    }
    if (FirstOpening) FirstUserPath = m_paths.UserPath;
    if (status == BookPathsStatus::PathEmpty) {
        registryMessage();
        BookUnavailable = true;
    }
}

void TForm1::InstallBookFonts(const std::string& folder) {
    // Every plain file of the book's "fonts" folder goes to the user's font folder; one already
    // there is neither copied nor registered again.
    const QDir dir(QString::fromStdString(nativePath(folder + "fonts")));
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& f : files) {
        if (f.fileName().startsWith(QLatin1Char('.'))) continue;
        installFontFile(readerPath(f.absoluteFilePath().toStdString()));
    }
}

void TForm1::applyCommandSwitches() {
    const auto& p = Book.paths();
    const bool bookTxt = isReadable(p.PagesPath + "book.txt");
    const bool gloss = isReadable(p.BasePath + "\\gloss.dat");
    const bool allGloss = isReadable(p.BasePath + "\\allgloss.dat");
    ToolbarButton9714->setVisible(bookTxt);
    MenuComfortEntry->setVisible(bookTxt);
    MenuComfortSep->setVisible(bookTxt);
    MenuTermSearch->setVisible(gloss);
    Pop1TermSearch->setVisible(gloss);
    ToolbarButton977->setVisible(allGloss);
    MenuPatternSearch->setVisible(allGloss);
    MenuSearchSep->setVisible(gloss || allGloss);
    ToolbarButton973->setEnabled(false);
    ToolbarButton974->setEnabled(false);
    Pop1Back->setEnabled(false);
    Pop1Forward->setEnabled(false);
    MenuBack->setEnabled(false);
    MenuForward->setEnabled(false);
    setInfoServiceAllowed(RegKey != "kovrex_arhiv");
    ArrangeToolbar(ToolBar1);
}

void TForm1::Timer1Timer() {
    if (BookUnavailable && isVisible()) close();
}

void TForm1::updateCaptionFocus() {
    // The panel that has the focus shows its caption as active.
    const QWidget* focus = QApplication::focusWidget();
    const bool treeActive = focus && (focus == Katalog || Katalog->isAncestorOf(focus));
    auto paint = [](QLabel* label, bool active) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window,
                     active ? QColor(0x0a, 0x24, 0x6a) : QColor(0x80, 0x80, 0x80));
        pal.setColor(QPalette::WindowText, active ? Qt::white : QColor(0xd4, 0xd0, 0xc8));
        label->setPalette(pal);
        QFont f = label->font();
        f.setBold(active);
        label->setFont(f);
    };
    paint(CaptTree, treeActive);
    paint(CaptView, !treeActive);
}

void TForm1::FormClose() {
    // The appearance values are saved by the appearance settings when they arrive; the window
    // placement is kept under the user book key of the last ReadBookPaths.
    if (!m_placementKey.empty()) saveFormPlacement(*this, m_placementKey);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ToolBar1 && event->type() == QEvent::Resize) {
        const int h = std::max(0, ToolBar1->height() - 4);
        for (QObject* child : ToolBar1->children())
            if (auto* b = qobject_cast<QToolButton*>(child)) b->resize(b->width(), h);
    }
    return QMainWindow::eventFilter(watched, event);
}
