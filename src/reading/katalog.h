// Filling the contents tree widget from the loaded contents, its icons 0-4 and the selection
// colours. Window side (Qt Widgets).
#pragma once

#include "reading/contents.h"

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <array>
#include <vector>

// The item role that holds an item's absolute index (its line in "contents.txt").
inline constexpr int kEntryIndexRole = Qt::UserRole + 1;

class KatalogFiller {
  public:
    // Keeps the icons of the tree's items right when they are expanded or collapsed.
    explicit KatalogFiller(QTreeWidget* tree);

    // Replaces the tree's items by the entries (captions decoded from Windows-1251), expands
    // entry 0 one level when it has children, and sets the icons.
    void load(const BookContents& contents);
    void clear();

    QTreeWidgetItem* item(int index) const;          // nullptr outside the contents
    static int indexOf(const QTreeWidgetItem* item); // absolute index; -1 for nullptr

    // The image list (a scheme replaces its pictures); icons 0-4 are used.
    void setIcons(const std::array<QIcon, 7>& icons);
    void setShowIcons(bool show); // hand-set colours: no icons
    void refreshIcons();          // every item's icon from its children and expanded state

    // Expand all / collapse all, keeping the selection.
    void expandAll();
    void collapseAll();
    // Selects the item of an entry and makes it visible; -1 clears the selection.
    void select(int index);

  private:
    void updateIcon(QTreeWidgetItem* item);

    QTreeWidget* m_tree;
    const BookContents* m_contents = nullptr;
    std::vector<QTreeWidgetItem*> m_items;
    std::array<QIcon, 7> m_icons;
    bool m_showIcons = true;
};

// Draws selected or focused entries in the scheme's selection colours when they are greater
// than 0 (colour values 0x00BBGGRR); otherwise as usual.
class KatalogDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setSelectionColours(uint32_t text, uint32_t background);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    uint32_t m_text = 0;
    uint32_t m_background = 0;
};
