#include "TFormOtchetDvijeniia.h"

TFormOtchetDvijeniia::TFormOtchetDvijeniia(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormOtchetDvijeniia"), QStringLiteral("Перемещение медикаментов"),
                   vedaris::reports::ReportKind::Movement)
{
    finishLayout();
}
