#include "TFormEdit.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

TFormEdit::TFormEdit(const QString &dataDir, QWidget *parent)
    : BatchDialog(dataDir, u'E', QStringLiteral("Редактирование записи"), parent)
{
    setObjectName(QStringLiteral("FormEdit"));
    connect(m_chooseDrug, &QToolButton::clicked, this, &TFormEdit::RzBitBtn1Click);
    connect(m_chooseSupplier, &QAction::triggered, this,
            &TFormEdit::RzButtonEditENamePostButtonClick);
    connect(m_chooseManufacturer, &QAction::triggered, this,
            &TFormEdit::RzButtonEditENameIzgotButtonClick);
    connect(m_drugName, &QLineEdit::textChanged, this, &TFormEdit::RzButtonEditENamePrepChange);
    connect(m_quantity, &QLineEdit::textChanged, this, &TFormEdit::RzEditEKolChange);
    connect(m_price, &QLineEdit::textChanged, this, &TFormEdit::RzEditECEdinChange);
    connect(m_save, &QPushButton::clicked, this, &TFormEdit::RzBitBtnESaveClick);
    connect(m_close, &QPushButton::clicked, this, &TFormEdit::RzBitBtnECloseClick);
}

std::optional<vedaris::ops::StoredBatch> TFormEdit::editBatch(qint32 recordId,
                                                              const vedaris::StockRecord &batch)
{
    m_recordId = recordId;
    fill(batch);
    return runUntilStored();
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
    m_drugName->setFocus();
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
    saveWith([this] { return vedaris::ops::storeEdit(m_dataDir, m_recordId, input()); });
}

void TFormEdit::RzBitBtnECloseClick()
{
    reject();
}
