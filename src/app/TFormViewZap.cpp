#include "TFormViewZap.h"

#include "store/Records.h"
#include "store/TextFormats.h"
#include "widgets/Icons.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>

TFormViewZap::TFormViewZap(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    Q_UNUSED(forms)
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
        auto *edit = new QDateEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
        edit->setMinimumDate(QDate(100, 1, 1));
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setPalette(readOnly);
        form->addRow(label, edit);
        return edit;
    };
    RzEditVNamePrep = line("RzEditVNamePrep", QStringLiteral("Наименов. препарата:"));
    RzEditVNameIzgot = line("RzEditVNameIzgot", QStringLiteral("Фирма-изготовитель:"));
    RzEditVNamePost = line("RzEditVNamePost", QStringLiteral("Фирма-поставщик:"));
    RzEditVPrihodDoc = line("RzEditVPrihodDoc", QStringLiteral("Приходной документ:"));
    RzEditVSeriiaPrep = line("RzEditVSeriiaPrep", QStringLiteral("Серия препарата:"));
    RzEditVEdIzm = line("RzEditVEdIzm", QStringLiteral("Единица измерения:"));
    RzEditVKol = line("RzEditVKol", QStringLiteral("Количество:"));
    RzEditVCEdin = line("RzEditVCEdin", QStringLiteral("Цена за единицу:"));
    RzEditVTotSum = line("RzEditVTotSum", QStringLiteral("Общая сумма:"));
    RzDateTimeEditVDataPol = date("RzDateTimeEditVDataPol", QStringLiteral("Дата получения:"));
    RzDateTimeEditVSrokGodn = date("RzDateTimeEditVSrokGodn", QStringLiteral("Срок годности:"));

    RzBitBtnVClose = new QPushButton(vedaris::icon(vedaris::Icon::Close), QStringLiteral("Закрыть"), this);
    RzBitBtnVClose->setObjectName(QStringLiteral("RzBitBtnVClose"));
    connect(RzBitBtnVClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(RzBitBtnVClose, 0, Qt::AlignRight);
    setFixedSize(QSize(361, 277).expandedTo(sizeHint()));
}

void TFormViewZap::fill(const vedaris::StockRecord &r)
{
    using vedaris::text::formatNumber;
    using vedaris::text::serialToDate;
    RzEditVNamePrep->setText(r.DrugName);
    RzEditVNameIzgot->setText(r.Manufacturer);
    RzEditVNamePost->setText(r.Supplier);
    RzEditVPrihodDoc->setText(r.ReceiptDocument);
    RzEditVSeriiaPrep->setText(r.Series);
    RzEditVEdIzm->setText(r.Unit);
    RzEditVKol->setText(formatNumber(r.Quantity));
    RzEditVCEdin->setText(formatNumber(r.UnitPrice));
    RzEditVTotSum->setText(formatNumber(r.TotalSum));
    RzDateTimeEditVDataPol->setDate(serialToDate(r.ReceiptDate));
    RzDateTimeEditVSrokGodn->setDate(serialToDate(r.ExpiryDate));
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

void TFormViewZap::showRecord(const vedaris::StockRecord &r)
{
    fill(r);
    RzBitBtnVClose->setFocus();
    exec();
}
