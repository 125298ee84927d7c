#include "TFormDelZap.h"

TFormDelZap::TFormDelZap(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormDelZap"));
    setWindowTitle(QStringLiteral("Удаление записи"));
}
