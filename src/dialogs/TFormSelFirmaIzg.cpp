#include "TFormSelFirmaIzg.h"

TFormSelFirmaIzg::TFormSelFirmaIzg(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Manufacturers,
                      QStringLiteral("Выбор фирмы-изготовителя"),
                      {{QStringLiteral("Название фирмы-изготовителя"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirmaIzg"));
}
