#pragma once

#include "ReferenceTarget.h"
#include "store/Records.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vedaris {
class Forms;
}

// The issue dialog: a quantity of the selected batch issued to a department.
class TFormRashod : public QDialog, public vedaris::ReferenceTarget
{
    Q_OBJECT
public:
    explicit TFormRashod(vedaris::Forms &forms, QWidget *parent = nullptr);

    // The issue command: reads the selected batch, fills the dialog and shows it.
    void startIssue();

    void setDepartment(const QString &name) override;

    QLineEdit *RzEditRNamePrep;
    QLineEdit *RzEditRNameIzgot;
    QLineEdit *RzEditRNamePost;
    QLineEdit *RzEditRPrihodDoc;
    QLineEdit *RzEditRSeriiaPrep;
    QLineEdit *RzEditREdIzm;
    QLineEdit *RzButtonEditRMove;
    QToolButton *RzBitBtn1;
    QLineEdit *RzEditRIzrash;
    QLineEdit *RzEditRKol;
    QLineEdit *RzEditRCEdin;
    QDateEdit *RzDateTimeEditRDataPol;
    QDateEdit *RzDateTimeEditRSrokGodn;
    QDateEdit *RzDateTimeEditNow; // hidden: the issue date
    QPushButton *RzBitBtnRSave;
    QPushButton *RzBitBtnRClose;

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

    vedaris::Forms &m_forms;
    // What the issue command read, carried to the save.
    qint32 m_recordId = 0;
    int m_row = -1;
    vedaris::StockRecord m_batch;
};
