// The main window's reading wiring: the contents tree, showing pages, the viewer's requests,
// clicked links and the reading history.
#include "app/Main.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/viewer.h"

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const std::string& appTitle() {
    static const std::string title = w1251("ИД \"Тальмаран\"");
    return title;
}

} // namespace

void TForm1::connectReading() {
    KatalogFill = std::make_unique<KatalogFiller>(Katalog);
    KatalogFill->setIcons(ForTree);
    KatalogDraw = new KatalogDelegate(Katalog);
    Katalog->setItemDelegate(KatalogDraw);
    connect(Katalog, &QTreeWidget::itemDoubleClicked, this, [this] { KatalogDblClick(); });

    Viewer->setImageRequest([this](const std::string& s) { return ViewerImageRequest(s); });
    Viewer->setStreamRequest([this](const std::string& s) { return ViewerStreamRequest(s); });
    connect(Viewer, &BookViewer::hotSpotClicked, this,
            [this](const QByteArray& href) { ViewerHotSpotTargetClick(href.toStdString()); });
    connect(Viewer, &BookViewer::historyChanged, this, &TForm1::ViewerHistoryChange);
}

// ---- pages -------------------------------------------------------------------------------

void TForm1::ShowPage(int32_t start, int32_t end, const std::string& anchor, bool record,
                      const HighlightInputs& hits) {
    Colours.background = 0x00FFFFFF & ((uint32_t(Viewer->defaultBackground().blue()) << 16) |
                                       (uint32_t(Viewer->defaultBackground().green()) << 8) |
                                       uint32_t(Viewer->defaultBackground().red()));
    carryOut(Book.ShowPage(start, end, anchor, record, Viewer->scrollPosition(), hits, Colours));
}

void TForm1::ShowPageFile(const std::string& name, const std::string& anchor, bool record,
                          const HighlightInputs& hits) {
    carryOut(Book.ShowPageFile(name, anchor, record, Viewer->scrollPosition(), hits));
}

void TForm1::carryOut(const PageShow& show) {
    if (show.writeFailed)
        messageBox(w1251("Не могу записать файл ") + show.path, w1251("Ошибка"), MsgIcon::Stop);
    if (show.load) Viewer->loadFile(show.path, show.loadAnchor);
    if (!show.positionAnchor.empty()) Viewer->positionToAnchor(show.positionAnchor);
    ViewerHistoryChange();
}

// ---- contents tree -----------------------------------------------------------------------

void TForm1::KatalogDblClick() {
    QTreeWidgetItem* item = Katalog->currentItem();
    if (!item || !item->isSelected()) return;
    const auto page = Book.contents().resolve(KatalogFiller::indexOf(item));
    if (page) openResolved(*page);
}

void TForm1::openResolved(const ResolvedPage& page) {
    CaptView->setText(toQString(Book.contents().EntryPath(page.entry)));
    Book.currentEntry = page.entry;
    ShowPage(page.start, page.end, "", true);
    // The reader lands a little into the page, as three presses of Down would take it.
    Viewer->setFocus(Qt::OtherFocusReason);
    activateWindow();
    Viewer->pressDown(3);
}

void TForm1::N45Click() {
    KatalogFill->expandAll();
    ToolbarButton9713->show();
    ToolbarButton9717->hide();
    ArrangeToolbar(ToolBar1);
}

void TForm1::N46Click() {
    KatalogFill->collapseAll();
    ToolbarButton9713->hide();
    ToolbarButton9717->show();
    ArrangeToolbar(ToolBar1);
}

// ---- reading history ---------------------------------------------------------------------

void TForm1::N41Click() {
    if (const HistoryEntry* e = Book.history.back(Viewer->scrollPosition()))
        showHistoryEntry(HistoryEntry(*e));
}

void TForm1::N40Click() {
    if (const HistoryEntry* e = Book.history.forward(Viewer->scrollPosition()))
        showHistoryEntry(HistoryEntry(*e));
}

