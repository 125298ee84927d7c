#include "TFormRashod.h"

#include "BatchFields.h"
#include "IssueQuantity.h"
#include "ReferenceDialogs.h"
#include "store/Clock.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

using namespace vedaris;

TFormRashod::TFormRashod(const QString &dataDir, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormRashod"));
    setWindowTitle(QStringLiteral("Расход"));

    using Field = BatchFields::Field;
    const auto readOnly = BatchFields::Access::ReadOnly;
    m_fields = new BatchFields(this);
    m_department = ui::lineEdit(this, QStringLiteral("RzButtonEditRMove"));
    m_department->setReadOnly(true);
    m_chooseDepartment = ui::chooseButton(this, QStringLiteral("RzBitBtn1"));
    m_issued = ui::lineEdit(this, QStringLiteral("RzEditRIzrash"));
    NumberFilter::install(m_issued);
    m_today = ui::dateEdit(this, QStringLiteral("RzDateTimeEditNow"));
    m_today->hide();
    m_save = ui::saveButton(this, QStringLiteral("RzBitBtnRSave"));
    m_close = ui::closeButton(this, QStringLiteral("RzBitBtnRClose"));
    m_earlierRow = new QWidget(this);
    m_earlierText = new QLabel(m_earlierRow);
    m_earlierText->setObjectName(QStringLiteral("RzLabelRRanshe"));
    m_earlierText->setWordWrap(true);
    m_goToEarlier = new QPushButton(QStringLiteral("Перейти к ней"), m_earlierRow);
    m_goToEarlier->setObjectName(QStringLiteral("RzBitBtnRPereiti"));
    m_goToEarlier->setAutoDefault(false);
    m_expiredText = new QLabel(this);
    m_expiredText->setObjectName(QStringLiteral("RzLabelRIstek"));
    m_expiredText->setWordWrap(true);
    auto *earlierLayout = new QHBoxLayout(m_earlierRow);
    earlierLayout->setContentsMargins(4, 3, 4, 3);
    earlierLayout->addWidget(m_earlierText, 1);
    earlierLayout->addWidget(m_goToEarlier, 0, Qt::AlignVCenter);
    m_earlierRow->hide();
    m_expiredText->hide();
    // Both notices on a pale amber ground, the expiry in dark red, so that
    // they are seen before the quantity is typed.
    for (QWidget *notice : {m_earlierRow, static_cast<QWidget *>(m_expiredText)}) {
        QPalette p = notice->palette();
        p.setColor(QPalette::Window, QColor(255, 243, 205));
        notice->setPalette(p);
        notice->setAutoFillBackground(true);
    }
    QPalette red = m_expiredText->palette();
    red.setColor(QPalette::WindowText, QColor(160, 0, 0));
    m_expiredText->setPalette(red);
    m_expiredText->setContentsMargins(4, 3, 4, 3);
    QFont bold = m_expiredText->font();
    bold.setBold(true);
    m_expiredText->setFont(bold);

    QLineEdit *drugName =
        m_fields->addLine(Field::DrugName, QStringLiteral("RzEditRNamePrep"), readOnly);
    QLineEdit *manufacturer =
        m_fields->addLine(Field::Manufacturer, QStringLiteral("RzEditRNameIzgot"), readOnly);
    QLineEdit *supplier =
        m_fields->addLine(Field::Supplier, QStringLiteral("RzEditRNamePost"), readOnly);
    QLineEdit *document =
        m_fields->addLine(Field::Document, QStringLiteral("RzEditRPrihodDoc"), readOnly);
    QLineEdit *series =
        m_fields->addLine(Field::Series, QStringLiteral("RzEditRSeriiaPrep"), readOnly);
    QLineEdit *unit = m_fields->addLine(Field::Unit, QStringLiteral("RzEditREdIzm"), readOnly);
    m_fields->addRow(QStringLiteral("Движение препарата:"), m_department, m_chooseDepartment);
    m_fields->addWide(m_expiredText);
    m_fields->addWide(m_earlierRow);
    m_fields->addRow(QStringLiteral("Израсходовано:"), m_issued);
    QLineEdit *quantity =
        m_fields->addLine(Field::Quantity, QStringLiteral("RzEditRKol"), readOnly);
    QLineEdit *price = m_fields->addLine(Field::Price, QStringLiteral("RzEditRCEdin"), readOnly);
    QDateEdit *receiptDate =
        m_fields->addDate(Field::ReceiptDate, QStringLiteral("RzDateTimeEditRDataPol"), readOnly);
    QDateEdit *expiry =
        m_fields->addDate(Field::Expiry, QStringLiteral("RzDateTimeEditRSrokGodn"), readOnly);
    ui::layOutForm(this, m_fields, m_save, m_close);
    ui::chainTabOrder({m_department, m_chooseDepartment, m_issued, m_save, m_close, drugName,
                       m_goToEarlier, manufacturer, supplier, document, series, unit, quantity,
                       price, receiptDate, expiry});

    connect(m_chooseDepartment, &QToolButton::clicked, this, &TFormRashod::RzBitBtn1Click);
    connect(m_issued, &QLineEdit::textChanged, this, &TFormRashod::RzEditRIzrashChange);
    connect(m_save, &QPushButton::clicked, this, &TFormRashod::RzBitBtnRSaveClick);
    connect(m_close, &QPushButton::clicked, this, &TFormRashod::RzBitBtnRCloseClick);
    connect(m_goToEarlier, &QPushButton::clicked, this, &TFormRashod::RzBitBtnRPereitiClick);

    setFixedSize(QSize(361, 300).expandedTo(sizeHint()));
}

