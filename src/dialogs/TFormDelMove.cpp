#include "TFormDelMove.h"

using Column = vedaris::ListView::Column;

TFormDelMove::TFormDelMove(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Departments,
                      QStringLiteral("Удаление перемещения"),
                      {{QStringLiteral("Название"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelMove"));
}