void TForm1::showHistoryEntry(const HistoryEntry& entry) {
    if (entry.isPageFile()) {
        ShowPageFile(entry.pageName, entry.anchor, false);
    } else {
        Book.currentEntry = entry.contentsEntry;
        KatalogFill->select(entry.contentsEntry);
        CaptView->setText(toQString(Book.contents().EntryPath(entry.contentsEntry)));
        ShowPage(entry.start, entry.end, entry.anchor, false);
    }
    Viewer->setScrollPosition(entry.scroll); // the place the user left wins over the anchor
    ViewerHistoryChange();
}

void TForm1::ViewerHistoryChange() {
    const bool back = Book.history.canGoBack();
    const bool forward = Book.history.canGoForward();
    ToolbarButton973->setEnabled(back);
    Pop1Back->setEnabled(back);
    MenuBack->setEnabled(back);
    ToolbarButton974->setEnabled(forward);
    Pop1Forward->setEnabled(forward);
    MenuForward->setEnabled(forward);
}

// ---- links -------------------------------------------------------------------------------

void TForm1::ViewerHotSpotTargetClick(const std::string& address) {
    const LinkAction act = classifyLink(address, Book.linkContext());
    if (act.doNothing) return;
    switch (act.kind) {
    case LinkKind::Continuation:
        // Select the next entry with a page and open it as a double click does.
        Book.currentEntry = act.page.entry;
        KatalogFill->select(act.page.entry);
        KatalogDblClick();
        break;
    case LinkKind::Task:
        if (act.task.valid && openTask) openTask(act.task.k, act.task.n, act.task.m);
        break;
    case LinkKind::Anchor:
        Viewer->positionToAnchor(act.anchor);
        break;
    case LinkKind::Web:
    case LinkKind::ShellDocument:
    case LinkKind::OutsideFile:
        shellOpen(act.target, act.workFolder);
        break;
    case LinkKind::Video:
        if (!act.targetReadable) {
            messageBox(act.message, w1251("Ошибка"), MsgIcon::Stop);
            break;
        }
        shellOpen(act.target, act.workFolder);
        break;
    case LinkKind::NumberedEntry:
        Book.currentEntry = act.page.entry;
        ShowPage(act.page.start, act.page.end, act.anchor, true);
        break;
    case LinkKind::RelativePage:
        ShowPageFile(act.target, act.anchor, true);
        break;
    case LinkKind::PageFile:
        ShowPageFile(act.target, act.anchor, true);
        break;
    }
}

// ---- viewer requests ---------------------------------------------------------------------

QByteArray TForm1::backdropBitmap() const {
    // The viewer draws the backdrop itself behind the page, fixed while it scrolls; the page's
    // own background picture is a transparent pixel so that the drawing shows through.
    static const QByteArray pixel = [] {
        QImage img(1, 1, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
        return bytes;
    }();
    return pixel;
}

std::optional<QByteArray> TForm1::ViewerImageRequest(const std::string& src) {
    const ImageAnswer a = mapImageRequest(src, Book.requestContext());
    switch (a.kind) {
    case ImageAnswer::None:
        return std::nullopt;
    case ImageAnswer::Backdrop:
        return backdropBitmap();
    case ImageAnswer::File: {
        std::string bytes;
        if (!readFile(a.path, bytes)) return std::nullopt;
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    }
    case ImageAnswer::Missing:
        messageBox(a.message, appTitle(), MsgIcon::None);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QByteArray> TForm1::ViewerStreamRequest(const std::string& src) {
    const ImageAnswer a = mapStreamRequest(src, Book.requestContext());
    if (a.kind == ImageAnswer::Missing) {
        messageBox(a.message, appTitle(), MsgIcon::None);
        return std::nullopt;
    }
    if (a.kind != ImageAnswer::File) return std::nullopt;
    std::string bytes;
    if (!readFile(a.path, bytes)) return std::nullopt;
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}
