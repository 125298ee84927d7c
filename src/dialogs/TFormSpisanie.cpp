#include "TFormSpisanie.h"

#include "BatchFields.h"
#include "IssueQuantity.h"
#include "store/Clock.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

using namespace vedaris;

TFormSpisanie::TFormSpisanie(const QString &dataDir, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormSpisanie"));
    setWindowTitle(QStringLiteral("Списание"));

    using Field = BatchFields::Field;
    const auto readOnly = BatchFields::Access::ReadOnly;
    m_fields = new BatchFields(this);
    m_reason = new QComboBox(this);
    m_reason->setObjectName(QStringLiteral("RzComboBoxSPrichina"));
    m_reason->addItems(ops::writeOffReasons());
    m_writtenOff = ui::lineEdit(this, QStringLiteral("RzEditSSpisat"));
    NumberFilter::install(m_writtenOff);
    m_save = ui::saveButton(this, QStringLiteral("RzBitBtnSSave"));
    m_close = ui::closeButton(this, QStringLiteral("RzBitBtnSClose"));

    QLineEdit *drugName =
        m_fields->addLine(Field::DrugName, QStringLiteral("RzEditSNamePrep"), readOnly);
    QLineEdit *series =
        m_fields->addLine(Field::Series, QStringLiteral("RzEditSSeriiaPrep"), readOnly);
    QLineEdit *unit = m_fields->addLine(Field::Unit, QStringLiteral("RzEditSEdIzm"), readOnly);
    QDateEdit *expiry =
        m_fields->addDate(Field::Expiry, QStringLiteral("RzDateTimeEditSSrokGodn"), readOnly);
    m_fields->addRow(QStringLiteral("Причина списания:"), m_reason);
    m_fields->addRow(QStringLiteral("Списать:"), m_writtenOff);
    QLineEdit *quantity =
        m_fields->addLine(Field::Quantity, QStringLiteral("RzEditSKol"), readOnly);
    QLineEdit *price = m_fields->addLine(Field::Price, QStringLiteral("RzEditSCEdin"), readOnly);
    ui::layOutForm(this, m_fields, m_save, m_close);
    ui::chainTabOrder(
        {m_reason, m_writtenOff, m_save, m_close, drugName, series, unit, expiry, quantity, price});

    connect(m_writtenOff, &QLineEdit::textChanged, this, &TFormSpisanie::RzEditSSpisatChange);
    connect(m_save, &QPushButton::clicked, this, &TFormSpisanie::RzBitBtnSSaveClick);
    connect(m_close, &QPushButton::clicked, this, &TFormSpisanie::RzBitBtnSCloseClick);

    setFixedSize(QSize(361, 240).expandedTo(sizeHint()));
}

std::optional<ops::StoredIssue> TFormSpisanie::writeOff(qint32 recordId, const StockRecord &batch)
{
    m_recordId = recordId;
    m_batch = batch;
    m_stored.reset();
    m_fields->fill(batch);
    // An expired batch is what is written off most; any other asks for a reason.
    const bool expired = ops::expiryOn(batch.ExpiryDate, Clock::today()) == ops::Expiry::Expired;
    m_reason->setCurrentIndex(expired ? 0 : -1);
    exec();
    return std::exchange(m_stored, std::nullopt);
}

void TFormSpisanie::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        (m_reason->currentIndex() < 0 ? static_cast<QWidget *>(m_reason) : m_writtenOff)
            ->setFocus();
}

void TFormSpisanie::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFormSpisanie::FormClose()
{
    m_writtenOff->clear();
    m_reason->setCurrentIndex(-1);
    m_save->setEnabled(false);
}

void TFormSpisanie::RzEditSSpisatChange()
{
    m_save->setEnabled(!m_writtenOff->text().isEmpty());
}

void TFormSpisanie::RzBitBtnSSaveClick()
{
    const QString quantity = m_writtenOff->text();
    if (!ui::issueQuantityAccepted(this, m_batch, quantity))
        return;
    if (m_reason->currentIndex() < 0) {
        Messages::info(this, QStringLiteral("Вы не выбрали причину списания!"));
        return;
    }
    const QString reason = m_reason->currentText();
    const bool stored = Messages::guard(this, [&] {
        m_stored =
            ops::storeWriteOff(m_dataDir, m_recordId, m_batch, quantity, reason, Clock::today());
    });
    if (stored)
        accept();
}

void TFormSpisanie::RzBitBtnSCloseClick()
{
    reject();
}
