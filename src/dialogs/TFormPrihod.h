#pragma once

#include "BatchDialog.h"

// The receipt dialog: one new batch into Base.dat and its row into the stock list.
class TFormPrihod : public vedaris::BatchDialog
{
    Q_OBJECT
public:
    explicit TFormPrihod(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLineEdit *RzButtonEditPNamePrep;
    QToolButton *RzBitBtn1;
    QLineEdit *RzButtonEditPNameIzgot;
    QLineEdit *RzButtonEditPNamePost;
    QLineEdit *RzEditPPrihodDoc;
    QLineEdit *RzEditPSeriiaPrep;
    QDateEdit *RzDateTimeEditPDataPoluch;
    QLineEdit *RzEditPEdinIzm;
    QLineEdit *RzEditPKol;
    QLineEdit *RzEditPCEdin;
    QDateEdit *RzDateTimeEditPSrokGodn;
    QPushButton *RzBitBtnPSave;
    QPushButton *RzBitBtnPClose;

public slots:
    void RzBitBtn1Click();
    void RzButtonEditPNamePostButtonClick();
    void RzButtonEditPNameIzgotButtonClick();
    void RzButtonEditPNamePrepChange();
    void RzEditPKolChange();
    void RzEditPCEdinChange();
    void RzBitBtnPSaveClick();
    void RzBitBtnPCloseClick();

protected:
    void showEvent(QShowEvent *event) override;
    void FormShow();
};
