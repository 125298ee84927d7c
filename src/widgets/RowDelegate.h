#pragma once

#include <QStyledItemDelegate>

namespace vedaris {

// Striped rows, the selection colour also without focus, cells drawn with a
// small left padding and cut at the column's edge.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    static QColor rowColor(int row, bool selected);
};

} // namespace vedaris
