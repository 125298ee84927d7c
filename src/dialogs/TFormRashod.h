#pragma once

#include "operations/StockOperations.h"
#include "store/Records.h"

#include <QDialog>
#include <optional>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vedaris {
class BatchFields;
class RefSelectDialog;
} // namespace vedaris

// The issue dialog: a quantity of one batch issued to a department.
class TFormRashod : public QDialog
{
    Q_OBJECT
public:
    // How the dialog was left.
    struct Result
    {
        std::optional<vedaris::ops::StoredIssue> stored; // nothing when closed
        // "Перейти к ней": the batch, by record number, to issue from instead.
        std::optional<qint32> goTo;
    };

    explicit TFormRashod(const QString &dataDir, QWidget *parent = nullptr);

    // The selection dialog it fills when shown and opens for the department.
    void setSelectionDialog(vedaris::RefSelectDialog *departments);

    // Shows `batch`, record `recordId` of Base.dat as read for this issue, modally,
    // with a line naming a batch of the same drug that expires earlier.
    Result issueFrom(qint32 recordId, const vedaris::StockRecord &batch);

public slots:
    void RzBitBtn1Click();
    void RzEditRIzrashChange();
    void RzBitBtnRSaveClick();
    void RzBitBtnRCloseClick();
    void RzBitBtnRPereitiClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void FormShow();
    void FormClose();

private:
    void showEarlier(const std::optional<vedaris::ops::EarlierBatch> &earlier);

    QString m_dataDir;
    vedaris::RefSelectDialog *m_departments = nullptr;
    // What the issue command read, carried to the save.
    qint32 m_recordId = 0;
    vedaris::StockRecord m_batch;
    std::optional<vedaris::ops::EarlierBatch> m_earlier;
    Result m_result;

    vedaris::BatchFields *m_fields;
    QLineEdit *m_department;
    QToolButton *m_chooseDepartment;
    QLineEdit *m_issued;
    QDateEdit *m_today; // hidden: the issue date
    QWidget *m_earlierRow;
    QLabel *m_earlierText;
    // "Срок годности этой партии истёк …", shown as the dialog opens.
    QLabel *m_expiredText;
    QPushButton *m_goToEarlier;
    QPushButton *m_save;
    QPushButton *m_close;
};
