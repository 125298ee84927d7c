#pragma once

#include "ReportDialog.h"

// The reports' parameter windows: each is the report dialog given its report,
// caption and object name, and the fields it asks for.

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

// Parameters of the consumption report for a period.
class TFormAllRashod : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormAllRashod(const QString &dataDir, const vedaris::ReportProgress &progress,
                            QWidget *parent = nullptr);
};

// Parameters of the consumption report with issue dates.
class TFormRashodAllData : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormRashodAllData(const QString &dataDir, const vedaris::ReportProgress &progress,
                                QWidget *parent = nullptr);
};

// Parameters of the purchases report for a period.
class TFormOtchetPrihodMedikamentov : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPrihodMedikamentov(const QString &dataDir,
                                           const vedaris::ReportProgress &progress,
                                           QWidget *parent = nullptr);
};

// Parameters of the all-departments consumption report.
class TFormOtchetPolIzr : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPolIzr(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent = nullptr);
};

// Parameters of the movement report.
class TFormOtchetDvijeniia : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetDvijeniia(const QString &dataDir, const vedaris::ReportProgress &progress,
                                  QWidget *parent = nullptr);
};
