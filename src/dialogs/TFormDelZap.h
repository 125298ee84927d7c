#pragma once

#include <QDialog>

class QPushButton;

// Asks before a stock line and all its issues are deleted.
class TFormDelZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDelZap(const QString &dataDir, QWidget *parent = nullptr);

    // Asks modally; "Да" deletes batch `recordId` with its issues. True when
    // they were deleted.
    bool deleteBatch(qint32 recordId);

public slots:
    void RzBitBtnDelClick();
    void RzBitBtnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_dataDir;
    qint32 m_recordId = 0;
    QPushButton *m_cancel;
};
