#include "TFormSelPrep.h"

#include "SelectionTarget.h"
#include "app/Forms.h"

TFormSelPrep::TFormSelPrep(vedaris::Forms &forms, QWidget *parent)
    : RefSelectDialog(forms, vedaris::RefKind::DrugNames, QStringLiteral("Выбор препарата"),
                      {{QStringLiteral("Наименование препарата"), 100}, {QStringLiteral("Ед. измерения"), 100}}, parent)
{
    setObjectName(QStringLiteral("FormSelPrep"));
}

void TFormSelPrep::writeSelection(const QStringList &cells)
{
    vedaris::receiptOrEditTarget(m_forms)->setDrug(cells.value(0), cells.value(1));
}
