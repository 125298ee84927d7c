#include "TFormSrokGodnosti.h"

TFormSrokGodnosti::TFormSrokGodnosti(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormSrokGodnosti"));
    setWindowTitle(QStringLiteral("Отчёт о сроке годности"));
}
