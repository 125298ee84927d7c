#include "TFormSelFirmaIzg.h"

#include "SelectionTarget.h"
#include "app/Forms.h"

TFormSelFirmaIzg::TFormSelFirmaIzg(vedaris::Forms &forms, QWidget *parent)
    : RefSelectDialog(forms, vedaris::RefKind::Manufacturers, QStringLiteral("Выбор фирмы-изготовителя"),
                      {{QStringLiteral("Название фирмы-изготовителя"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirmaIzg"));
}

void TFormSelFirmaIzg::writeSelection(const QStringList &cells)
{
    vedaris::receiptOrEditTarget(m_forms)->setManufacturer(cells.value(0));
}
