#include "TFormDelIzgot.h"

using Column = vedaris::ListView::Column;

TFormDelIzgot::TFormDelIzgot(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Manufacturers,
                      QStringLiteral("Удаление фирмы-изготовителя"),
                      {{QStringLiteral("Название фирмы"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelIzgot"));
}
