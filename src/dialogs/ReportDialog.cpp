#include "ReportDialog.h"

#include "ReportLauncher.h"
#include "store/Clock.h"
#include "widgets/DateEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vedaris {

ReportDialog::ReportDialog(const QString &dataDir, const ReportProgress &progress, QWidget *parent,
                           const QString &objectName, const QString &caption,
                           reports::ReportKind kind)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint),
      m_dataDir(dataDir), m_progress(progress), m_kind(kind), m_fields(new QFormLayout)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_fields);
}

QDateEdit *ReportDialog::addDate(const QString &objectName)
{
    QDateEdit *edit = ui::dateEdit(this, objectName);
    edit->setDate(Clock::today());
    m_dates << edit;
    return edit;
}

void ReportDialog::finishLayout()
{
    auto *createButton = new QPushButton(QStringLiteral("Создать"), this);
    createButton->setObjectName(QStringLiteral("RzBitBtnCreate"));
    createButton->setDefault(true);
    auto *closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("RzBitBtnClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(createButton);
    buttons->addWidget(closeButton);
    static_cast<QVBoxLayout *>(layout())->addLayout(buttons);
    connect(createButton, &QPushButton::clicked, this, &ReportDialog::RzBitBtnCreateClick);
    connect(closeButton, &QPushButton::clicked, this, &ReportDialog::RzBitBtnCloseClick);

    // In effect a fixed size: only a few pixels of give.
    const QSize size = sizeHint();
    setMinimumSize(size);
    setMaximumSize(size + QSize(8, 5));
    resize(size);
    ui::fitCaption(this);
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

QString ReportDialog::refusal() const
{
    if (const ui::DateEdit *refused = ui::DateEdit::refusedIn(this))
        return refused->refusal();
    return {};
}

void ReportDialog::RzBitBtnCreateClick()
{
    if (const QString why = refusal(); !why.isEmpty()) {
        Messages::info(this, why);
        return;
    }
    produceReport(parentWidget(), m_dataDir, m_kind, params(), m_progress);
    close();
}

void ReportDialog::RzBitBtnCloseClick()
{
    close();
}

PeriodDialog::PeriodDialog(const QString &dataDir, const ReportProgress &progress, QWidget *parent,
                           const QString &objectName, const QString &caption,
                           reports::ReportKind kind)
    : ReportDialog(dataDir, progress, parent, objectName, caption, kind)
{
    m_start = addDate(QStringLiteral("RzDateTimeEditStart"));
    m_finish = addDate(QStringLiteral("RzDateTimeEditFinish"));
    fields()->addRow(QStringLiteral("Начальная дата:"), m_start);
    fields()->addRow(QStringLiteral("Конечная дата:"), m_finish);
}

QString PeriodDialog::refusal() const
{
    QString refused = ReportDialog::refusal();
    if (!refused.isEmpty())
        return refused;
    return m_finish->date() < m_start->date() ? FinishBeforeStart : QString();
}

reports::ReportParams PeriodDialog::params() const
{
    reports::ReportParams p;
    p.start = m_start->date();
    p.finish = m_finish->date();
    return p;
}

} // namespace vedaris
