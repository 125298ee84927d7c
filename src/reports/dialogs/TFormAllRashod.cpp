#include "TFormAllRashod.h"

TFormAllRashod::TFormAllRashod(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormAllRashod"));
    setWindowTitle(QStringLiteral("Общий расход медикаментов"));
}
