#include "TFormPrihod.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "store/Clock.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

TFormPrihod::TFormPrihod(vedaris::Forms &forms, QWidget *parent)
    : BatchDialog(forms, u'P', QStringLiteral("Приход"), parent),
      RzButtonEditPNamePrep(m_drugName),
      RzBitBtn1(m_chooseDrug),
      RzButtonEditPNameIzgot(m_manufacturer),
      RzButtonEditPNamePost(m_supplier),
      RzEditPPrihodDoc(m_document),
      RzEditPSeriiaPrep(m_series),
      RzDateTimeEditPDataPoluch(m_receiptDate),
      RzEditPEdinIzm(m_unit),
      RzEditPKol(m_quantity),
      RzEditPCEdin(m_price),
      RzDateTimeEditPSrokGodn(m_expiry),
      RzBitBtnPSave(m_save),
      RzBitBtnPClose(m_close)
{
    setObjectName(QStringLiteral("FormPrihod"));
    connect(RzBitBtn1, &QToolButton::clicked, this, &TFormPrihod::RzBitBtn1Click);
    connect(m_chooseSupplier, &QAction::triggered, this, &TFormPrihod::RzButtonEditPNamePostButtonClick);
    connect(m_chooseManufacturer, &QAction::triggered, this, &TFormPrihod::RzButtonEditPNameIzgotButtonClick);
    connect(RzButtonEditPNamePrep, &QLineEdit::textChanged, this, &TFormPrihod::RzButtonEditPNamePrepChange);
    connect(RzEditPKol, &QLineEdit::textChanged, this, &TFormPrihod::RzEditPKolChange);
    connect(RzEditPCEdin, &QLineEdit::textChanged, this, &TFormPrihod::RzEditPCEdinChange);
    connect(RzBitBtnPSave, &QPushButton::clicked, this, &TFormPrihod::RzBitBtnPSaveClick);
    connect(RzBitBtnPClose, &QPushButton::clicked, this, &TFormPrihod::RzBitBtnPCloseClick);
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
    RzDateTimeEditPSrokGodn->setDate(vedaris::Clock::today());
    RzDateTimeEditPDataPoluch->setDate(vedaris::Clock::today());
    RzButtonEditPNamePrep->setFocus();
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
    const bool stored = vedaris::Messages::guard(this, [this] {
        const auto result = vedaris::ops::storeReceipt(m_forms.dataDir(), input());
        m_forms.FormGl->insertStockRow(result.cells);
        m_forms.FormGl->ScrollToSelected();
    });
    if (stored)
        accept();
}

void TFormPrihod::RzBitBtnPCloseClick()
{
    reject();
}
