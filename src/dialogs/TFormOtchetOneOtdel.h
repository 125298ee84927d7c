#pragma once

#include "ReportDialog.h"

class QComboBox;

// Parameters of the one-department consumption report: the period and the
// department, picked from the list or typed.
class TFormOtchetOneOtdel : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetOneOtdel(const QString &dataDir, const vedaris::ReportProgress &progress,
                                 QWidget *parent = nullptr);

    // The live departments of Otdelenie.dat, alphabetically, the first one
    // selected. A read error propagates; the list is left empty then.
    void fillDepartments();

    vedaris::reports::ReportParams params() const override;

private:
    QComboBox *m_departments;
};
