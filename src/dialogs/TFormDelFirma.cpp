#include "TFormDelFirma.h"

using Column = vedaris::ListView::Column;

TFormDelFirma::TFormDelFirma(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Suppliers,
                      QStringLiteral("Удаление фирмы-поставщика"),
                      {{QStringLiteral("Название фирмы"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelFirma"));
}
