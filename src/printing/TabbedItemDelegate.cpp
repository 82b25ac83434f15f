#include "TabbedItemDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <cmath>

namespace sevrana {

namespace {

QTextOption TabbedOption(const QFont& font)
{
    QTextOption option;
    option.setTabStopDistance(TabStopFor(font));
    option.setWrapMode(QTextOption::NoWrap);
    option.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return option;
}

/// Width of a text with the tabs expanded.
double TabbedWidth(const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double stop = TabStopFor(font);
    double x = 0;
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype k = 0; k < parts.size(); ++k) {
        if (k > 0) x = (std::floor(x / stop) + 1) * stop;
        x += metrics.horizontalAdvance(parts[k]);
    }
    return x;
}

}  // namespace

double TabStopFor(const QFont& font) { return 8 * QFontMetricsF(font).averageCharWidth(); }

void TabbedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();  // the style draws the background, selection and focus; the text comes here
    const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active)  ? QPalette::Active
                                                                              : QPalette::Inactive;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    // The style's own text margin, as it would leave it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    painter->drawText(QRectF(area.adjusted(margin, 0, -margin, 0)), text, TabbedOption(item.font));
    painter->restore();
}

QSize TabbedItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    size.setWidth(static_cast<int>(std::ceil(TabbedWidth(item.text, item.font))) + 2 * margin + 2);
    return size;
}

}  // namespace sevrana
