#include "BatchDialog.h"

#include "TFormSelFirma.h"
#include "TFormSelFirmaIzg.h"
#include "TFormSelPrep.h"
#include "app/Forms.h"
#include "store/TextFormats.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QAction>
#include <QDateEdit>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace vedaris {

BatchDialog::BatchDialog(Forms &forms, QChar letter, const QString &title, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_forms(forms)
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
    ui::chainTabOrder({m_drugName, m_chooseDrug, m_manufacturer, m_supplier, m_document,
                       m_series, m_receiptDate, m_unit, m_quantity, m_price, m_expiry,
                       m_save, m_close});

    setFixedSize(QSize(360, 251).expandedTo(sizeHint()));
}

void BatchDialog::setDrug(const QString &name, const QString &unit)
{
    m_drugName->clear();
    m_unit->clear();
    m_drugName->setText(name);
    m_unit->setText(unit);
    m_drugName->setCursorPosition(0);
}

void BatchDialog::setSupplier(const QString &name)
{
    m_supplier->setText(name);
}

void BatchDialog::setManufacturer(const QString &name)
{
    m_manufacturer->setText(name);
}

void BatchDialog::fillSelections()
{
    Messages::guard(this, [this] {
        m_forms.FormSelPrep->fillSelectionList();
        m_forms.FormSelFirma->fillSelectionList();
        m_forms.FormSelFirmaIzg->fillSelectionList();
    });
}

void BatchDialog::chooseDrug()
{
    m_forms.FormSelPrep->exec();
}

void BatchDialog::chooseSupplier()
{
    m_forms.FormSelFirma->exec();
}

void BatchDialog::chooseManufacturer()
{
    m_forms.FormSelFirmaIzg->exec();
}

void BatchDialog::updateSave()
{
    m_save->setEnabled(!m_drugName->text().isEmpty() && !m_quantity->text().isEmpty()
                       && !m_price->text().isEmpty());
}

bool BatchDialog::validate()
{
    if (m_price->text().isEmpty() || m_quantity->text().isEmpty() || m_drugName->text().isEmpty()) {
        Messages::info(this, QStringLiteral("Поля \"Наименование препарата\", \"Количество\", \"Цена\", должны быть заполнены!"));
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
    in.receiptDate = m_receiptDate->date();
    in.unit = m_unit->text();
    in.quantityText = m_quantity->text();
    in.priceText = m_price->text();
    in.expiryDate = m_expiry->date();
    return in;
}

void BatchDialog::fill(const StockRecord &r)
{
    m_drugName->setText(r.DrugName);
    m_manufacturer->setText(r.Manufacturer);
    m_supplier->setText(r.Supplier);
    m_document->setText(r.ReceiptDocument);
    m_series->setText(r.Series);
    m_receiptDate->setDate(text::serialToDate(r.ReceiptDate));
    m_unit->setText(r.Unit);
    m_quantity->setText(text::formatNumber(r.Quantity));
    m_price->setText(text::formatNumber(r.UnitPrice));
    m_expiry->setDate(text::serialToDate(r.ExpiryDate));
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
    m_save->setEnabled(false);
}

void BatchDialog::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace vedaris
