#pragma once

#include "reports/Reports.h"

#include <QDialog>

class QDateEdit;
class QFormLayout;
class QPushButton;

namespace vedaris {

class Forms;

// The common parameter dialog of a report: its date controls, "Создать" and
// "Закрыть". Every showing starts from today's date.
class ReportDialog : public QDialog
{
    Q_OBJECT
public:
    QPushButton *RzBitBtnCreate = nullptr;
    QPushButton *RzBitBtnClose = nullptr;

    // The parameters as the controls hold them now.
    virtual reports::ReportParams params() const;

public slots:
    void FormShow();
    // Runs the report with the dialog still on screen, then closes it.
    void RzBitBtnCreateClick();
    void RzBitBtnCloseClick();

protected:
    ReportDialog(Forms &forms, QWidget *parent, const QString &objectName, const QString &caption,
                 reports::ReportKind kind);

    // A date control shown as dd.mm.yyyy with a drop-down calendar.
    QDateEdit *addDate(const QString &objectName);
    // The form rows above the buttons.
    QFormLayout *fields() const { return m_fields; }
    // Adds the buttons and fixes the size; called last by each dialog.
    void finishLayout();

    void showEvent(QShowEvent *event) override;

    Forms &m_forms;

private:
    reports::ReportKind m_kind;
    QFormLayout *m_fields;
    QList<QDateEdit *> m_dates;
};

// A dialog asking for Start and Finish.
class PeriodDialog : public ReportDialog
{
    Q_OBJECT
public:
    QDateEdit *RzDateTimeEditStart = nullptr;
    QDateEdit *RzDateTimeEditFinish = nullptr;

    reports::ReportParams params() const override;

protected:
    PeriodDialog(Forms &forms, QWidget *parent, const QString &objectName, const QString &caption,
                 reports::ReportKind kind);
};

} // namespace vedaris
