#include "TFormOtchetPrihodMedikamentov.h"

TFormOtchetPrihodMedikamentov::TFormOtchetPrihodMedikamentov(
    const QString &dataDir, const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetPrihodMedikamentov"),
                   QStringLiteral("Приобретённые медикаменты"),
                   vedaris::reports::ReportKind::Purchases)
{
    finishLayout();
}