void TFormRashod::setSelectionDialog(RefSelectDialog *departments)
{
    m_departments = departments;
}

TFormRashod::Result TFormRashod::issueFrom(qint32 recordId, const StockRecord &batch)
{
    m_recordId = recordId;
    m_batch = batch;
    m_result = {};
    m_fields->fill(m_batch);
    std::optional<ops::EarlierBatch> earlier;
    Messages::guard(
        this, [&] { earlier = ops::earlierBatch(m_dataDir, recordId, batch, Clock::today()); });
    showEarlier(earlier);
    exec();
    return std::exchange(m_result, {});
}

void TFormRashod::showEarlier(const std::optional<ops::EarlierBatch> &earlier)
{
    m_earlier = earlier;
    if (earlier) {
        const StockRecord &b = earlier->batch;
        // A batch without a series is named by its expiry alone.
        const QString series =
            b.Series.trimmed().isEmpty() ? QString() : QStringLiteral("серия %1, ").arg(b.Series);
        m_earlierText->setText(
            QStringLiteral("Есть партия с более ранним сроком годности: %1годна до %2, остаток %3")
                .arg(series, text::formatDate(b.ExpiryDate), text::formatNumber(b.Quantity)));
    }
    m_earlierRow->setVisible(bool(earlier));
    const bool expired = ops::expiryOn(m_batch.ExpiryDate, Clock::today()) == ops::Expiry::Expired;
    if (expired)
        m_expiredText->setText(QStringLiteral("Срок годности этой партии истёк %1.")
                                   .arg(text::formatDate(m_batch.ExpiryDate)));
    m_expiredText->setVisible(expired);
    // The dialog keeps its size without the line and grows by it when shown.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    layout()->activate();
    const int width = std::max(361, sizeHint().width());
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    setFixedSize(width, std::max(300, height));
}

void TFormRashod::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormRashod::FormShow()
{
    Messages::guard(this, [this] { m_departments->fillSelectionList(); });
    m_today->setDate(Clock::today());
    // The quantity is what is typed each time; the department has its list.
    m_issued->setFocus();
}

void TFormRashod::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFormRashod::FormClose()
{
    m_issued->clear();
    m_department->clear();
    m_save->setEnabled(false);
}

void TFormRashod::RzBitBtn1Click()
{
    if (const std::optional<RefChoice> department = m_departments->choose()) {
        m_department->setText(department->name);
        m_department->setCursorPosition(0);
    }
}

void TFormRashod::RzEditRIzrashChange()
{
    m_save->setEnabled(!m_issued->text().isEmpty());
}

void TFormRashod::RzBitBtnRSaveClick()
{
    const QString issued = m_issued->text();
    if (!ui::issueQuantityAccepted(this, m_batch, issued))
        return;
    if (ops::expiryOn(m_batch.ExpiryDate, m_today->date()) == ops::Expiry::Expired
        && !Messages::ask(this,
                          QStringLiteral("Срок годности этой партии истёк %1. Выдать всё равно?")
                              .arg(text::formatDate(m_batch.ExpiryDate))))
        return;
    const bool stored = Messages::guard(this, [&] {
        m_result.stored = ops::storeIssue(m_dataDir, m_recordId, m_batch, issued,
                                          m_department->text(), m_today->date());
    });
    if (stored)
        accept();
}

void TFormRashod::RzBitBtnRCloseClick()
{
    reject();
}

void TFormRashod::RzBitBtnRPereitiClick()
{
    if (!m_earlier)
        return;
    m_result.goTo = m_earlier->recordId;
    reject();
}
