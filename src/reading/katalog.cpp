#include "reading/katalog.h"

#include "platform/text.h"

#include <QPainter>

KatalogFiller::KatalogFiller(QTreeWidget* tree) : m_tree(tree) {
    // One line per entry: the view need not measure every row of a large book.
    tree->setUniformRowHeights(true);
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree,
                     [this](QTreeWidgetItem* item) { updateIcon(item); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree,
                     [this](QTreeWidgetItem* item) { updateIcon(item); });
}

void KatalogFiller::clear() {
    m_tree->clear();
    m_items.clear();
    m_contents = nullptr;
}

void KatalogFiller::load(const BookContents& contents) {
    clear();
    m_contents = &contents;
    const int n = contents.count();
    m_items.reserve(static_cast<std::size_t>(n));
    std::vector<QList<QTreeWidgetItem*>> children(static_cast<std::size_t>(n));
    QList<QTreeWidgetItem*> top;
    for (int i = 0; i < n; ++i) {
        const TreeEntry& e = contents.entries[static_cast<std::size_t>(i)];
        auto* item = new QTreeWidgetItem(QStringList{toQString(e.caption)});
        item->setData(0, kEntryIndexRole, i);
        m_items.push_back(item);
        if (e.parent < 0)
            top.append(item);
        else
            children[static_cast<std::size_t>(e.parent)].append(item);
    }
    // Children are attached before the parents go into the tree: one insertion per level.
    for (int i = n - 1; i >= 0; --i)
        if (!children[static_cast<std::size_t>(i)].isEmpty())
            m_items[static_cast<std::size_t>(i)]->addChildren(
                children[static_cast<std::size_t>(i)]);
    m_tree->addTopLevelItems(top);
    if (n > 0 && m_items[0]->childCount() > 0) m_items[0]->setExpanded(true);
    refreshIcons();
}

QTreeWidgetItem* KatalogFiller::item(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_items.size()) return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

int KatalogFiller::indexOf(const QTreeWidgetItem* item) {
    if (!item) return -1;
    bool ok = false;
    const int index = item->data(0, kEntryIndexRole).toInt(&ok);
    return ok ? index : -1;
}

void KatalogFiller::setIcons(const std::array<QIcon, 7>& icons) {
    m_icons = icons;
    refreshIcons();
}

void KatalogFiller::setShowIcons(bool show) {
    m_showIcons = show;
    refreshIcons();
}

void KatalogFiller::updateIcon(QTreeWidgetItem* item) {
    if (!m_contents) return;
    const int index = indexOf(item);
    if (index < 0) return;
    item->setIcon(
        0, m_showIcons
               ? m_icons[static_cast<std::size_t>(m_contents->iconIndex(index, item->isExpanded()))]
               : QIcon());
}

void KatalogFiller::refreshIcons() {
    for (QTreeWidgetItem* item : m_items)
        updateIcon(item);
}

void KatalogFiller::expandAll() {
    m_tree->setUpdatesEnabled(false);
    QTreeWidgetItem* selected = m_tree->currentItem();
    m_tree->clearSelection();
    m_tree->expandAll();
    if (selected) m_tree->setCurrentItem(selected);
    refreshIcons();
    m_tree->setUpdatesEnabled(true);
}

void KatalogFiller::collapseAll() {
    m_tree->collapseAll();
    refreshIcons();
}

void KatalogFiller::select(int index) {
    QTreeWidgetItem* it = item(index);
    if (!it) {
        m_tree->clearSelection();
        return;
    }
    m_tree->setCurrentItem(it);
    m_tree->scrollToItem(it);
}

namespace {

QColor fromColourValue(uint32_t v) {
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

} // namespace

void KatalogDelegate::setSelectionColours(uint32_t text, uint32_t background) {
    m_text = text;
    m_background = background;
}

void KatalogDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    const bool marked = opt.state & (QStyle::State_Selected | QStyle::State_HasFocus);
    // Colour values with the high bit set are system-colour codes: those keep the usual look.
    if (marked && static_cast<int32_t>(m_background) > 0) {
        opt.palette.setColor(QPalette::Highlight, fromColourValue(m_background));
        opt.palette.setColor(QPalette::Base, fromColourValue(m_background));
    }
    if (marked && static_cast<int32_t>(m_text) > 0) {
        opt.palette.setColor(QPalette::HighlightedText, fromColourValue(m_text));
        opt.palette.setColor(QPalette::Text, fromColourValue(m_text));
    }
    QStyledItemDelegate::paint(painter, opt, index);
}
