#include "BatchDialog.h"

#include "BatchFields.h"
#include "ReferenceDialogs.h"
#include "widgets/DateEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QAction>
#include <QDateEdit>
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

    using Field = BatchFields::Field;
    using Access = BatchFields::Access;
    m_fields = new BatchFields(this);
    m_chooseDrug = ui::chooseButton(this, QStringLiteral("RzBitBtn1"));
    m_drugName = m_fields->addLine(Field::DrugName, name("RzButtonEdit", "NamePrep"),
                                   Access::ReadOnly, m_chooseDrug);
    m_manufacturer =
        m_fields->addLine(Field::Manufacturer, name("RzButtonEdit", "NameIzgot"), Access::Editable);
    m_chooseManufacturer = ui::embeddedChooseButton(m_manufacturer);
    m_supplier =
        m_fields->addLine(Field::Supplier, name("RzButtonEdit", "NamePost"), Access::Editable);
    m_chooseSupplier = ui::embeddedChooseButton(m_supplier);
    m_document = m_fields->addLine(Field::Document, name("RzEdit", "PrihodDoc"), Access::Editable);
    m_series = m_fields->addLine(Field::Series, name("RzEdit", "SeriiaPrep"), Access::Editable);
    m_receiptDate = m_fields->addDate(Field::ReceiptDate, name("RzDateTimeEdit", "DataPoluch"),
                                      Access::Editable);
    m_unit = m_fields->addLine(Field::Unit, name("RzEdit", "EdinIzm"), Access::ReadOnly);
    m_quantity = m_fields->addLine(Field::Quantity, name("RzEdit", "Kol"), Access::Editable);
    m_price = m_fields->addLine(Field::Price, name("RzEdit", "CEdin"), Access::Editable);
    m_expiry =
        m_fields->addDate(Field::Expiry, name("RzDateTimeEdit", "SrokGodn"), Access::Editable);
    m_save = ui::saveButton(this, name("RzBitBtn", "Save"));
    m_close = ui::closeButton(this, name("RzBitBtn", "Close"));
    NumberFilter::install(m_quantity);
    NumberFilter::install(m_price);
    ui::layOutForm(this, m_fields, m_save, m_close);
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
    return m_fields->input();
}

void BatchDialog::fill(const StockRecord &r)
{
    m_fields->fill(r);
}

void BatchDialog::clearAll()
{
    m_fields->clear();
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
