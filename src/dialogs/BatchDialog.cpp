#include "BatchDialog.h"

#include "ReferenceDialogs.h"
#include "store/TextFormats.h"
#include "widgets/DateEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QAction>
#include <QDateEdit>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace vedaris {

BatchDialog::BatchDialog(const QString &dataDir, QChar letter, const QString &title,
                         QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_dataDir(dataDir)
{
    setWindowTitle(title);
    const QString l(letter);
    auto name = [&](const char *before, const char *after) {
        return QString::fromLatin1(before) + l + QString::fromLatin1(after);
    };

    m_drugName = ui::lineEdit(this, name("RzButtonEdit", "NamePrep"));
    ui::makeReadOnly(m_drugName);
    m_chooseDrug = ui::chooseButton(this, QStringLiteral("RzBitBtn1"));
    m_manufacturer = ui::lineEdit(this, name("RzButtonEdit", "NameIzgot"));
    m_chooseManufacturer = ui::embeddedChooseButton(m_manufacturer);
    m_supplier = ui::lineEdit(this, name("RzButtonEdit", "NamePost"));
    m_chooseSupplier = ui::embeddedChooseButton(m_supplier);
    m_document = ui::lineEdit(this, name("RzEdit", "PrihodDoc"));
    m_series = ui::lineEdit(this, name("RzEdit", "SeriiaPrep"));
    m_receiptDate = ui::dateEdit(this, name("RzDateTimeEdit", "DataPoluch"));
    m_unit = ui::lineEdit(this, name("RzEdit", "EdinIzm"));
    ui::makeReadOnly(m_unit);
    m_quantity = ui::lineEdit(this, name("RzEdit", "Kol"));
    m_price = ui::lineEdit(this, name("RzEdit", "CEdin"));
    m_expiry = ui::dateEdit(this, name("RzDateTimeEdit", "SrokGodn"));
    m_save = ui::saveButton(this, name("RzBitBtn", "Save"));
    m_close = ui::closeButton(this, name("RzBitBtn", "Close"));
    NumberFilter::install(m_quantity);
    NumberFilter::install(m_price);

    QGridLayout *grid = ui::formGrid();
    ui::addRow(grid, QStringLiteral("Наименов. препарата:"), m_drugName, m_chooseDrug);
    ui::addRow(grid, QStringLiteral("Фирма-изготовитель:"), m_manufacturer);
    ui::addRow(grid, QStringLiteral("Фирма-поставщик:"), m_supplier);
    ui::addRow(grid, QStringLiteral("Приходной документ:"), m_document);
    ui::addRow(grid, QStringLiteral("Серия препарата:"), m_series);
    ui::addRow(grid, QStringLiteral("Дата получения:"), m_receiptDate);
    ui::addRow(grid, QStringLiteral("Единица измерения:"), m_unit);
    ui::addRow(grid, QStringLiteral("Количество:"), m_quantity);
    ui::addRow(grid, QStringLiteral("Цена за единицу:"), m_price);
    ui::addRow(grid, QStringLiteral("Срок годности:"), m_expiry);
    ui::layOutForm(this, grid, m_save, m_close);
    // Each field's "…" follows it, so the keyboard reaches the lists too.
    ui::chainTabOrder({m_drugName, m_chooseDrug, m_manufacturer,
                       ui::embeddedButton(m_manufacturer, m_chooseManufacturer), m_supplier,
                       ui::embeddedButton(m_supplier, m_chooseSupplier), m_document, m_series,
                       m_receiptDate, m_unit, m_quantity, m_price, m_expiry, m_save, m_close});

    setFixedSize(QSize(360, 251).expandedTo(sizeHint()));
}

void BatchDialog::setSelectionDialogs(RefSelectDialog *drugs, RefSelectDialog *suppliers,
                                      RefSelectDialog *manufacturers)
{
    m_drugs = drugs;
    m_suppliers = suppliers;
    m_manufacturers = manufacturers;
}

void BatchDialog::fillSelections()
{
    Messages::guard(this, [this] {
        m_drugs->fillSelectionList();
        m_suppliers->fillSelectionList();
        m_manufacturers->fillSelectionList();
    });
}

void BatchDialog::chooseDrug()
{
    if (const std::optional<RefChoice> drug = m_drugs->choose()) {
        // Emptied first, so the change handler runs even for the same name.
        m_drugName->clear();
        m_unit->clear();
        m_drugName->setText(drug->name);
        m_unit->setText(drug->unit);
        m_drugName->setCursorPosition(0);
    }
}

void BatchDialog::chooseSupplier()
{
    if (const std::optional<RefChoice> supplier = m_suppliers->choose())
        m_supplier->setText(supplier->name);
}

void BatchDialog::chooseManufacturer()
{
    if (const std::optional<RefChoice> manufacturer = m_manufacturers->choose())
        m_manufacturer->setText(manufacturer->name);
}

void BatchDialog::updateSave()
{
    m_save->setEnabled(!m_drugName->text().isEmpty() && !m_quantity->text().isEmpty()
                       && !m_price->text().isEmpty());
}

bool BatchDialog::validate()
{
    if (m_price->text().isEmpty() || m_quantity->text().isEmpty() || m_drugName->text().isEmpty()) {
        Messages::info(this,
                       QStringLiteral("Поля \"Наименование препарата\", \"Количество\", \"Цена\", "
                                      "должны быть заполнены!"));
        return false;
    }
    // A typed date that does not exist is never stored as another one.
    if (ui::DateEdit *refused = ui::DateEdit::refusedIn(this)) {
        Messages::info(this, refused->refusal());
        refused->setFocus();
        return false;
    }
    return true;
}

ops::BatchInput BatchDialog::input() const
{
    ops::BatchInput in;
    in.drugName = m_drugName->text();
    in.manufacturer = m_manufacturer->text();
    in.supplier = m_supplier->text();
    in.receiptDocument = m_document->text();
    in.series = m_series->text();
    in.receiptDate = ui::shownDate(m_receiptDate);
    in.unit = m_unit->text();
    in.quantityText = m_quantity->text();
    in.priceText = m_price->text();
    in.expiryDate = ui::shownDate(m_expiry);
    if (m_kept && m_receiptDate->date() == m_kept->receipt.shown)
        in.keptReceiptSerial = m_kept->receipt.serial;
    if (m_kept && m_expiry->date() == m_kept->expiry.shown)
        in.keptExpirySerial = m_kept->expiry.serial;
    return in;
}

void BatchDialog::fill(const StockRecord &r)
{
    m_drugName->setText(r.DrugName);
    m_manufacturer->setText(r.Manufacturer);
    m_supplier->setText(r.Supplier);
    m_document->setText(r.ReceiptDocument);
    m_series->setText(r.Series);
    ui::showSerial(m_receiptDate, r.ReceiptDate);
    m_unit->setText(r.Unit);
    m_quantity->setText(text::formatNumber(r.Quantity));
    m_price->setText(text::formatNumber(r.UnitPrice));
    ui::showSerial(m_expiry, r.ExpiryDate);
    // A date the user leaves as it is keeps its stored value, even one that
    // cannot be shown: saving must not write a date nobody set.
    m_kept = {{r.ReceiptDate, m_receiptDate->date()}, {r.ExpiryDate, m_expiry->date()}};
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

void BatchDialog::clearAll()
{
    for (QLineEdit *e : {m_drugName, m_manufacturer, m_supplier, m_document, m_series, m_unit,
                         m_quantity, m_price})
        e->clear();
    ui::clearDate(m_receiptDate);
    ui::clearDate(m_expiry);
    m_kept.reset();
    m_save->setEnabled(false);
}

std::optional<ops::StoredBatch> BatchDialog::runUntilStored()
{
    m_stored.reset();
    exec();
    return std::exchange(m_stored, std::nullopt);
}

void BatchDialog::saveWith(const std::function<ops::StoredBatch()> &store)
{
    if (Messages::guard(this, [&] { m_stored = store(); }))
        accept();
}

void BatchDialog::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace vedaris
