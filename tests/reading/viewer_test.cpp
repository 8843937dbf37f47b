// The page viewer on the offscreen platform: Windows-1251 pages, anchors, find, raw link
// addresses, picture requests, the fixed backdrop, printing a range.
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/viewer.h"
#include "support/testenv.h"

#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QByteArray pngBytes(QColor colour, int w = 8, int h = 8) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}

struct ShownViewer {
    BookViewer v;
    ShownViewer() {
        v.resize(400, 300);
        v.show();
        QApplication::processEvents();
    }
    // Clicks the middle of the character at document position pos.
    void clickAt(int pos) {
        QTextCursor c(v.document());
        c.setPosition(pos);
        const QPoint p = v.cursorRect(c).center() + QPoint(3, 0);
        QMouseEvent press(QEvent::MouseButtonPress, p, v.viewport()->mapToGlobal(p), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, p, v.viewport()->mapToGlobal(p),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(v.viewport(), &press);
        QApplication::sendEvent(v.viewport(), &release);
    }
};

std::string longPage() {
    std::string page = "<html><body>";
    for (int i = 0; i < 200; ++i)
        page += "<p>line " + std::to_string(i) + "</p>";
    page += "<a name=\"end\">END</a><p>after</p></body></html>";
    return page;
}

} // namespace

TEST(BookViewer, LoadsWindows1251FilesAtAnAnchor) {
    TempDir dir;
    dir.write("tmp.htm", w1251("<html><body><p>Съешь же ещё этих мягких булок</p></body></html>"));
    dir.write("long.htm", longPage());
    ShownViewer s;
    int changed = 0;
    QObject::connect(&s.v, &BookViewer::historyChanged, [&] { ++changed; });
    ASSERT_TRUE(s.v.loadFile(readerPath(dir.file("tmp.htm"))));
    EXPECT_TRUE(s.v.toPlainText().contains(QStringLiteral("Съешь же ещё этих мягких булок")));
    EXPECT_EQ(changed, 1);

    ASSERT_TRUE(s.v.loadFile(readerPath(dir.file("long.htm")), "#end"));
    QApplication::processEvents();
    const int atEnd = s.v.scrollPosition();
    EXPECT_GT(atEnd, 1000);
    s.v.setScrollPosition(0);
    EXPECT_EQ(s.v.scrollPosition(), 0);
    s.v.positionToAnchor("end");
    EXPECT_EQ(s.v.scrollPosition(), atEnd);
    s.v.setScrollPosition(atEnd / 2);
    s.v.reload(); // the same file again, the place kept
    EXPECT_EQ(s.v.scrollPosition(), atEnd / 2);
    s.v.setScrollPosition(0);
    s.v.pressDown(3);
    EXPECT_GT(s.v.scrollPosition(), 0);

    // A file that cannot be read leaves the page on screen.
    EXPECT_FALSE(s.v.loadFile(readerPath(dir.file("missing.htm"))));
    EXPECT_EQ(s.v.currentFile(), readerPath(dir.file("long.htm")));
    s.v.clearPage();
    EXPECT_TRUE(s.v.toPlainText().isEmpty());
    EXPECT_TRUE(s.v.currentFile().empty());
}

TEST(BookViewer, FindsForwardBackwardAndByCase) {
    ShownViewer s;
    s.v.loadHtml(QByteArray::fromStdString(w1251("<p>Слово один, слово два, СЛОВО три</p>")));
    s.v.moveCursor(QTextCursor::Start);
    EXPECT_TRUE(s.v.findText(QStringLiteral("слово"), false, false));
    EXPECT_EQ(s.v.textCursor().selectionStart(), 0);
    EXPECT_TRUE(s.v.findText(QStringLiteral("слово"), true, false));
    EXPECT_EQ(s.v.textCursor().selectedText(), QStringLiteral("слово"));
    EXPECT_EQ(s.v.textCursor().selectionStart(), 12);
    EXPECT_FALSE(s.v.findText(QStringLiteral("слово"), true, false)); // no further lower-case one
    EXPECT_TRUE(s.v.findText(QStringLiteral("Слово"), true, true));   // upward
    EXPECT_EQ(s.v.textCursor().selectionStart(), 0);
    EXPECT_FALSE(s.v.findText(QStringLiteral("нет"), false, false));
    s.v.selectAll();
    EXPECT_EQ(s.v.textCursor().selectedText().size(), s.v.toPlainText().size());
}

