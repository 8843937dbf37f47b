// The contents tree widget filled from the contents: order, indices, icons, selection colours.
#include "reading/katalog.h"

#include <QApplication>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

std::array<QIcon, 7> numberedIcons() {
    std::array<QIcon, 7> icons;
    for (int i = 0; i < 7; ++i) {
        QPixmap p(16, 16);
        p.fill(QColor(i * 30, 0, 0));
        icons[static_cast<std::size_t>(i)] = QIcon(p);
    }
    return icons;
}

int iconNumber(const QTreeWidgetItem* item) {
    const QImage img = item->icon(0).pixmap(16, 16).toImage();
    return img.isNull() ? -1 : img.pixelColor(8, 8).red() / 30;
}

} // namespace

TEST(Katalog, FillsIconsExpandsAndSelects) {
    BookContents c;
    ASSERT_TRUE(parseContentsTree("Title\n\tPart\n\t\tPage\n\tPage 2\nOther\n", c.entries).ok);
    QTreeWidget tree;
    KatalogFiller filler(&tree);
    filler.setIcons(numberedIcons());
    filler.load(c);

    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(filler.item(2)->text(0), "Page");
    EXPECT_EQ(KatalogFiller::indexOf(filler.item(3)), 3);
    EXPECT_EQ(KatalogFiller::indexOf(nullptr), -1);
    EXPECT_EQ(filler.item(5), nullptr);
    EXPECT_TRUE(filler.item(0)->isExpanded());  // entry 0 opened one level
    EXPECT_FALSE(filler.item(1)->isExpanded()); // its children stay closed
    EXPECT_EQ(iconNumber(filler.item(0)), 3);
    EXPECT_EQ(iconNumber(filler.item(1)), 0);
    EXPECT_EQ(iconNumber(filler.item(2)), 1);
    EXPECT_EQ(iconNumber(filler.item(4)), 1);

    filler.item(1)->setExpanded(true); // the icon follows
    EXPECT_EQ(iconNumber(filler.item(1)), 2);
    filler.select(3);
    filler.collapseAll();
    EXPECT_EQ(iconNumber(filler.item(0)), 4);
    filler.expandAll();
    EXPECT_EQ(tree.currentItem(), filler.item(3)); // the selection stays
    EXPECT_EQ(iconNumber(filler.item(1)), 2);

    filler.setShowIcons(false);
    EXPECT_EQ(iconNumber(filler.item(0)), -1);
}

TEST(Katalog, SelectionColours) {
    BookContents c;
    ASSERT_TRUE(parseContentsTree("Title\nSecond\n", c.entries).ok);
    QTreeWidget tree;
    tree.resize(200, 100);
    KatalogFiller filler(&tree);
    auto* delegate = new KatalogDelegate(&tree);
    delegate->setSelectionColours(0x00FFFFFF, 0x000000FF); // white on red
    tree.setItemDelegate(delegate);
    filler.load(c);
    filler.select(1);
    tree.show();
    QApplication::processEvents();
    const QRect r = tree.visualItemRect(filler.item(1));
    const QImage shot = tree.viewport()->grab().toImage();
    // The style shades the highlight a little: red, not the usual blue.
    const QColor px = shot.pixelColor(r.right() - 4, r.center().y());
    EXPECT_GT(px.red(), 220);
    EXPECT_LT(px.blue(), 60);
}
