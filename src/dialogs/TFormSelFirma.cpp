#include "TFormSelFirma.h"

TFormSelFirma::TFormSelFirma(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Suppliers,
                      QStringLiteral("Выбор фирмы-поставщика"),
                      {{QStringLiteral("Название фирмы-поставщика"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirma"));
}
