#include "TFormSelFirma.h"

#include "SelectionTarget.h"
#include "app/Forms.h"

TFormSelFirma::TFormSelFirma(vedaris::Forms &forms, QWidget *parent)
    : RefSelectDialog(forms, vedaris::RefKind::Suppliers, QStringLiteral("Выбор фирмы-поставщика"),
                      {{QStringLiteral("Название фирмы-поставщика"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirma"));
}

void TFormSelFirma::writeSelection(const QStringList &cells)
{
    vedaris::receiptOrEditTarget(m_forms)->setSupplier(cells.value(0));
}
