#include "TFormRashodAllData.h"

TFormRashodAllData::TFormRashodAllData(const QString &dataDir,
                                       const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormRashodAllData"),
                   QStringLiteral("Общий расход с выводом даты"),
                   vedaris::reports::ReportKind::IssueDates)
{
    finishLayout();
}
