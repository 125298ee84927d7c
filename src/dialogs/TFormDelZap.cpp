#include "TFormDelZap.h"

#include "operations/StockOperations.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormDelZap::TFormDelZap(const QString &dataDir, QWidget *parent)
    : QDialog(parent, vedaris::ui::dialogFlags), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormDelZap"));
    setWindowTitle(QStringLiteral("Удаление записи"));

    auto *question = new QLabel(QStringLiteral("Удалить запись?"), this);
    question->setObjectName(QStringLiteral("RzLabel1"));
    question->setAlignment(Qt::AlignCenter);
    QFont font = question->font();
    font.setBold(true);
    font.setPointSize(12);
    question->setFont(font);
    QPalette red = question->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    question->setPalette(red);

    auto *yes = new QPushButton(QStringLiteral("Да"), this);
    yes->setObjectName(QStringLiteral("RzBitBtnDel"));
    m_cancel = new QPushButton(QStringLiteral("Нет"), this);
    m_cancel->setObjectName(QStringLiteral("RzBitBtnCancel"));
    // Enter answers the button with the focus, "Нет" unless the user moved it.
    yes->setAutoDefault(true);
    m_cancel->setAutoDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(yes);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question, 1);
    layout->addLayout(buttons);

    connect(yes, &QPushButton::clicked, this, &TFormDelZap::RzBitBtnDelClick);
    connect(m_cancel, &QPushButton::clicked, this, &TFormDelZap::RzBitBtnCancelClick);
    setFixedSize(QSize(202, 86).expandedTo(sizeHint()));
    vedaris::ui::fitCaption(this);
}

void TFormDelZap::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_cancel->setDefault(true);
    m_cancel->setFocus();
}

bool TFormDelZap::deleteBatch(qint32 recordId)
{
    m_recordId = recordId;
    return exec() == QDialog::Accepted;
}

void TFormDelZap::RzBitBtnDelClick()
{
    const bool deleted = vedaris::Messages::guard(
        this, [this] { vedaris::ops::deleteBatch(m_dataDir, m_recordId); });
    // After a failure the question stays, so the user can try again or say no.
    if (deleted)
        accept();
}

void TFormDelZap::RzBitBtnCancelClick()
{
    reject();
}
