#include "TFormOtchetPolIzr.h"

TFormOtchetPolIzr::TFormOtchetPolIzr(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormOtchetPolIzr"));
    setWindowTitle(QStringLiteral("Отчёт по всем отделениям"));
}
