#pragma once

#include "ReportDialog.h"

// Parameters of the all-departments consumption report.
class TFormOtchetPolIzr : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPolIzr(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent = nullptr);
};
