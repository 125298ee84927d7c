#pragma once

#include "ReportDialog.h"

// Parameters of the expired stock report: the date to check up to.
class TFormSrokGodnosti : public vedaris::ReportDialog
{
    Q_OBJECT
public:
    explicit TFormSrokGodnosti(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent = nullptr);

    vedaris::reports::ReportParams params() const override;

private:
    QDateEdit *m_date;
};
