#include "TFormRestore.h"

#include "store/Backup.h"
#include "widgets/Messages.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFormRestore::TFormRestore(const QString &dataDir, QWidget *parent)
    : QDialog(parent), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormRestore"));
    setWindowTitle(QStringLiteral("Восстановление из резервной копии"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Резервные копии (файлы данных сейчас будут сохранены\n"
                                  "как ещё одна копия сегодняшнего дня):"),
                   this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("RzListCopies"));
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("Восстановить"), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("RzBitBtnRestore"));
    QPushButton *close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("RzBitBtnRestoreClose"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, &TFormRestore::RzListCopiesChange);
    resize(360, 300);
}

QString TFormRestore::choose()
{
    m_list->clear();
    for (const vedaris::backup::DatedCopy &c : vedaris::backup::copies(m_dataDir)) {
        auto *item = new QListWidgetItem(
            c.damaged ? QStringLiteral("%1 — с повреждёнными записями").arg(c.name) : c.name,
            m_list);
        item->setData(Qt::UserRole, c.name);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    RzListCopiesChange();
    if (exec() != QDialog::Accepted || !m_list->currentItem())
        return {};
    return m_list->currentItem()->data(Qt::UserRole).toString();
}

void TFormRestore::RzListCopiesChange()
{
    m_restore->setEnabled(m_list->currentRow() >= 0);
}
