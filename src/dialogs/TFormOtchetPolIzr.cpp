#include "TFormOtchetPolIzr.h"

TFormOtchetPolIzr::TFormOtchetPolIzr(const QString &dataDir,
                                     const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetPolIzr"),
                   QStringLiteral("Отчёт по всем отделениям"),
                   vedaris::reports::ReportKind::Departments)
{
    finishLayout();
}
