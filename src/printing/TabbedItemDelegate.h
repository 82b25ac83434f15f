#pragma once
// Draws list items whose tabs advance to stops of eight average character
// widths, as a classic list box and a printer do (Qt's own stops are 80 pixels
// apart whatever the font, which scatters columns of labels and values).

#include <QStyledItemDelegate>

namespace sevrana {

class TabbedItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// Tab stop distance for a font: eight average character widths.
double TabStopFor(const QFont& font);

}  // namespace sevrana
