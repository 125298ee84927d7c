#include "TFormSpisanie.h"

#include "IssueQuantity.h"
#include "store/Clock.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

using namespace vedaris;

TFormSpisanie::TFormSpisanie(const QString &dataDir, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormSpisanie"));
    setWindowTitle(QStringLiteral("Списание"));

    auto readOnly = [this](const char *name) {
        QLineEdit *e = ui::lineEdit(this, QString::fromLatin1(name));
        ui::makeReadOnly(e);
        return e;
    };
    m_drugName = readOnly("RzEditSNamePrep");
    m_series = readOnly("RzEditSSeriiaPrep");
    m_unit = readOnly("RzEditSEdIzm");
    m_expiry = ui::dateEdit(this, QStringLiteral("RzDateTimeEditSSrokGodn"));
    ui::makeReadOnly(m_expiry);
    m_quantity = readOnly("RzEditSKol");
    m_price = readOnly("RzEditSCEdin");
    m_reason = new QComboBox(this);
    m_reason->setObjectName(QStringLiteral("RzComboBoxSPrichina"));
    m_reason->addItems(ops::writeOffReasons());
    m_writtenOff = ui::lineEdit(this, QStringLiteral("RzEditSSpisat"));
    NumberFilter::install(m_writtenOff);
    m_save = ui::saveButton(this, QStringLiteral("RzBitBtnSSave"));
    m_close = ui::closeButton(this, QStringLiteral("RzBitBtnSClose"));

    QGridLayout *grid = ui::formGrid();
    ui::addRow(grid, QStringLiteral("Наименов. препарата:"), m_drugName);
    ui::addRow(grid, QStringLiteral("Серия препарата:"), m_series);
    ui::addRow(grid, QStringLiteral("Единица измерения:"), m_unit);
    ui::addRow(grid, QStringLiteral("Срок годности:"), m_expiry);
    ui::addRow(grid, QStringLiteral("Причина списания:"), m_reason);
    ui::addRow(grid, QStringLiteral("Списать:"), m_writtenOff);
    ui::addRow(grid, QStringLiteral("Количество:"), m_quantity);
    ui::addRow(grid, QStringLiteral("Цена за единицу:"), m_price);
    ui::layOutForm(this, grid, m_save, m_close);
    ui::chainTabOrder({m_reason, m_writtenOff, m_save, m_close, m_drugName, m_series, m_unit,
                       m_expiry, m_quantity, m_price});

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
    m_drugName->setText(batch.DrugName);
    m_series->setText(batch.Series);
    m_unit->setText(batch.Unit);
    ui::showSerial(m_expiry, batch.ExpiryDate);
    m_quantity->setText(text::formatNumber(batch.Quantity));
    m_price->setText(text::formatNumber(batch.UnitPrice));
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
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
