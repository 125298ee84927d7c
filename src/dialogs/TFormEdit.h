#pragma once

#include "BatchDialog.h"

// The edit dialog: the receipt dialog correcting a batch nothing was issued from.
class TFormEdit : public vedaris::BatchDialog
{
    Q_OBJECT
public:
    explicit TFormEdit(const QString &dataDir, QWidget *parent = nullptr);

    // Shows `batch`, record `recordId` of Base.dat, modally: the batch as its
    // save rewrote it, or nothing when the dialog was closed.
    std::optional<vedaris::ops::StoredBatch> editBatch(qint32 recordId,
                                                       const vedaris::StockRecord &batch);

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

private:
    qint32 m_recordId = 0;
};
