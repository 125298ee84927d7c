#include "TFormOtchetDvijeniia.h"

TFormOtchetDvijeniia::TFormOtchetDvijeniia(const QString &dataDir,
                                           const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetDvijeniia"),
                   QStringLiteral("Перемещение медикаментов"),
                   vedaris::reports::ReportKind::Movement)
{
    finishLayout();
}
