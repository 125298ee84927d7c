#include "TFormRashod.h"

TFormRashod::TFormRashod(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormRashod"));
    setWindowTitle(QStringLiteral("Расход"));
}

void TFormRashod::startIssue()
{
}
