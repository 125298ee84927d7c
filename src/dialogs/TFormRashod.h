#pragma once

#include "operations/StockOperations.h"
#include "store/Records.h"

#include <QDialog>
#include <optional>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vedaris {
class RefSelectDialog;
}

// The issue dialog: a quantity of one batch issued to a department.
class TFormRashod : public QDialog
{
    Q_OBJECT
public:
    // How the dialog was left.
    struct Result
    {
        std::optional<vedaris::ops::StoredIssue> stored; // nothing when closed
    };

    explicit TFormRashod(const QString &dataDir, QWidget *parent = nullptr);

    // The selection dialog it fills when shown and opens for the department.
    void setSelectionDialog(vedaris::RefSelectDialog *departments);

    // Shows `batch`, record `recordId` of Base.dat as read for this issue, modally.
    Result issueFrom(qint32 recordId, const vedaris::StockRecord &batch);

public slots:
    void RzBitBtn1Click();
    void RzEditRIzrashChange();
    void RzBitBtnRSaveClick();
    void RzBitBtnRCloseClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void FormShow();
    void FormClose();

private:
    void fill(const vedaris::StockRecord &r);

    QString m_dataDir;
    vedaris::RefSelectDialog *m_departments = nullptr;
    // What the issue command read, carried to the save.
    qint32 m_recordId = 0;
    vedaris::StockRecord m_batch;
    Result m_result;

    QLineEdit *m_drugName;
    QLineEdit *m_manufacturer;
    QLineEdit *m_supplier;
    QLineEdit *m_document;
    QLineEdit *m_series;
    QLineEdit *m_unit;
    QLineEdit *m_department;
    QToolButton *m_chooseDepartment;
    QLineEdit *m_issued;
    QLineEdit *m_quantity;
    QLineEdit *m_price;
    QDateEdit *m_receiptDate;
    QDateEdit *m_expiry;
    QDateEdit *m_today; // hidden: the issue date
    QPushButton *m_save;
    QPushButton *m_close;
};
