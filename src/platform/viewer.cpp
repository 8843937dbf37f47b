#include "platform/viewer.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextDocument>
#include <QUrl>

namespace {

// Legacy markup QTextDocument reads differently from the browsers the books were made for.
QString fixUpHtml(QString html) {
    static const QRegularExpression absmiddle(QStringLiteral(R"(align\s*=\s*(["']?)absmiddle\1)"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bareColour(
        QStringLiteral(R"(\b((?:bg)?color)\s*=\s*(["']?)([0-9a-f]{6})(?=["'\s>]))"),
        QRegularExpression::CaseInsensitiveOption);
    html.replace(absmiddle, QStringLiteral("align=middle"));
    html.replace(bareColour, QStringLiteral("\\1=\\2#\\3"));
    return html;
}

bool namesBackdrop(const QString& html) {
    static const QRegularExpression body(
        QStringLiteral(R"(<body[^>]*\bbackground\s*=\s*["']?test\.bmp)"),
        QRegularExpression::CaseInsensitiveOption);
    return body.match(html).hasMatch();
}

QString stripHash(const std::string& anchor1251) {
    std::string_view a(anchor1251);
    if (!a.empty() && a.front() == '#') a.remove_prefix(1);
    return toQString(a);
}

} // namespace

BookViewer::BookViewer(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setContextMenuPolicy(Qt::CustomContextMenu); // the application's own pop-up menu
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl&) {
        // The URL is altered by Qt; the raw address is the one under the mouse, or the one
        // under the cursor for a link activated from the keyboard.
        QString href = m_pressedHref;
        if (href.isEmpty()) href = textCursor().charFormat().anchorHref();
        m_pressedHref.clear();
        if (!href.isEmpty()) emit hotSpotClicked(QByteArray::fromStdString(fromQString(href)));
    });
}

bool BookViewer::loadFile(const std::string& path1251, const std::string& anchor1251) {
    std::string bytes;
    if (!readFile(path1251, bytes)) return false;
    m_path = path1251;
    showDecoded(toQString(bytes), anchor1251);
    return true;
}

void BookViewer::loadHtml(const QByteArray& page1251, const std::string& anchor1251) {
    m_path.clear();
    showDecoded(toQString(std::string_view(page1251.constData(), size_t(page1251.size()))),
                anchor1251);
}

void BookViewer::showDecoded(QString html, const std::string& anchor1251) {
    m_resources.clear();
    html = fixUpHtml(std::move(html));
    m_backdropActive = namesBackdrop(html);
    document()->setDefaultStyleSheet(m_linkStyle);
    setHtml(html);
    if (!anchor1251.empty()) positionToAnchor(anchor1251);
    viewport()->update();
    emit historyChanged();
}

void BookViewer::reload() {
    if (!m_path.empty()) loadFile(m_path);
}

void BookViewer::clearPage() {
    m_resources.clear();
    m_path.clear();
    m_backdropActive = false;
    clear();
    emit historyChanged();
}

bool BookViewer::findText(const QString& text, bool matchCase, bool upward) {
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    if (upward) flags |= QTextDocument::FindBackward;
    return find(text, flags);
}

void BookViewer::printRange(QPrinter& printer, int fromPage, int toPage) {
    const int from = std::max(1, fromPage);
    printer.setFromTo(from, std::max(from, toPage)); // pages past the end are not printed
    print(&printer);
}

int BookViewer::scrollPosition() const {
    return verticalScrollBar()->value();
}

void BookViewer::setScrollPosition(int value) {
    verticalScrollBar()->setValue(value);
}

void BookViewer::positionToAnchor(const std::string& anchor1251) {
    const QString name = stripHash(anchor1251);
    if (!name.isEmpty()) scrollToAnchor(name);
}

void BookViewer::setDefaultColours(const QColor& background, const QColor& text) {
    m_background = background;
    m_text = text;
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    setPalette(p);
    viewport()->update();
}

void BookViewer::setLinkColour(const QColor& link) {
    m_linkStyle = QStringLiteral("a { color: %1; }").arg(link.name());
}

void BookViewer::setDefaultFontFace(const QFont& font) {
    setFont(font);
    document()->setDefaultFont(font);
}

void BookViewer::setBackdropPicture(const QImage& picture) {
    m_backdrop = picture;
    viewport()->update();
}

void BookViewer::pressDown(int times) {
    for (int i = 0; i < times; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &press);
        QCoreApplication::sendEvent(this, &release);
    }
}

QVariant BookViewer::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource) return {}; // the viewer loads nothing by itself
    const QString raw = QUrl::fromPercentEncoding(name.toEncoded());
    if (raw.compare(QStringLiteral("test.bmp"), Qt::CaseInsensitive) == 0) {
        // The backdrop is painted behind the page, fixed; the page itself gets a clear pixel.
        QImage clearPixel(1, 1, QImage::Format_ARGB32);
        clearPixel.fill(Qt::transparent);
        return clearPixel;
    }
    // Asked again on every relayout: answer once per page, so a missing picture is reported once.
    if (auto known = m_resources.constFind(raw); known != m_resources.constEnd()) return *known;
    QVariant answer;
    if (m_imageRequest) {
        if (std::optional<QByteArray> bytes = m_imageRequest(fromQString(raw))) answer = *bytes;
    }
    m_resources.insert(raw, answer);
    return answer;
}

void BookViewer::mousePressEvent(QMouseEvent* event) {
    m_pressedHref.clear();
    QTextBrowser::mousePressEvent(event);
}

void BookViewer::mouseReleaseEvent(QMouseEvent* event) {
    m_pressedHref = anchorAt(event->position().toPoint());
    QTextBrowser::mouseReleaseEvent(event);
    m_pressedHref.clear();
}

void BookViewer::paintEvent(QPaintEvent* event) {
    if (m_backdropActive) {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), m_background);
        if (!m_backdrop.isNull()) {
            const int left = (viewport()->width() - m_backdrop.width()) / 2;
            const int top = (viewport()->height() - m_backdrop.height()) / 2;
            p.drawImage(left, top, m_backdrop);
        }
    }
    QTextBrowser::paintEvent(event);
}

void BookViewer::scrollContentsBy(int dx, int dy) {
    QTextBrowser::scrollContentsBy(dx, dy);
    if (m_backdropActive) viewport()->update(); // the backdrop stays; repaint, do not blit
}
