#include "TFormEdit.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

TFormEdit::TFormEdit(vedaris::Forms &forms, QWidget *parent)
    : BatchDialog(forms, u'E', QStringLiteral("Редактирование записи"), parent),
      RzButtonEditENamePrep(m_drugName),
      RzBitBtn1(m_chooseDrug),
      RzButtonEditENameIzgot(m_manufacturer),
      RzButtonEditENamePost(m_supplier),
      RzEditEPrihodDoc(m_document),
      RzEditESeriiaPrep(m_series),
      RzDateTimeEditEDataPoluch(m_receiptDate),
      RzEditEEdinIzm(m_unit),
      RzEditEKol(m_quantity),
      RzEditECEdin(m_price),
      RzDateTimeEditESrokGodn(m_expiry),
      RzBitBtnESave(m_save),
      RzBitBtnEClose(m_close)
{
    setObjectName(QStringLiteral("FormEdit"));
    connect(RzBitBtn1, &QToolButton::clicked, this, &TFormEdit::RzBitBtn1Click);
    connect(m_chooseSupplier, &QAction::triggered, this, &TFormEdit::RzButtonEditENamePostButtonClick);
    connect(m_chooseManufacturer, &QAction::triggered, this, &TFormEdit::RzButtonEditENameIzgotButtonClick);
    connect(RzButtonEditENamePrep, &QLineEdit::textChanged, this, &TFormEdit::RzButtonEditENamePrepChange);
    connect(RzEditEKol, &QLineEdit::textChanged, this, &TFormEdit::RzEditEKolChange);
    connect(RzEditECEdin, &QLineEdit::textChanged, this, &TFormEdit::RzEditECEdinChange);
    connect(RzBitBtnESave, &QPushButton::clicked, this, &TFormEdit::RzBitBtnESaveClick);
    connect(RzBitBtnEClose, &QPushButton::clicked, this, &TFormEdit::RzBitBtnECloseClick);
}

void TFormEdit::startEdit()
{
    const std::optional<qint32> id = m_forms.FormGl->selectedRecordId();
    if (!id) {
        vedaris::Messages::info(m_forms.FormGl, QStringLiteral("Вы не выбрали запись для редактирования!"));
        return;
    }
    const std::optional<vedaris::StockRecord> record = vedaris::ops::readForEdit(m_forms.dataDir(), *id);
    if (!record) {
        vedaris::Messages::info(m_forms.FormGl, QStringLiteral("Эту запись редактировать нельзя!"));
        return;
    }
    fill(*record);
    exec();
}

void TFormEdit::showEvent(QShowEvent *event)
{
    BatchDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormEdit::FormShow()
{
    fillSelections();
    RzButtonEditENamePrep->setFocus();
}

void TFormEdit::RzBitBtn1Click()
{
    chooseDrug();
}

void TFormEdit::RzButtonEditENamePostButtonClick()
{
    chooseSupplier();
}

void TFormEdit::RzButtonEditENameIzgotButtonClick()
{
    chooseManufacturer();
}

void TFormEdit::RzButtonEditENamePrepChange()
{
    updateSave();
}

void TFormEdit::RzEditEKolChange()
{
    updateSave();
}

void TFormEdit::RzEditECEdinChange()
{
    updateSave();
}

void TFormEdit::RzBitBtnESaveClick()
{
    if (!validate())
        return;
    const std::optional<qint32> id = m_forms.FormGl->selectedRecordId();
    if (!id)
        return;
    const bool stored = vedaris::Messages::guard(this, [&] {
        const auto result = vedaris::ops::storeEdit(m_forms.dataDir(), *id, input());
        m_forms.FormGl->removeSelectedStockRow();
        m_forms.FormGl->insertStockRow(result.cells);
    });
    if (stored)
        accept();
}

void TFormEdit::RzBitBtnECloseClick()
{
    reject();
}
