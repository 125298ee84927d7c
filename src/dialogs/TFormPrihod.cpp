#include "TFormPrihod.h"

TFormPrihod::TFormPrihod(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormPrihod"));
    setWindowTitle(QStringLiteral("Приход"));
}
