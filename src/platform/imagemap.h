// Client-side image maps of legacy pages: the <map>/<area> lists and which picture uses which,
// and the link under a point of a picture. The text view ignores <map>, so the viewer hit-tests.
#pragma once

#include <QHash>
#include <QPoint>
#include <QString>
#include <vector>

class ImageMaps {
  public:
    // Reads every <map name> with its <area shape coords href> and every <img src usemap="#name">
    // of a page (the decoded HTML as the page gives it).
    void parse(const QString& html);
    void clear();
    bool empty() const { return m_imageMap.isEmpty(); }

    // The address of the first area of the picture's map that holds the point (picture
    // coordinates, pixels); empty when the picture has no map or no area holds the point.
    QString hit(const QString& imageSource, QPoint point) const;

  private:
    struct Area {
        enum Shape { Rect, Circle, Poly, Default } shape = Rect;
        std::vector<int> coords;
        QString href;
        bool contains(QPoint p) const;
    };
    QHash<QString, std::vector<Area>> m_maps; // by lower-case map name
    QHash<QString, QString> m_imageMap;       // picture source -> lower-case map name
};
