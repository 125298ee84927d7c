#pragma once

#include "ReportDialog.h"

class QCheckBox;
class QComboBox;

// Parameters of the store's accounting documents in the reports menu.

// The count sheet: its date, and whether the book columns stay empty (the
// commission's copy).
class TFormOpis : public vedaris::ReportDialog
{
    Q_OBJECT
public:
    explicit TFormOpis(const QString &dataDir, const vedaris::ReportProgress &progress,
                       QWidget *parent = nullptr);
    vedaris::reports::ReportParams params() const override;

private:
    QDateEdit *m_date;
    QCheckBox *m_blind;
};

// The write-off act: its period.
class TFormAktSpisaniia : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormAktSpisaniia(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent = nullptr);
};

// The requisition-invoice: its period and the department, picked from the
// list or typed.
class TFormTrebovanie : public vedaris::PeriodDialog
{
    Q_OBJECT
public:
    explicit TFormTrebovanie(const QString &dataDir, const vedaris::ReportProgress &progress,
                             QWidget *parent = nullptr);
    // The live departments, alphabetically, the first selected. Throws on a read error.
    void fillDepartments();
    vedaris::reports::ReportParams params() const override;

private:
    QComboBox *m_departments;
};
