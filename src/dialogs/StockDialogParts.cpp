#include "StockDialogParts.h"

#include "NumberFilter.h"
#include "TFormSelFirma.h"
#include "TFormSelFirmaIzg.h"
#include "TFormSelPrep.h"
#include "app/Forms.h"
#include "app/Icons.h"
#include "app/Messages.h"
#include "store/TextFormats.h"

#include <QAction>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace vedaris {

namespace ui {

namespace {

QPalette readOnlyPalette(QPalette p)
{
    p.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
    return p;
}

QIcon ellipsis()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    for (int x : {3, 7, 11})
        p.drawRect(x, 10, 2, 2);
    return QIcon(pm);
}

} // namespace

void makeReadOnly(QLineEdit *edit)
{
    edit->setReadOnly(true);
    edit->setPalette(readOnlyPalette(edit->palette()));
}

void makeReadOnly(QDateEdit *edit)
{
    edit->setReadOnly(true);
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setCalendarPopup(false);
    edit->setPalette(readOnlyPalette(edit->palette()));
}

QLineEdit *lineEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QDateEdit *dateEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setMinimumDate(QDate(1752, 9, 14));
    clearDate(edit);
    return edit;
}

void clearDate(QDateEdit *edit)
{
    edit->setDate(edit->minimumDate());
}

QToolButton *chooseButton(QWidget *parent, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(ellipsis());
    button->setToolTip(QStringLiteral("Выбрать из списка"));
    return button;
}

QAction *embeddedChooseButton(QLineEdit *edit)
{
    QAction *action = edit->addAction(ellipsis(), QLineEdit::TrailingPosition);
    action->setToolTip(QStringLiteral("Выбрать из списка"));
    return action;
}

QPushButton *saveButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(QStringLiteral("Сохранить"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setEnabled(false);
    return button;
}

QPushButton *closeButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(icon(Icon::Close), QStringLiteral("Закрыть"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void addRow(QGridLayout *grid, const QString &label, QWidget *field, QWidget *extra)
{
    const int row = grid->rowCount();
    auto *text = new QLabel(label, field->parentWidget());
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    if (extra) {
        auto *box = new QHBoxLayout;
        box->setSpacing(2);
        box->addWidget(field, 1);
        box->addWidget(extra);
        grid->addLayout(box, row, 1);
    } else {
        grid->addWidget(field, row, 1);
    }
}

} // namespace ui

BatchDialog::BatchDialog(Forms &forms, QChar letter, const QString &title, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint),
      m_forms(forms)
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

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);
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
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    QWidget *order[] = {m_drugName, m_chooseDrug, m_manufacturer, m_supplier, m_document,
                        m_series, m_receiptDate, m_unit, m_quantity, m_price, m_expiry,
                        m_save, m_close};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

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
