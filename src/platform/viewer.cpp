#include "platform/viewer.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include <memory>

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

// One frameset: its orientation, the sizes of its parts and its parts (frames or framesets).
struct FrameNode {
    bool frame = false;
    QString source; // frame: src as the page gives it
    Qt::Orientation orientation = Qt::Horizontal;
    QStringList sizes; // frameset: cols or rows, e.g. "30%", "*", "120"
    std::vector<FrameNode> parts;
};

QString attribute(const QString& attributes, const QString& name) {
    const QRegularExpression re(
        QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(attributes);
    if (!m.hasMatch()) return {};
    for (int i = 1; i <= 3; ++i)
        if (m.capturedStart(i) >= 0) return m.captured(i);
    return {};
}

// The frameset tree of a page; unclosed framesets end with the page.
FrameNode parseFrameset(const QString& html) {
    static const QRegularExpression tag(QStringLiteral(R"(<(/?)(frameset|frame)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    FrameNode root;
    std::vector<FrameNode*> open{&root};
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const bool set =
            m.captured(2).compare(QStringLiteral("frameset"), Qt::CaseInsensitive) == 0;
        if (closing) {
            if (set && open.size() > 1) open.pop_back();
            continue;
        }
        FrameNode node;
        if (set) {
            const QString cols = attribute(m.captured(3), QStringLiteral("cols"));
            const QString rows = attribute(m.captured(3), QStringLiteral("rows"));
            node.orientation = cols.isEmpty() && !rows.isEmpty() ? Qt::Vertical : Qt::Horizontal;
            node.sizes = (cols.isEmpty() ? rows : cols).split(QLatin1Char(','));
        } else {
            node.frame = true;
            node.source = attribute(m.captured(3), QStringLiteral("src"));
        }
        open.back()->parts.push_back(std::move(node));
        if (set && open.size() < 16) open.push_back(&open.back()->parts.back());
    }
    return root.parts.size() == 1 && !root.parts[0].frame ? std::move(root.parts[0]) : root;
}

// Pixel sizes of the parts from "n%", "n*"/"*" and plain pixel values.
QList<int> partSizes(const QStringList& lengths, int parts, int total) {
    QList<int> sizes;
    int fixed = 0, stars = 0;
    std::vector<std::pair<char, int>> kinds;
    for (int i = 0; i < parts; ++i) {
        const QString s = i < lengths.size() ? lengths[i].trimmed() : QStringLiteral("*");
        if (s.endsWith(QLatin1Char('%'))) {
            kinds.push_back({'%', std::max(0, s.chopped(1).toInt() * total / 100)});
            fixed += kinds.back().second;
        } else if (s.endsWith(QLatin1Char('*'))) {
            const int weight = s.size() > 1 ? std::max(1, s.chopped(1).toInt()) : 1;
            kinds.push_back({'*', weight});
            stars += weight;
        } else {
            kinds.push_back({'p', std::max(0, s.toInt())});
            fixed += kinds.back().second;
        }
    }
    const int rest = std::max(0, total - fixed);
    for (const auto& [kind, value] : kinds)
        sizes.append(kind == '*' ? (stars ? rest * value / stars : 0) : value);
    return sizes;
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
    removeFrames();
    static const QRegularExpression frameset(QStringLiteral("<frameset\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    m_maps.clear();
    // A frame that names its own frameset (directly or not) stops at a few levels.
    if (frameset.match(html).hasMatch() && m_frameDepth < 4) {
        m_backdropActive = false;
        setHtml(QString());
        buildFrames(html);
        if (!anchor1251.empty()) positionToAnchor(anchor1251);
        emit historyChanged();
        return;
    }
    m_maps.parse(html);
    html = fixUpHtml(std::move(html));
    m_backdropActive = namesBackdrop(html);
    document()->setDefaultStyleSheet(m_linkStyle);
    setHtml(html);
    if (!anchor1251.empty()) positionToAnchor(anchor1251);
    viewport()->update();
    emit historyChanged();
}

void BookViewer::reload() {
    // A reload follows a resize of the view: the reader stays where they were.
    if (m_path.empty()) return;
    const int position = scrollPosition();
    if (loadFile(m_path)) setScrollPosition(position);
}

void BookViewer::clearPage() {
    m_resources.clear();
    m_maps.clear();
    removeFrames();
    m_path.clear();
    m_backdropActive = false;
    clear();
    emit historyChanged();
}

bool BookViewer::findText(const QString& text, bool matchCase, bool upward) {
    if (BookViewer* v = activeView(); v != this) return v->findText(text, matchCase, upward);
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    if (upward) flags |= QTextDocument::FindBackward;
    return find(text, flags);
}

void BookViewer::printRange(QPrinter& printer, int fromPage, int toPage) {
    if (BookViewer* v = activeView(); v != this) return v->printRange(printer, fromPage, toPage);
    const int from = std::max(1, fromPage);
    printer.setFromTo(from, std::max(from, toPage)); // pages past the end are not printed
    // Paginated here, on a copy: a document without a page size gets page numbers printed.
    // The copy asks this viewer for its pictures, which it already holds.
    std::unique_ptr<QTextDocument> copy(document()->clone(this));
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    copy->print(&printer);
}

void BookViewer::copy() {
    if (BookViewer* v = activeView(); v != this) return v->copy();
    QTextBrowser::copy();
}

void BookViewer::selectAll() {
    if (BookViewer* v = activeView(); v != this) return v->selectAll();
    QTextBrowser::selectAll();
}

int BookViewer::scrollPosition() const {
    if (BookViewer* v = activeView(); v != this) return v->scrollPosition();
    return verticalScrollBar()->value();
}

void BookViewer::setScrollPosition(int value) {
    if (BookViewer* v = activeView(); v != this) return v->setScrollPosition(value);
    verticalScrollBar()->setValue(value);
}

void BookViewer::positionToAnchor(const std::string& anchor1251) {
    if (BookViewer* v = activeView(); v != this) return v->positionToAnchor(anchor1251);
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
    for (BookViewer* v : m_frameViews)
        v->setDefaultColours(background, text);
}

void BookViewer::setLinkColour(const QColor& link) {
    m_linkStyle = QStringLiteral("a { color: %1; }").arg(link.name());
    for (BookViewer* v : m_frameViews)
        v->setLinkColour(link);
}

void BookViewer::setDefaultFontFace(const QFont& font) {
    m_font = font;
    m_fontSet = true;
    setFont(font);
    document()->setDefaultFont(font);
    for (BookViewer* v : m_frameViews)
        v->setDefaultFontFace(font);
}

void BookViewer::setBackdropPicture(const QImage& picture) {
    m_backdrop = picture;
    viewport()->update();
    for (BookViewer* v : m_frameViews)
        v->setBackdropPicture(picture);
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
    // Noted before asking: the request may show a message box, whose event loop repaints and
    // would otherwise ask again.
    m_resources.insert(raw, QVariant());
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
    const QPoint pos = event->position().toPoint();
    m_pressedHref = anchorAt(pos);
    const bool onLink = !m_pressedHref.isEmpty();
    QTextBrowser::mouseReleaseEvent(event);
    m_pressedHref.clear();
    if (!onLink && event->button() == Qt::LeftButton && !m_maps.empty()) {
        const QString href = mapLinkAt(pos);
        if (!href.isEmpty()) emit hotSpotClicked(QByteArray::fromStdString(fromQString(href)));
    }
}

QString BookViewer::mapLinkAt(QPoint viewportPos) const {
    QTextDocument* doc = document();
    const QPointF at = QPointF(viewportPos) +
                       QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int hit = doc->documentLayout()->hitTest(at, Qt::FuzzyHit);
    // The picture is the character after or before the place hit.
    for (const int p : {hit, hit - 1}) {
        if (p < 0) continue;
        QTextCursor c(doc);
        c.setPosition(p);
        if (!c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor)) continue;
        if (!c.charFormat().isImageFormat()) continue;
        const QTextImageFormat img = c.charFormat().toImageFormat();
        const QTextBlock block = doc->findBlock(p);
        const QTextLayout* layout = block.layout();
        const QTextLine line =
            layout ? layout->lineForTextPosition(p - block.position()) : QTextLine();
        if (!line.isValid()) continue;
        // Its size: as the page gives it, else the picture's own.
        QSizeF size(img.width(), img.height());
        if (size.width() <= 0 || size.height() <= 0) {
            const QVariant r = doc->resource(QTextDocument::ImageResource, QUrl(img.name()));
            QSizeF own = r.canConvert<QImage>() ? QSizeF(r.value<QImage>().size()) : QSizeF();
            if (r.typeId() == QMetaType::QPixmap) own = r.value<QPixmap>().size();
            if (r.typeId() == QMetaType::QByteArray) own = QImage::fromData(r.toByteArray()).size();
            if (size.width() <= 0) size.setWidth(own.width());
            if (size.height() <= 0) size.setHeight(own.height());
        }
        const QRectF blockRect = doc->documentLayout()->blockBoundingRect(block);
        const QPointF origin = blockRect.topLeft() - layout->boundingRect().topLeft();
        const qreal x = origin.x() + line.cursorToX(p - block.position());
        const qreal lineTop = origin.y() + line.y();
        qreal top = lineTop + line.ascent() - size.height(); // on the baseline
        switch (img.verticalAlignment()) {
        case QTextCharFormat::AlignTop:
            top = lineTop;
            break;
        case QTextCharFormat::AlignMiddle:
            top = lineTop + (line.height() - size.height()) / 2;
            break;
        case QTextCharFormat::AlignBottom:
            top = lineTop + line.height() - size.height();
            break;
        default:
            break;
        }
        const QRectF rect(QPointF(x, top), size);
        if (rect.contains(at)) return m_maps.hit(img.name(), (at - rect.topLeft()).toPoint());
    }
    return {};
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

// ---- frames ------------------------------------------------------------------------------

BookViewer* BookViewer::activeView() const {
    if (m_frameViews.empty()) return const_cast<BookViewer*>(this);
    BookViewer* v = m_active ? m_active : m_frameViews.front();
    return v->activeView(); // a frame may hold a frameset of its own
}

std::string BookViewer::sourceFolder() const {
    if (m_path.empty()) return m_folder;
    const std::size_t cut = m_path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : m_path.substr(0, cut + 1);
}

void BookViewer::removeFrames() {
    m_frameViews.clear();
    m_active = nullptr;
    if (m_frames) {
        m_frames->hide();
        m_frames->deleteLater();
        m_frames = nullptr;
    }
}

BookViewer* BookViewer::addFrame(QSplitter* splitter, const QString& source) {
    auto* v = new BookViewer(splitter);
    v->m_frameDepth = m_frameDepth + 1;
    v->m_folder = sourceFolder();
    v->m_imageRequest = m_imageRequest;
    v->m_streamRequest = m_streamRequest;
    v->m_linkStyle = m_linkStyle;
    v->m_backdrop = m_backdrop;
    v->setDefaultColours(m_background, m_text);
    if (m_fontSet) v->setDefaultFontFace(m_font);
    connect(v, &BookViewer::hotSpotClicked, this, &BookViewer::hotSpotClicked);
    v->installEventFilter(this);
    v->viewport()->installEventFilter(this);
    m_frameViews.push_back(v);

    // The application maps the source first; without an answer the viewer reads it beside the
    // frameset.
    const std::string name = fromQString(source);
    std::optional<QByteArray> bytes;
    if (m_streamRequest && !name.empty()) bytes = m_streamRequest(name);
    if (bytes) {
        v->showDecoded(toQString(std::string_view(bytes->constData(), size_t(bytes->size()))), {});
    } else {
        std::string file;
        if (!name.empty() && readFile(v->m_folder + name, file)) {
            v->m_path = v->m_folder + name;
            v->showDecoded(toQString(file), {});
        }
    }
    return v;
}

void BookViewer::buildFrames(const QString& html) {
    const FrameNode root = parseFrameset(html);
    auto build = [this](auto& self, const FrameNode& set, QWidget* parent) -> QSplitter* {
        auto* splitter = new QSplitter(set.orientation, parent);
        splitter->setChildrenCollapsible(false);
        for (const FrameNode& part : set.parts) {
            if (part.frame)
                addFrame(splitter, part.source);
            else
                self(self, part, splitter);
        }
        splitter->setProperty("frameSizes", set.sizes);
        return splitter;
    };
    m_frames = build(build, root, this);
    m_frames->setGeometry(rect());
    m_frames->show();
    m_frames->raise();
    // Sizes once the splitters know their room.
    const std::function<void(QSplitter*)> size = [&](QSplitter* s) {
        const int total = s->orientation() == Qt::Horizontal ? s->width() : s->height();
        s->setSizes(partSizes(s->property("frameSizes").toStringList(), s->count(), total));
        for (int i = 0; i < s->count(); ++i)
            if (auto* inner = qobject_cast<QSplitter*>(s->widget(i))) {
                inner->resize(s->widget(i)->size());
                size(inner);
            }
    };
    size(m_frames);
}

void BookViewer::resizeEvent(QResizeEvent* event) {
    QTextBrowser::resizeEvent(event);
    if (m_frames) m_frames->setGeometry(rect());
}

bool BookViewer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
        for (BookViewer* v : m_frameViews)
            if (watched == v || watched == v->viewport()) m_active = v;
    }
    return QTextBrowser::eventFilter(watched, event);
}
