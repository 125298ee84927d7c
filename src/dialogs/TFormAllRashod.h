#pragma once

#include "ReportDialog.h"

// Parameters of the consumption report for a period.
class TFormAllRashod : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormAllRashod(const QString &dataDir, const vedaris::ReportProgress &progress,
                            QWidget *parent = nullptr);
};
