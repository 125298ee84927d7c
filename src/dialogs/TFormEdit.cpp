#include "TFormEdit.h"

TFormEdit::TFormEdit(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormEdit"));
    setWindowTitle(QStringLiteral("Редактирование записи"));
}

void TFormEdit::startEdit()
{
}
