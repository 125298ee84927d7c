#include "RowDelegate.h"

#include <QPainter>

namespace vedaris {

QColor RowDelegate::rowColor(int row, bool selected)
{
    if (selected)
        return QColor(166, 202, 240);
    return row % 2 ? QColor(255, 251, 240) : QColor(255, 255, 255);
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const
{
    painter->fillRect(option.rect, rowColor(index.row(), option.state & QStyle::State_Selected));
    const QString text = index.data().toString();
    if (text.isEmpty())
        return;
    const int padding = index.column() == 0 ? 2 : 4;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
    painter->drawText(option.rect.adjusted(padding, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}

} // namespace vedaris
