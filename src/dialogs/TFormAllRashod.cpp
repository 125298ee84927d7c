#include "TFormAllRashod.h"

TFormAllRashod::TFormAllRashod(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormAllRashod"), QStringLiteral("Общий расход медикаментов"),
                   vedaris::reports::ReportKind::Consumption)
{
    finishLayout();
}
