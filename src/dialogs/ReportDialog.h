#pragma once

#include "ReportLauncher.h"
#include "reports/Reports.h"

#include <QDialog>

class QDateEdit;
class QFormLayout;
class QPushButton;

namespace vedaris {

// The common parameter dialog of a report: its date controls, "Создать" and
// "Закрыть". Every showing starts from today's date. "Создать" runs the report
// on the data folder with the dialog still on screen, its progress shown
// where `progress` says.
class ReportDialog : public QDialog
{
    Q_OBJECT
public:
    // The parameters as the controls hold them now.
    virtual reports::ReportParams params() const;

public slots:
    void FormShow();
    // Runs the report with the dialog still on screen, then closes it.
    void RzBitBtnCreateClick();
    void RzBitBtnCloseClick();

protected:
    ReportDialog(const QString &dataDir, const ReportProgress &progress, QWidget *parent,
                 const QString &objectName, const QString &caption, reports::ReportKind kind);

    // A date control shown as dd.mm.yyyy with a drop-down calendar.
    QDateEdit *addDate(const QString &objectName);
    // The form rows above the buttons.
    QFormLayout *fields() const { return m_fields; }
    // Adds the buttons and fixes the size; called last by each dialog.
    void finishLayout();

    void showEvent(QShowEvent *event) override;
    // Why the controls cannot make a report (a refused date); empty when they can.
    virtual QString refusal() const;

    QString m_dataDir;

private:
    ReportProgress m_progress;
    reports::ReportKind m_kind;
    QFormLayout *m_fields;
    QList<QDateEdit *> m_dates;
};

// A dialog asking for Start and Finish.
class PeriodDialog : public ReportDialog
{
    Q_OBJECT
public:
    reports::ReportParams params() const override;

    static inline const QString FinishBeforeStart =
        QStringLiteral("Конечная дата раньше начальной! Укажите период заново.");

protected:
    // Also a finish before the start, which would report an empty period.
    QString refusal() const override;

    PeriodDialog(const QString &dataDir, const ReportProgress &progress, QWidget *parent,
                 const QString &objectName, const QString &caption, reports::ReportKind kind);

private:
    QDateEdit *m_start;
    QDateEdit *m_finish;
};

} // namespace vedaris
