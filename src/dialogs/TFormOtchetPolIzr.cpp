#include "TFormOtchetPolIzr.h"

TFormOtchetPolIzr::TFormOtchetPolIzr(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormOtchetPolIzr"), QStringLiteral("Отчёт по всем отделениям"),
                   vedaris::reports::ReportKind::Departments)
{
    finishLayout();
}
