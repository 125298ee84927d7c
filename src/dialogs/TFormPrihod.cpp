#include "TFormPrihod.h"

#include "store/Clock.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

TFormPrihod::TFormPrihod(const QString &dataDir, QWidget *parent)
    : BatchDialog(dataDir, u'P', QStringLiteral("Приход"), parent)
{
    setObjectName(QStringLiteral("FormPrihod"));
    connect(m_chooseDrug, &QToolButton::clicked, this, &TFormPrihod::RzBitBtn1Click);
    connect(m_chooseSupplier, &QAction::triggered, this,
            &TFormPrihod::RzButtonEditPNamePostButtonClick);
    connect(m_chooseManufacturer, &QAction::triggered, this,
            &TFormPrihod::RzButtonEditPNameIzgotButtonClick);
    connect(m_drugName, &QLineEdit::textChanged, this, &TFormPrihod::RzButtonEditPNamePrepChange);
    connect(m_quantity, &QLineEdit::textChanged, this, &TFormPrihod::RzEditPKolChange);
    connect(m_price, &QLineEdit::textChanged, this, &TFormPrihod::RzEditPCEdinChange);
    connect(m_save, &QPushButton::clicked, this, &TFormPrihod::RzBitBtnPSaveClick);
    connect(m_close, &QPushButton::clicked, this, &TFormPrihod::RzBitBtnPCloseClick);
}

std::optional<vedaris::ops::StoredBatch> TFormPrihod::enterReceipt()
{
    return runUntilStored();
}

void TFormPrihod::showEvent(QShowEvent *event)
{
    BatchDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormPrihod::FormShow()
{
    fillSelections();
    m_expiry->setDate(vedaris::Clock::today());
    m_receiptDate->setDate(vedaris::Clock::today());
    m_drugName->setFocus();
}

void TFormPrihod::RzBitBtn1Click()
{
    chooseDrug();
}

void TFormPrihod::RzButtonEditPNamePostButtonClick()
{
    chooseSupplier();
}

void TFormPrihod::RzButtonEditPNameIzgotButtonClick()
{
    chooseManufacturer();
}

void TFormPrihod::RzButtonEditPNamePrepChange()
{
    updateSave();
}

void TFormPrihod::RzEditPKolChange()
{
    updateSave();
}

void TFormPrihod::RzEditPCEdinChange()
{
    updateSave();
}

void TFormPrihod::RzBitBtnPSaveClick()
{
    if (!validate())
        return;
    saveWith([this] { return vedaris::ops::storeReceipt(m_dataDir, input()); });
}

void TFormPrihod::RzBitBtnPCloseClick()
{
    reject();
}
