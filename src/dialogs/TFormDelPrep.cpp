#include "TFormDelPrep.h"

using Column = vedaris::ListView::Column;

TFormDelPrep::TFormDelPrep(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::DrugNames, QStringLiteral("Удаление препарата"),
                      {{QStringLiteral("Наименование препарата"), 100},
                       {QStringLiteral("Ед. измерения"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelPrep"));
}
