#pragma once

#include "ReportDialog.h"

// Parameters of the purchases report for a period.
class TFormOtchetPrihodMedikamentov : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPrihodMedikamentov(vedaris::Forms &forms, QWidget *parent = nullptr);
};
