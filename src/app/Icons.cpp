#include "app/Icons.h"

#include <QString>

QIcon themedIcon(const char* themeName, const char* bundled) {
    const QIcon fallback(QStringLiteral(":/icons/%1.png").arg(QLatin1String(bundled)));
    return QIcon::fromTheme(QLatin1String(themeName), fallback);
}

std::array<QIcon, 7> treeImages() {
    // The tree keeps its own pictures: theme folder icons would not tell books from chapters.
    auto pic = [](const char* name) {
        return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
    };
    return {pic("tree-folder"),      pic("tree-page"), pic("tree-folder-open"),
            pic("tree-book-open"),   pic("tree-book"), pic("tree-page"),
            pic("tree-page")};
}
