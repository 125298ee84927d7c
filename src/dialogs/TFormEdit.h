#pragma once

#include "BatchDialog.h"

// The edit dialog: the receipt dialog correcting a batch nothing was issued from.
class TFormEdit : public vedaris::BatchDialog
{
    Q_OBJECT
public:
    explicit TFormEdit(vedaris::Forms &forms, QWidget *parent = nullptr);

    // The edit command: checks the selected batch, fills the dialog and shows it.
    void startEdit();

    QLineEdit *RzButtonEditENamePrep;
    QToolButton *RzBitBtn1;
    QLineEdit *RzButtonEditENameIzgot;
    QLineEdit *RzButtonEditENamePost;
    QLineEdit *RzEditEPrihodDoc;
    QLineEdit *RzEditESeriiaPrep;
    QDateEdit *RzDateTimeEditEDataPoluch;
    QLineEdit *RzEditEEdinIzm;
    QLineEdit *RzEditEKol;
    QLineEdit *RzEditECEdin;
    QDateEdit *RzDateTimeEditESrokGodn;
    QPushButton *RzBitBtnESave;
    QPushButton *RzBitBtnEClose;

public slots:
    void RzBitBtn1Click();
    void RzButtonEditENamePostButtonClick();
    void RzButtonEditENameIzgotButtonClick();
    void RzButtonEditENamePrepChange();
    void RzEditEKolChange();
    void RzEditECEdinChange();
    void RzBitBtnESaveClick();
    void RzBitBtnECloseClick();

protected:
    void showEvent(QShowEvent *event) override;
    void FormShow();
};
