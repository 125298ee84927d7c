#include "TFormAllRashod.h"

TFormAllRashod::TFormAllRashod(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormAllRashod"),
                   QStringLiteral("Общий расход медикаментов"),
                   vedaris::reports::ReportKind::Consumption)
{
    finishLayout();
}
