#include "app/Icons.h"

#include <QString>

// The pictures are compiled into this library; a static library has to register them itself.
static void initIcons() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

QIcon themedIcon(const char* themeName, const char* bundled) {
    initIcons();
    const QIcon fallback(QStringLiteral(":/icons/%1.png").arg(QLatin1String(bundled)));
    return QIcon::fromTheme(QLatin1String(themeName), fallback);
}

std::array<QIcon, 7> treeImages() {
    initIcons();
    // The tree keeps its own pictures: theme folder icons would not tell books from chapters.
    auto pic = [](const char* name) {
        return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
    };
    return {pic("tree-folder"), pic("tree-page"), pic("tree-folder-open"), pic("tree-book-open"),
            pic("tree-book"),   pic("tree-page"), pic("tree-page")};
}
