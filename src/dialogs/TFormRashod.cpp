#include "TFormRashod.h"

#include "TFormSelMove.h"
#include "app/Forms.h"
#include "app/TFormGl.h"
#include "operations/StockOperations.h"
#include "store/Clock.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

using namespace vedaris;

TFormRashod::TFormRashod(Forms &forms, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_forms(forms)
{
    setObjectName(QStringLiteral("FormRashod"));
    setWindowTitle(QStringLiteral("Расход"));

    auto readOnly = [this](const char *name) {
        QLineEdit *e = ui::lineEdit(this, QString::fromLatin1(name));
        ui::makeReadOnly(e);
        return e;
    };
    auto readOnlyDate = [this](const char *name) {
        QDateEdit *e = ui::dateEdit(this, QString::fromLatin1(name));
        ui::makeReadOnly(e);
        return e;
    };
    RzEditRNamePrep = readOnly("RzEditRNamePrep");
    RzEditRNameIzgot = readOnly("RzEditRNameIzgot");
    RzEditRNamePost = readOnly("RzEditRNamePost");
    RzEditRPrihodDoc = readOnly("RzEditRPrihodDoc");
    RzEditRSeriiaPrep = readOnly("RzEditRSeriiaPrep");
    RzEditREdIzm = readOnly("RzEditREdIzm");
    // Read-only too, but white: it is the field the user fills by choosing.
    RzButtonEditRMove = ui::lineEdit(this, QStringLiteral("RzButtonEditRMove"));
    RzButtonEditRMove->setReadOnly(true);
    RzBitBtn1 = ui::chooseButton(this, QStringLiteral("RzBitBtn1"));
    RzEditRIzrash = ui::lineEdit(this, QStringLiteral("RzEditRIzrash"));
    NumberFilter::install(RzEditRIzrash);
    RzEditRKol = readOnly("RzEditRKol");
    RzEditRCEdin = readOnly("RzEditRCEdin");
    RzDateTimeEditRDataPol = readOnlyDate("RzDateTimeEditRDataPol");
    RzDateTimeEditRSrokGodn = readOnlyDate("RzDateTimeEditRSrokGodn");
    RzDateTimeEditNow = ui::dateEdit(this, QStringLiteral("RzDateTimeEditNow"));
    RzDateTimeEditNow->hide();
    RzBitBtnRSave = ui::saveButton(this, QStringLiteral("RzBitBtnRSave"));
    RzBitBtnRClose = ui::closeButton(this, QStringLiteral("RzBitBtnRClose"));

    QGridLayout *grid = ui::formGrid();
    ui::addRow(grid, QStringLiteral("Наименов. препарата:"), RzEditRNamePrep);
    ui::addRow(grid, QStringLiteral("Фирма-изготовитель:"), RzEditRNameIzgot);
    ui::addRow(grid, QStringLiteral("Фирма-поставщик:"), RzEditRNamePost);
    ui::addRow(grid, QStringLiteral("Приходной документ:"), RzEditRPrihodDoc);
    ui::addRow(grid, QStringLiteral("Серия препарата:"), RzEditRSeriiaPrep);
    ui::addRow(grid, QStringLiteral("Единица измерения:"), RzEditREdIzm);
    ui::addRow(grid, QStringLiteral("Движение препарата:"), RzButtonEditRMove, RzBitBtn1);
    ui::addRow(grid, QStringLiteral("Израсходовано:"), RzEditRIzrash);
    ui::addRow(grid, QStringLiteral("Количество:"), RzEditRKol);
    ui::addRow(grid, QStringLiteral("Цена за единицу:"), RzEditRCEdin);
    ui::addRow(grid, QStringLiteral("Дата получения:"), RzDateTimeEditRDataPol);
    ui::addRow(grid, QStringLiteral("Срок годности:"), RzDateTimeEditRSrokGodn);
    ui::layOutForm(this, grid, RzBitBtnRSave, RzBitBtnRClose);
    ui::chainTabOrder({RzButtonEditRMove, RzBitBtn1, RzEditRIzrash, RzBitBtnRSave, RzBitBtnRClose,
                       RzEditRNamePrep, RzEditRNameIzgot, RzEditRNamePost, RzEditRPrihodDoc,
                       RzEditRSeriiaPrep, RzEditREdIzm, RzEditRKol, RzEditRCEdin,
                       RzDateTimeEditRDataPol, RzDateTimeEditRSrokGodn});

    connect(RzBitBtn1, &QToolButton::clicked, this, &TFormRashod::RzBitBtn1Click);
    connect(RzEditRIzrash, &QLineEdit::textChanged, this, &TFormRashod::RzEditRIzrashChange);
    connect(RzBitBtnRSave, &QPushButton::clicked, this, &TFormRashod::RzBitBtnRSaveClick);
    connect(RzBitBtnRClose, &QPushButton::clicked, this, &TFormRashod::RzBitBtnRCloseClick);

    setFixedSize(QSize(361, 300).expandedTo(sizeHint()));
}

void TFormRashod::startIssue()
{
    const std::optional<qint32> id = m_forms.FormGl->selectedRecordId();
    if (!id) {
        Messages::info(m_forms.FormGl, QStringLiteral("Вы не выбрали запись для изменения расхода!"));
        return;
    }
    m_batch = ops::readBatch(m_forms.dataDir(), *id);
    m_recordId = *id;
    m_row = m_forms.FormGl->selectedRow();
    fill(m_batch);
    exec();
}

void TFormRashod::fill(const StockRecord &r)
{
    RzEditRNamePrep->setText(r.DrugName);
    RzEditRNameIzgot->setText(r.Manufacturer);
    RzEditRNamePost->setText(r.Supplier);
    RzEditRPrihodDoc->setText(r.ReceiptDocument);
    RzEditRSeriiaPrep->setText(r.Series);
    RzEditREdIzm->setText(r.Unit);
    RzEditRKol->setText(text::formatNumber(r.Quantity));
    RzEditRCEdin->setText(text::formatNumber(r.UnitPrice));
    RzDateTimeEditRDataPol->setDate(text::serialToDate(r.ReceiptDate));
    RzDateTimeEditRSrokGodn->setDate(text::serialToDate(r.ExpiryDate));
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

void TFormRashod::setDepartment(const QString &name)
{
    RzButtonEditRMove->setText(name);
    RzButtonEditRMove->setCursorPosition(0);
}

void TFormRashod::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormRashod::FormShow()
{
    Messages::guard(this, [this] { m_forms.FormSelMove->fillSelectionList(); });
    RzDateTimeEditNow->setDate(Clock::today());
    RzButtonEditRMove->setFocus();
}

void TFormRashod::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFormRashod::FormClose()
{
    RzEditRIzrash->clear();
    RzButtonEditRMove->clear();
    RzBitBtnRSave->setEnabled(false);
}

void TFormRashod::RzBitBtn1Click()
{
    m_forms.FormSelMove->exec();
}

void TFormRashod::RzEditRIzrashChange()
{
    RzBitBtnRSave->setEnabled(!RzEditRIzrash->text().isEmpty());
}

void TFormRashod::RzBitBtnRSaveClick()
{
    const QString issued = RzEditRIzrash->text();
    ops::IssueVerdict verdict = ops::IssueVerdict::Empty;
    if (!Messages::guard(this, [&] { verdict = ops::checkIssue(m_batch, issued); }))
        return;
    if (verdict == ops::IssueVerdict::Empty) {
        Messages::info(this, QStringLiteral("Вы не заполнили поле \"Расход\"!"));
        return;
    }
    if (verdict == ops::IssueVerdict::OutOfRange) {
        Messages::info(this, QStringLiteral("Введённое значение превышает количество, либо оно равно нулю!"));
        return;
    }
    const bool stored = Messages::guard(this, [&] {
        const auto result = ops::storeIssue(m_forms.dataDir(), m_recordId, m_batch, issued,
                                            RzButtonEditRMove->text(), RzDateTimeEditNow->date());
        m_forms.FormGl->replaceStockRow(m_row, result.cells);
    });
    if (stored)
        accept();
}

void TFormRashod::RzBitBtnRCloseClick()
{
    reject();
}