TEST(BookViewer, LinkClicksGiveTheRawAddressAndNeverNavigate) {
    ShownViewer s;
    const std::string page = w1251(
        "<p><a href=\"kovrex_next\">NEXT</a></p><p><a href=\"глава 2/c%20d.htm#x\">FILE</a></p>"
        "<p><a href=\"#top\">ANCHOR</a></p>");
    s.v.loadHtml(QByteArray::fromStdString(page));
    std::vector<QByteArray> clicked;
    QObject::connect(&s.v, &BookViewer::hotSpotClicked,
                     [&](const QByteArray& href) { clicked.push_back(href); });
    const QString before = s.v.toHtml();
    const QString text = s.v.toPlainText();
    s.clickAt(text.indexOf("NEXT") + 1);
    s.clickAt(text.indexOf("FILE") + 1);
    s.clickAt(text.indexOf("ANCHOR") + 1);
    s.clickAt(text.size()); // past the links: nothing
    ASSERT_EQ(clicked.size(), 3u);
    EXPECT_EQ(clicked[0], QByteArray("kovrex_next"));
    EXPECT_EQ(clicked[1].toStdString(), w1251("глава 2/c%20d.htm#x"));
    EXPECT_EQ(clicked[2], QByteArray("#top"));
    EXPECT_EQ(s.v.toHtml(), before); // the viewer followed nothing
}

TEST(BookViewer, AsksForEachPictureOncePerPage) {
    ShownViewer s;
    std::vector<std::string> asked;
    s.v.setImageRequest([&](const std::string& name) -> std::optional<QByteArray> {
        asked.push_back(name);
        if (name == "pic.gif") return pngBytes(Qt::red);
        return std::nullopt;
    });
    const std::string page = w1251("<p><img src=\"pic.gif\"><img src=\"рис/Схема 1.gif\">"
                                   "<img src=\"pic.gif\"></p>");
    s.v.loadHtml(QByteArray::fromStdString(page));
    s.v.resize(300, 200); // relayout asks again; the answers are kept
    QApplication::processEvents();
    s.v.grab();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], "pic.gif");
    EXPECT_EQ(asked[1], w1251("рис/Схема 1.gif"));
    s.v.loadHtml(QByteArray::fromStdString(page)); // a new page asks again
    EXPECT_EQ(asked.size(), 4u);
}

TEST(BookViewer, FixedBackdropBehindSchemePages) {
    ShownViewer s;
    bool askedForBackdrop = false;
    s.v.setImageRequest([&](const std::string& name) -> std::optional<QByteArray> {
        askedForBackdrop |= name == "test.bmp";
        return std::nullopt;
    });
    s.v.setDefaultColours(QColor(0, 0, 255), Qt::black);
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::green);
    s.v.setBackdropPicture(picture);
    s.v.loadHtml("<HTML><BODY background=test.bmp bgproperties=FIXED><p>x</p></BODY></HTML>");
    EXPECT_TRUE(s.v.backdropActive());
    EXPECT_FALSE(askedForBackdrop);
    const QImage shot = s.v.viewport()->grab().toImage();
    const QPoint centre(shot.width() / 2, shot.height() / 2);
    EXPECT_EQ(shot.pixelColor(centre), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(shot.width() - 3, shot.height() - 3), QColor(0, 0, 255));

    s.v.loadHtml("<HTML><BODY><p>x</p></BODY></HTML>");
    EXPECT_FALSE(s.v.backdropActive());
}

TEST(BookViewer, CheapFixUpsAndPrinting) {
    ShownViewer s;
    s.v.loadHtml("<p><font color=ff0000>red</font><img src=x.gif align=absmiddle></p>");
    EXPECT_TRUE(s.v.toHtml().contains("#ff0000"));

    TempDir dir;
    s.v.loadHtml(QByteArray::fromStdString(longPage()));
    auto printedPages = [&](int from, int to) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.file("out.pdf")));
        s.v.printRange(printer, from, to);
        const QString pdf = QString::fromLatin1(QByteArray::fromStdString(dir.read("out.pdf")));
        return int(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
    };
    const int all = printedPages(1, 99999); // ends past the document are clamped
    EXPECT_GE(all, 3);
    EXPECT_EQ(printedPages(2, 3), 2);
    EXPECT_EQ(printedPages(0, 1), 1);
}

