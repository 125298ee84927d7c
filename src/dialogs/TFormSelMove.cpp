#include "TFormSelMove.h"

#include "TFormRashod.h"
#include "app/Forms.h"

TFormSelMove::TFormSelMove(vedaris::Forms &forms, QWidget *parent)
    : RefSelectDialog(forms, vedaris::RefKind::Departments, QStringLiteral("Выбор перемещения"),
                      {{QStringLiteral("Список вариантов перемещения"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelMove"));
}

void TFormSelMove::writeSelection(const QStringList &cells)
{
    static_cast<vedaris::ReferenceTarget *>(m_forms.FormRashod)->setDepartment(cells.value(0));
}
