#pragma once

#include "ReportDialog.h"

// Parameters of the movement report.
class TFormOtchetDvijeniia : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetDvijeniia(const QString &dataDir, const vedaris::ReportProgress &progress,
                                  QWidget *parent = nullptr);
};
