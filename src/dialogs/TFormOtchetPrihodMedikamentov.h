#pragma once

#include "ReportDialog.h"

// Parameters of the purchases report for a period.
class TFormOtchetPrihodMedikamentov : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPrihodMedikamentov(const QString &dataDir,
                                           const vedaris::ReportProgress &progress,
                                           QWidget *parent = nullptr);
};