TEST(BookViewer, FramesetsAsNestedSplitters) {
    TempDir dir;
    dir.write("frames.htm", "<html><frameset cols=\"30%,*\"><frame src=\"left.htm\" name=l>"
                            "<frameset rows=\"100,*\"><frame src=\"top.htm\">"
                            "<frame src=\"missing.htm\"></frameset></frameset></html>");
    dir.write("top.htm", w1251("<p>верхний кадр</p>"));
    ShownViewer s;
    s.v.resize(600, 400);
    std::vector<std::string> asked;
    s.v.setStreamRequest([&](const std::string& name) -> std::optional<QByteArray> {
        asked.push_back(name);
        if (name == "left.htm")
            return QByteArray::fromStdString(w1251("<p><a href=\"kovrex_next\">левый</a></p>"));
        return std::nullopt; // read beside the frameset
    });
    std::vector<QByteArray> clicked;
    QObject::connect(&s.v, &BookViewer::hotSpotClicked,
                     [&](const QByteArray& href) { clicked.push_back(href); });
    ASSERT_TRUE(s.v.loadFile(readerPath(dir.file("frames.htm"))));
    QApplication::processEvents();

    EXPECT_EQ(asked, (std::vector<std::string>{"left.htm", "top.htm", "missing.htm"}));
    ASSERT_EQ(s.v.frameCount(), 3);
    BookViewer* left = s.v.activeView(); // the first frame until another gets the focus
    ASSERT_NE(left, &s.v);
    EXPECT_TRUE(left->toPlainText().contains(QStringLiteral("левый")));
    EXPECT_NEAR(left->width(), 180, 10);

    // A link in a frame reaches the application through the outer viewer, unchanged.
    QTextCursor c(left->document());
    c.setPosition(2);
    const QPoint p = left->cursorRect(c).center();
    QMouseEvent press(QEvent::MouseButtonPress, p, left->viewport()->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, p, left->viewport()->mapToGlobal(p),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(left->viewport(), &press);
    QApplication::sendEvent(left->viewport(), &release);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], QByteArray("kovrex_next"));

    // A press in another frame makes it the active view: find works there.
    BookViewer* top = nullptr;
    for (BookViewer* f : s.v.findChildren<BookViewer*>())
        if (f->toPlainText().contains(QStringLiteral("верхний"))) top = f;
    ASSERT_TRUE(top);
    QMouseEvent pressTop(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(top->viewport(), &pressTop);
    EXPECT_EQ(s.v.activeView(), top);
    top->moveCursor(QTextCursor::Start);
    EXPECT_TRUE(s.v.findText(QStringLiteral("кадр"), false, false));
    EXPECT_EQ(top->textCursor().selectedText(), QStringLiteral("кадр"));

    // A frameset that names itself ends after a few levels.
    dir.write(
        "self.htm",
        "<frameset rows=\"50%,*\"><frame src=\"self.htm\"><frame src=\"top.htm\"></frameset>");
    ASSERT_TRUE(s.v.loadFile(readerPath(dir.file("self.htm"))));
    EXPECT_LT(s.v.findChildren<BookViewer*>().size(), 40);

    s.v.loadHtml("<p>plain</p>"); // an ordinary page: the frames go
    EXPECT_EQ(s.v.frameCount(), 0);
    EXPECT_EQ(s.v.activeView(), &s.v);
}

TEST(BookViewer, ImageMapAreasGiveTheirAddresses) {
    ShownViewer s;
    s.v.setImageRequest(
        [](const std::string&) -> std::optional<QByteArray> { return pngBytes(Qt::red, 100, 50); });
    std::vector<QByteArray> clicked;
    QObject::connect(&s.v, &BookViewer::hotSpotClicked,
                     [&](const QByteArray& href) { clicked.push_back(href); });
    s.v.loadHtml(QByteArray::fromStdString(
        w1251("<p>text <img src=\"nav.png\" usemap=\"#Nav\"> more</p>"
              "<map name=\"nav\"><area shape=rect coords=\"0,0,49,49\" href=\"left.htm\">"
              "<area shape=\"circle\" coords=\"75,25,20\" href=\"глава.htm\">"
              "<area shape=poly coords=\"50,0,99,0,99,4\" href=\"corner.htm\"></map>")));
    QApplication::processEvents();

    // Where the picture is on screen: the red rectangle.
    const QImage shot = s.v.viewport()->grab().toImage();
    QRect red;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) == QColor(Qt::red)) red |= QRect(x, y, 1, 1);
    ASSERT_EQ(red.size(), QSize(100, 50));

    auto click = [&](QPoint p) {
        QMouseEvent press(QEvent::MouseButtonPress, p, s.v.viewport()->mapToGlobal(p),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, p, s.v.viewport()->mapToGlobal(p),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(s.v.viewport(), &press);
        QApplication::sendEvent(s.v.viewport(), &release);
    };
    click(red.topLeft() + QPoint(10, 10));
    click(red.topLeft() + QPoint(75, 25));
    click(red.topLeft() + QPoint(97, 1));
    click(red.topLeft() + QPoint(52, 40));     // no area there
    click(red.bottomRight() + QPoint(40, 40)); // off the picture
    ASSERT_EQ(clicked.size(), 3u);
    EXPECT_EQ(clicked[0], QByteArray("left.htm"));
    EXPECT_EQ(clicked[1].toStdString(), w1251("глава.htm"));
    EXPECT_EQ(clicked[2], QByteArray("corner.htm"));
}
