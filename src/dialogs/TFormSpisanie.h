#pragma once

#include "operations/StockOperations.h"
#include "store/Records.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vedaris {
class BatchFields;
}

// The write-off dialog: a quantity of one batch taken off the stock for a
// reason (expired, damaged, missing), stored as an issue to the reason's
// department.
class TFormSpisanie : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSpisanie(const QString &dataDir, QWidget *parent = nullptr);

    // Shows `batch`, record `recordId` of Base.dat as read for this write-off,
    // modally: what the save stored, or nothing when the dialog was closed.
    std::optional<vedaris::ops::StoredIssue> writeOff(qint32 recordId,
                                                      const vedaris::StockRecord &batch);

public slots:
    void RzEditSSpisatChange();
    void RzBitBtnSSaveClick();
    void RzBitBtnSCloseClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void FormClose();

private:
    QString m_dataDir;
    qint32 m_recordId = 0;
    vedaris::StockRecord m_batch;
    std::optional<vedaris::ops::StoredIssue> m_stored;

    vedaris::BatchFields *m_fields;
    QComboBox *m_reason;
    QLineEdit *m_writtenOff;
    QPushButton *m_save;
    QPushButton *m_close;
};
