#include "TFormOtchetPrihodMedikamentov.h"

TFormOtchetPrihodMedikamentov::TFormOtchetPrihodMedikamentov(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormOtchetPrihodMedikamentov"));
    setWindowTitle(QStringLiteral("Приобретённые медикаменты"));
}
