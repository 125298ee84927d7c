#include "TFormRashodAllData.h"

TFormRashodAllData::TFormRashodAllData(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormRashodAllData"), QStringLiteral("Общий расход с выводом даты"),
                   vedaris::reports::ReportKind::IssueDates)
{
    finishLayout();
}
