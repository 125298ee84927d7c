#pragma once

#include "BatchDialog.h"

// The receipt dialog: one new batch into Base.dat.
class TFormPrihod : public vedaris::BatchDialog
{
    Q_OBJECT
public:
    explicit TFormPrihod(const QString &dataDir, QWidget *parent = nullptr);

    // Shows the dialog modally: the batch its save stored, or nothing when it
    // was closed.
    std::optional<vedaris::ops::StoredBatch> enterReceipt();

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
