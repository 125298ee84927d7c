#include "TFormOtchetOneOtdel.h"

TFormOtchetOneOtdel::TFormOtchetOneOtdel(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormOtchetOneOtdel"));
    setWindowTitle(QStringLiteral("Расход по отделению"));
}

void TFormOtchetOneOtdel::fillDepartmentsAndShow()
{
    exec();
}
