#include "ReportDialog.h"

#include "ReportLauncher.h"
#include "store/Clock.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vedaris {

ReportDialog::ReportDialog(Forms &forms, QWidget *parent, const QString &objectName, const QString &caption,
                           reports::ReportKind kind)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_forms(forms), m_kind(kind), m_fields(new QFormLayout)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_fields);
}

QDateEdit *ReportDialog::addDate(const QString &objectName)
{
    auto *edit = new QDateEdit(this);
    edit->setObjectName(objectName);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    edit->setDate(Clock::today());
    m_dates << edit;
    return edit;
}

void ReportDialog::finishLayout()
{
    RzBitBtnCreate = new QPushButton(QStringLiteral("Создать"), this);
    RzBitBtnCreate->setObjectName(QStringLiteral("RzBitBtnCreate"));
    RzBitBtnCreate->setDefault(true);
    RzBitBtnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    RzBitBtnClose->setObjectName(QStringLiteral("RzBitBtnClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(RzBitBtnCreate);
    buttons->addWidget(RzBitBtnClose);
    static_cast<QVBoxLayout *>(layout())->addLayout(buttons);
    connect(RzBitBtnCreate, &QPushButton::clicked, this, &ReportDialog::RzBitBtnCreateClick);
    connect(RzBitBtnClose, &QPushButton::clicked, this, &ReportDialog::RzBitBtnCloseClick);

    // In effect a fixed size: only a few pixels of give.
    const QSize size = sizeHint();
    setMinimumSize(size);
    setMaximumSize(size + QSize(8, 5));
    resize(size);
}

reports::ReportParams ReportDialog::params() const
{
    return {};
}

void ReportDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void ReportDialog::FormShow()
{
    for (QDateEdit *edit : m_dates)
        edit->setDate(Clock::today());
}

void ReportDialog::RzBitBtnCreateClick()
{
    produceReport(m_forms, m_kind, params());
    close();
}

void ReportDialog::RzBitBtnCloseClick()
{
    close();
}

PeriodDialog::PeriodDialog(Forms &forms, QWidget *parent, const QString &objectName, const QString &caption,
                           reports::ReportKind kind)
    : ReportDialog(forms, parent, objectName, caption, kind)
{
    RzDateTimeEditStart = addDate(QStringLiteral("RzDateTimeEditStart"));
    RzDateTimeEditFinish = addDate(QStringLiteral("RzDateTimeEditFinish"));
    fields()->addRow(QStringLiteral("Начальная дата:"), RzDateTimeEditStart);
    fields()->addRow(QStringLiteral("Конечная дата:"), RzDateTimeEditFinish);
}

reports::ReportParams PeriodDialog::params() const
{
    reports::ReportParams p;
    p.start = RzDateTimeEditStart->date();
    p.finish = RzDateTimeEditFinish->date();
    return p;
}

} // namespace vedaris
