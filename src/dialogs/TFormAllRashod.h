#pragma once

#include "ReportDialog.h"

// Parameters of the consumption report for a period.
class TFormAllRashod : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormAllRashod(vedaris::Forms &forms, QWidget *parent = nullptr);
};
