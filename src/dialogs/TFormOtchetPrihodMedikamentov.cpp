#include "TFormOtchetPrihodMedikamentov.h"

TFormOtchetPrihodMedikamentov::TFormOtchetPrihodMedikamentov(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormOtchetPrihodMedikamentov"), QStringLiteral("Приобретённые медикаменты"),
                   vedaris::reports::ReportKind::Purchases)
{
    finishLayout();
}
