#include "TFormDelZap.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "operations/StockOperations.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormDelZap::TFormDelZap(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent, vedaris::ui::dialogFlags), m_forms(forms)
{
    setObjectName(QStringLiteral("FormDelZap"));
    setWindowTitle(QStringLiteral("Удаление записи"));

    RzLabel1 = new QLabel(QStringLiteral("Удалить запись?"), this);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));
    RzLabel1->setAlignment(Qt::AlignCenter);
    QFont font = RzLabel1->font();
    font.setBold(true);
    font.setPointSize(12);
    RzLabel1->setFont(font);
    QPalette red = RzLabel1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    RzLabel1->setPalette(red);

    RzBitBtnDel = new QPushButton(QStringLiteral("Да"), this);
    RzBitBtnDel->setObjectName(QStringLiteral("RzBitBtnDel"));
    RzBitBtnCancel = new QPushButton(QStringLiteral("Нет"), this);
    RzBitBtnCancel->setObjectName(QStringLiteral("RzBitBtnCancel"));
    // Enter answers the button with the focus, "Нет" unless the user moved it.
    RzBitBtnDel->setAutoDefault(true);
    RzBitBtnCancel->setAutoDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(RzBitBtnDel);
    buttons->addStretch();
    buttons->addWidget(RzBitBtnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RzLabel1, 1);
    layout->addLayout(buttons);

    connect(RzBitBtnDel, &QPushButton::clicked, this, &TFormDelZap::RzBitBtnDelClick);
    connect(RzBitBtnCancel, &QPushButton::clicked, this, &TFormDelZap::RzBitBtnCancelClick);
    setFixedSize(QSize(202, 86).expandedTo(sizeHint()));
}

void TFormDelZap::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    RzBitBtnCancel->setDefault(true);
    RzBitBtnCancel->setFocus();
}

void TFormDelZap::RzBitBtnDelClick()
{
    const bool deleted = vedaris::Messages::guard(this, [this] {
        const std::optional<qint32> id = m_forms.FormGl->selectedRecordId();
        if (!id)
            return;
        vedaris::ops::deleteBatch(m_forms.dataDir(), *id);
        m_forms.FormGl->removeSelectedStockRow();
    });
    // After a failure the question stays, so the user can try again or say no.
    if (deleted)
        accept();
}

void TFormDelZap::RzBitBtnCancelClick()
{
    reject();
}
