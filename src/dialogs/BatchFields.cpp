#include "BatchFields.h"

#include "store/Records.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace vedaris {

namespace {

using Field = BatchFields::Field;

QString caption(Field field)
{
    switch (field) {
    case Field::DrugName:
        return QStringLiteral("Наименов. препарата:");
    case Field::Manufacturer:
        return QStringLiteral("Фирма-изготовитель:");
    case Field::Supplier:
        return QStringLiteral("Фирма-поставщик:");
    case Field::Document:
        return QStringLiteral("Приходной документ:");
    case Field::Series:
        return QStringLiteral("Серия препарата:");
    case Field::Unit:
        return QStringLiteral("Единица измерения:");
    case Field::Quantity:
        return QStringLiteral("Количество:");
    case Field::Price:
        return QStringLiteral("Цена за единицу:");
    case Field::Sum:
        return QStringLiteral("Общая сумма:");
    case Field::ReceiptDate:
        return QStringLiteral("Дата получения:");
    case Field::Expiry:
        return QStringLiteral("Срок годности:");
    }
    return {};
}

} // namespace

BatchFields::BatchFields(QWidget *parent) : QWidget(parent), m_grid(new QGridLayout(this))
{
    // Laid out as if the grid were the window's own.
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setVerticalSpacing(3);
    m_grid->setHorizontalSpacing(6);
    m_grid->setColumnStretch(1, 1);
}

QWidget *&BatchFields::slot(Field field)
{
    return m_fields[size_t(field)];
}

QLineEdit *BatchFields::addLine(Field field, const QString &name, Access access, QWidget *extra)
{
    Q_ASSERT(field != Field::ReceiptDate && field != Field::Expiry);
    QLineEdit *edit = ui::lineEdit(this, name);
    if (access != Access::Editable)
        ui::makeReadOnly(edit);
    slot(field) = edit;
    addRow(caption(field), edit, extra);
    return edit;
}

QDateEdit *BatchFields::addDate(Field field, const QString &name, Access access)
{
    Q_ASSERT(field == Field::ReceiptDate || field == Field::Expiry);
    QDateEdit *edit = ui::dateEdit(this, name);
    if (access != Access::Editable)
        ui::makeReadOnly(edit);
    if (access == Access::AsStored)
        edit->setMinimumDate(QDate(100, 1, 1));
    slot(field) = edit;
    addRow(caption(field), edit);
    return edit;
}

void BatchFields::addRow(const QString &caption, QWidget *control, QWidget *extra)
{
    const int row = m_grid->rowCount();
    auto *text = new QLabel(caption, this);
    text->setBuddy(control);
    m_grid->addWidget(text, row, 0);
    if (extra) {
        auto *box = new QHBoxLayout;
        box->setSpacing(2);
        box->addWidget(control, 1);
        box->addWidget(extra);
        m_grid->addLayout(box, row, 1);
    } else {
        m_grid->addWidget(control, row, 1);
    }
}

void BatchFields::addWide(QWidget *control)
{
    m_grid->addWidget(control, m_grid->rowCount(), 0, 1, 2);
}

QLineEdit *BatchFields::line(Field field) const
{
    return static_cast<QLineEdit *>(m_fields[size_t(field)]);
}

QDateEdit *BatchFields::date(Field field) const
{
    return static_cast<QDateEdit *>(m_fields[size_t(field)]);
}

void BatchFields::fill(const StockRecord &r)
{
    const auto show = [this](Field field, const QString &text) {
        if (QLineEdit *edit = line(field))
            edit->setText(text);
    };
    show(Field::DrugName, r.DrugName);
    show(Field::Manufacturer, r.Manufacturer);
    show(Field::Supplier, r.Supplier);
    show(Field::Document, r.ReceiptDocument);
    show(Field::Series, r.Series);
    show(Field::Unit, r.Unit);
    show(Field::Quantity, text::formatNumber(r.Quantity));
    show(Field::Price, text::formatNumber(r.UnitPrice));
    show(Field::Sum, text::formatNumber(r.TotalSum));
    // A date the user leaves as it is keeps its stored value, even one that
    // cannot be shown: saving must not write a date nobody set.
    const auto showDate = [this](Field field, double serial, std::optional<KeptDate> &kept) {
        if (QDateEdit *edit = date(field)) {
            ui::showSerial(edit, serial);
            kept = KeptDate{serial, edit->date()};
        }
    };
    showDate(Field::ReceiptDate, r.ReceiptDate, m_keptReceipt);
    showDate(Field::Expiry, r.ExpiryDate, m_keptExpiry);
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

ops::BatchInput BatchFields::input() const
{
    ops::BatchInput in;
    in.drugName = line(Field::DrugName)->text();
    in.manufacturer = line(Field::Manufacturer)->text();
    in.supplier = line(Field::Supplier)->text();
    in.receiptDocument = line(Field::Document)->text();
    in.series = line(Field::Series)->text();
    in.unit = line(Field::Unit)->text();
    in.quantityText = line(Field::Quantity)->text();
    in.priceText = line(Field::Price)->text();
    const QDateEdit *receipt = date(Field::ReceiptDate);
    const QDateEdit *expiry = date(Field::Expiry);
    in.receiptDate = ui::shownDate(receipt);
    in.expiryDate = ui::shownDate(expiry);
    if (m_keptReceipt && receipt->date() == m_keptReceipt->shown)
        in.keptReceiptSerial = m_keptReceipt->serial;
    if (m_keptExpiry && expiry->date() == m_keptExpiry->shown)
        in.keptExpirySerial = m_keptExpiry->serial;
    return in;
}

void BatchFields::clear()
{
    for (QWidget *field : m_fields) {
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->clear();
        else if (auto *date = qobject_cast<QDateEdit *>(field))
            ui::clearDate(date);
    }
    m_keptReceipt.reset();
    m_keptExpiry.reset();
}

} // namespace vedaris
