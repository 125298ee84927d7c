#include "TFormViewZap.h"

#include "store/Records.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"
#include "widgets/Icons.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>

TFormViewZap::TFormViewZap(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormViewZap"));
    setWindowTitle(QStringLiteral("Просмотр записи"));

    QPalette readOnly = palette();
    readOnly.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    readOnly.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));

    auto *form = new QFormLayout;
    form->setVerticalSpacing(3);
    auto line = [&](const char *name, const QString &label) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setPalette(readOnly);
        form->addRow(label, edit);
        return edit;
    };
    auto date = [&](const char *name, const QString &label) {
        QDateEdit *edit = vedaris::ui::dateEdit(this, QString::fromLatin1(name));
        vedaris::ui::makeReadOnly(edit);
        // Shows what the file holds, however old.
        edit->setMinimumDate(QDate(100, 1, 1));
        form->addRow(label, edit);
        return edit;
    };
    m_drugName = line("RzEditVNamePrep", QStringLiteral("Наименов. препарата:"));
    m_manufacturer = line("RzEditVNameIzgot", QStringLiteral("Фирма-изготовитель:"));
    m_supplier = line("RzEditVNamePost", QStringLiteral("Фирма-поставщик:"));
    m_document = line("RzEditVPrihodDoc", QStringLiteral("Приходной документ:"));
    m_series = line("RzEditVSeriiaPrep", QStringLiteral("Серия препарата:"));
    m_unit = line("RzEditVEdIzm", QStringLiteral("Единица измерения:"));
    m_quantity = line("RzEditVKol", QStringLiteral("Количество:"));
    m_price = line("RzEditVCEdin", QStringLiteral("Цена за единицу:"));
    m_sum = line("RzEditVTotSum", QStringLiteral("Общая сумма:"));
    m_receiptDate = date("RzDateTimeEditVDataPol", QStringLiteral("Дата получения:"));
    m_expiry = date("RzDateTimeEditVSrokGodn", QStringLiteral("Срок годности:"));

    m_close = new QPushButton(vedaris::icon(vedaris::Icon::Close), QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("RzBitBtnVClose"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_close, 0, Qt::AlignRight);
    setFixedSize(QSize(361, 277).expandedTo(sizeHint()));
}

void TFormViewZap::fill(const vedaris::StockRecord &r)
{
    using vedaris::text::formatNumber;
    using vedaris::text::serialToDate;
    m_drugName->setText(r.DrugName);
    m_manufacturer->setText(r.Manufacturer);
    m_supplier->setText(r.Supplier);
    m_document->setText(r.ReceiptDocument);
    m_series->setText(r.Series);
    m_unit->setText(r.Unit);
    m_quantity->setText(formatNumber(r.Quantity));
    m_price->setText(formatNumber(r.UnitPrice));
    m_sum->setText(formatNumber(r.TotalSum));
    m_receiptDate->setDate(serialToDate(r.ReceiptDate));
    m_expiry->setDate(serialToDate(r.ExpiryDate));
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

void TFormViewZap::showRecord(const vedaris::StockRecord &r)
{
    fill(r);
    m_close->setFocus();
    exec();
}
