#pragma once

#include "ReportDialog.h"

// Parameters of the consumption report with issue dates.
class TFormRashodAllData : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormRashodAllData(const QString &dataDir, const vedaris::ReportProgress &progress,
                                QWidget *parent = nullptr);
};
