// The page viewer: a QTextBrowser that shows Windows-1251 pages, never follows a link itself and
// asks the application for every picture.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QTextBrowser>
#include <QVariant>

#include "platform/imagemap.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPrinter;
class QSplitter;

class BookViewer : public QTextBrowser {
    Q_OBJECT
  public:
    // Picture bytes for a name as the page wrote it (Windows-1251), or nothing for "no stream".
    // Called at most once per name and page.
    using ImageRequest = std::function<std::optional<QByteArray>(const std::string& name1251)>;
    // Page bytes (Windows-1251) of a frame source, or nothing when the viewer should read the
    // file itself (resolved against the frameset's folder).
    using StreamRequest = std::function<std::optional<QByteArray>(const std::string& name1251)>;

    explicit BookViewer(QWidget* parent = nullptr);

    // Reads the file (reader path, Windows-1251), shows it and positions at the anchor ("#x" or
    // "x"; empty = top). False when the file cannot be read: the page on screen stays.
    bool loadFile(const std::string& path1251, const std::string& anchor1251 = {});
    // Shows Windows-1251 HTML bytes (no current file).
    void loadHtml(const QByteArray& page1251, const std::string& anchor1251 = {});
    void reload();    // the same file again, at the same scroll position
    void clearPage(); // empty view, no current file
    const std::string& currentFile() const { return m_path; }

    // A page that is a frameset shows its frames as nested splitters of viewers. Find, print,
    // copy, select all, scrolling and anchors work on the active view: the frame that last had
    // the focus (the first frame at first), or this viewer when the page has no frames.
    BookViewer* activeView() const;
    int frameCount() const { return int(m_frameViews.size()); }

    // Find from the current selection; matchCase; upward searches backward. Selects the hit.
    bool findText(const QString& text, bool matchCase, bool upward);
    void printRange(QPrinter& printer, int fromPage, int toPage);
    void copy();
    void selectAll();

    int scrollPosition() const;
    void setScrollPosition(int value);
    void positionToAnchor(const std::string& anchor1251); // one leading "#" ignored

    void setDefaultColours(const QColor& background, const QColor& text);
    void setLinkColour(const QColor& link);
    void setDefaultFontFace(const QFont& font);
    QColor defaultBackground() const { return m_background; }

    // The scheme's backdrop picture, drawn centred on the default background behind pages whose
    // body names background=test.bmp, fixed while the page scrolls. A null image: no backdrop.
    void setBackdropPicture(const QImage& picture);
    bool backdropActive() const { return m_backdropActive; }

    void setImageRequest(ImageRequest request) { m_imageRequest = std::move(request); }
    void setStreamRequest(StreamRequest request) { m_streamRequest = std::move(request); }

    // Down-arrow presses the way a user makes them (after opening a contents entry).
    void pressDown(int times);

  signals:
    // A link was clicked: the raw address exactly as the page gives it, Windows-1251.
    void hotSpotClicked(const QByteArray& href1251);
    // A page was loaded (or cleared).
    void historyChanged();

  protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showDecoded(QString html, const std::string& anchor1251);
    void removeFrames();
    void buildFrames(const QString& frameset);
    BookViewer* addFrame(QSplitter* splitter, const QString& source);
    std::string sourceFolder() const;
    QString mapLinkAt(QPoint viewportPos) const;

    std::string m_path;
    ImageRequest m_imageRequest;
    StreamRequest m_streamRequest;
    QHash<QString, QVariant> m_resources; // per page: answers already given
    QColor m_background = Qt::white;
    QColor m_text = Qt::black;
    QImage m_backdrop;
    bool m_backdropActive = false;
    QString m_pressedHref;
    QString m_linkStyle;
    ImageMaps m_maps;
    QFont m_font;
    bool m_fontSet = false;
    std::string m_folder; // frames: the folder their sources are read from
    QSplitter* m_frames = nullptr;
    std::vector<BookViewer*> m_frameViews;
    BookViewer* m_active = nullptr;
    int m_frameDepth = 0; // frames inside frames
};
