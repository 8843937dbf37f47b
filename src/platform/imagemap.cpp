#include "platform/imagemap.h"

#include <QRegularExpression>

namespace {

QString attribute(const QString& attributes, const char* name) {
    const QRegularExpression re(
        QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re")
            .arg(QLatin1String(name)),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(attributes);
    for (int i = 1; i <= 3 && m.hasMatch(); ++i)
        if (m.capturedStart(i) >= 0) return m.captured(i);
    return {};
}

} // namespace

void ImageMaps::clear() {
    m_maps.clear();
    m_imageMap.clear();
}

void ImageMaps::parse(const QString& html) {
    clear();
    static const QRegularExpression tag(QStringLiteral(R"(<(/?)(map|area|img)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral(R"(-?\d+)"));
    QString open; // the map being read
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString kind = m.captured(2).toLower();
        const QString attrs = m.captured(3);
        if (kind == QLatin1String("map")) {
            open = m.captured(1).isEmpty() ? attribute(attrs, "name").toLower() : QString();
            if (!open.isEmpty()) m_maps[open]; // a map without areas is still a map
        } else if (kind == QLatin1String("area") && !open.isEmpty()) {
            Area a;
            const QString shape = attribute(attrs, "shape").toLower();
            a.shape = shape.startsWith(QLatin1String("circ"))   ? Area::Circle
                      : shape.startsWith(QLatin1String("poly")) ? Area::Poly
                      : shape.startsWith(QLatin1String("def"))  ? Area::Default
                                                                : Area::Rect;
            for (auto n = number.globalMatch(attribute(attrs, "coords")); n.hasNext();)
                a.coords.push_back(n.next().captured().toInt());
            a.href = attribute(attrs, "href");
            if (!a.href.isEmpty()) m_maps[open].push_back(std::move(a));
        } else if (kind == QLatin1String("img")) {
            QString use = attribute(attrs, "usemap");
            if (use.startsWith(QLatin1Char('#'))) use.remove(0, 1);
            const QString src = attribute(attrs, "src");
            if (!use.isEmpty() && !src.isEmpty() && !m_imageMap.contains(src))
                m_imageMap.insert(src, use.toLower());
        }
    }
}

bool ImageMaps::Area::contains(QPoint p) const {
    const auto c = [this](std::size_t i) { return i < coords.size() ? coords[i] : 0; };
    switch (shape) {
    case Default:
        return true;
    case Rect:
        return coords.size() >= 4 && p.x() >= std::min(c(0), c(2)) &&
               p.x() <= std::max(c(0), c(2)) && p.y() >= std::min(c(1), c(3)) &&
               p.y() <= std::max(c(1), c(3));
    case Circle: {
        if (coords.size() < 3) return false;
        const long long dx = p.x() - c(0), dy = p.y() - c(1), r = c(2);
        return dx * dx + dy * dy <= r * r;
    }
    case Poly: {
        // Even-odd rule over the vertices (x1, y1, x2, y2, ...).
        const std::size_t n = coords.size() / 2;
        bool inside = false;
        for (std::size_t i = 0, j = n - 1; n >= 3 && i < n; j = i++) {
            const double xi = c(2 * i), yi = c(2 * i + 1), xj = c(2 * j), yj = c(2 * j + 1);
            if ((yi > p.y()) != (yj > p.y()) && p.x() < (xj - xi) * (p.y() - yi) / (yj - yi) + xi)
                inside = !inside;
        }
        return inside;
    }
    }
    return false;
}

QString ImageMaps::hit(const QString& imageSource, QPoint point) const {
    const auto name = m_imageMap.constFind(imageSource);
    if (name == m_imageMap.constEnd()) return {};
    const auto map = m_maps.constFind(*name);
    if (map == m_maps.constEnd()) return {};
    for (const Area& a : *map)
        if (a.contains(point)) return a.href;
    return {};
}
