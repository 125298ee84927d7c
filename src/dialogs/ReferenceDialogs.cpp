#include "ReferenceDialogs.h"

#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/SearchEdit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vedaris {

RefListDialog::RefListDialog(const QString &dataDir, RefKind kind, const QString &title,
                             const QVector<ListView::Column> &columns, QPushButton *action,
                             QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_entries(dataDir, kind), m_action(action)
{
    setWindowTitle(title);

    auto *search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Поиск\nзаписи:"), this));
    m_search = new SearchEdit(this);
    m_search->setObjectName(QStringLiteral("RzEdit1"));
    search->addWidget(m_search, 1);
    connect(m_search, &SearchEdit::keyReleased, this, &RefListDialog::RzEdit1KeyUp);

    m_list = new ListView(this);
    m_list->setObjectName(QStringLiteral("RzListView1"));
    m_list->setColumns(columns);
    // Two lines, as the drug-name lists need, so that all eight look alike.
    m_list->setMinimumCaptionLines(2);

    action->setParent(this);
    action->setEnabled(false);
    // Enter in the search box must not delete or choose anything.
    action->setAutoDefault(false);
    QPushButton *cancel = ui::closeButton(this, QStringLiteral("RzBitBtnCancel"));
    connect(cancel, &QPushButton::clicked, this, &RefListDialog::RzBitBtnCancelClick);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(search);
    layout->addWidget(m_list, 1);
    layout->addLayout(ui::buttonRow({action, cancel}));
    // A little wider than the old 306 pixels so that the 300-pixel columns fit.
    setFixedSize(QSize(326, 230).expandedTo(sizeHint()));
    ui::fitCaption(this);
}

void RefListDialog::RzEdit1KeyUp()
{
    m_list->searchCaption(m_search->text());
}

void RefListDialog::RzBitBtnCancelClick()
{
    reject();
}

RefSelectDialog::RefSelectDialog(const QString &dataDir, RefKind kind, const QString &title,
                                 const QVector<ListView::Column> &columns, QWidget *parent)
    : RefListDialog(dataDir, kind, title, columns, new QPushButton(QStringLiteral("Выбрать")),
                    parent)
{
    m_action->setObjectName(QStringLiteral("RzBitBtnSel"));
    connect(m_action, &QPushButton::clicked, this, &RefSelectDialog::RzBitBtnSelClick);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &RefSelectDialog::RzBitBtnSelClick);
    // Enter in the list or the search box chooses the selected row.
    m_list->installEventFilter(this);
    m_search->installEventFilter(this);
}

bool RefSelectDialog::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_list || watched == m_search) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RzBitBtnSelClick();
            return true;
        }
    }
    return RefListDialog::eventFilter(watched, event);
}

void RefSelectDialog::fillSelectionList()
{
    QVector<QStringList> rows;
    for (const RefRow &r : m_entries.liveRows())
        rows.append(isDrugList() ? QStringList{r.name, r.unit} : QStringList{r.name});
    m_list->setRows(rows);
}

std::optional<RefChoice> RefSelectDialog::choose()
{
    m_chosen.reset();
    exec();
    return std::exchange(m_chosen, std::nullopt);
}

void RefSelectDialog::showEvent(QShowEvent *event)
{
    RefListDialog::showEvent(event);
    FormShow();
}

void RefSelectDialog::FormShow()
{
    m_search->setFocus();
    const bool any = m_list->rowCount() > 0;
    if (any)
        m_list->setSelectedRow(0);
    m_action->setEnabled(any);
}

void RefSelectDialog::RzBitBtnSelClick()
{
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    const QStringList cells = m_list->cells(row);
    m_chosen = RefChoice{cells.value(0), cells.value(1)};
    accept();
}

RefDeleteDialog::RefDeleteDialog(const QString &dataDir, RefKind kind, const QString &title,
                                 const QVector<ListView::Column> &columns, QWidget *parent)
    : RefListDialog(dataDir, kind, title, columns, new QPushButton(QStringLiteral("Удалить")),
                    parent)
{
    m_action->setObjectName(QStringLiteral("RzBitBtnDel"));
    connect(m_action, &QPushButton::clicked, this, &RefDeleteDialog::RzBitBtnDelClick);
}

void RefDeleteDialog::fillDeletionList()
{
    QVector<QStringList> rows;
    for (const RefRow &r : m_entries.liveRows()) {
        const QString id = QString::number(r.entryId);
        rows.append(isDrugList() ? QStringList{r.name, r.unit, id, QString()}
                                 : QStringList{r.name, id, QString()});
    }
    m_list->setRows(rows);
}

void RefDeleteDialog::showEvent(QShowEvent *event)
{
    RefListDialog::showEvent(event);
    FormShow();
}

void RefDeleteDialog::FormShow()
{
    Messages::guard(this, [this] { fillDeletionList(); });
    m_action->setEnabled(m_list->rowCount() > 0);
    m_search->setFocus();
}

void RefDeleteDialog::RzBitBtnDelClick()
{
    const int row = m_list->selectedRow();
    if (row >= 0) {
        const QStringList cells = m_list->cells(row);
        const qint32 entryId = cells.value(cells.size() - 2).toInt();
        // The row leaves the list only once the mark is written, so a failed
        // write leaves the list showing what the file holds.
        if (Messages::guard(this, [&] { m_entries.remove(entryId); })) {
            m_list->removeRowAt(row);
            if (m_list->rowCount() > 0) {
                const QModelIndex focused = m_list->currentIndex();
                m_list->setSelectedRow(focused.isValid() ? focused.row() : 0);
            }
        }
        m_search->setFocus();
    }
    m_action->setEnabled(m_list->rowCount() > 0);
}

RefNewDialog::RefNewDialog(const QString &dataDir, RefKind kind, const QString &title,
                           const QString &label, const char *fieldName, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_entries(dataDir, kind)
{
    setWindowTitle(title);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QString::fromLatin1(fieldName));

    m_save = new QPushButton(QStringLiteral("Сохранить"), this);
    m_save->setObjectName(QStringLiteral("RzBitBtnSave"));
    m_save->setEnabled(false);
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &RefNewDialog::RzBitBtnSaveClick);
    m_close = ui::closeButton(this, QStringLiteral("RzBitBtnClose"));
    connect(m_close, &QPushButton::clicked, this, &RefNewDialog::RzBitBtnCloseClick);

    m_grid = new QGridLayout;
    addRow(label, m_name);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_grid);
    layout->addStretch();
    layout->addLayout(ui::buttonRow({m_save, m_close}));
}

void RefNewDialog::addRow(const QString &label, QWidget *field)
{
    const int row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(label, this), row, 0);
    m_grid->addWidget(field, row, 1);
}

void RefNewDialog::fixSize(QSize client)
{
    setFixedSize(client.expandedTo(sizeHint()));
    ui::fitCaption(this);
}

void RefNewDialog::nameChanged()
{
    m_save->setEnabled(!m_name->text().isEmpty());
}

void RefNewDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_name->clear();
    m_name->setFocus();
}

void RefNewDialog::RzBitBtnSaveClick()
{
    const QString name = m_name->text();
    if (name.isEmpty())
        return;
    Messages::guard(this, [&] {
        if (m_entries.add(name, unitText()) == ReferenceList::AddResult::Duplicate)
            Messages::info(this, QStringLiteral("Такая запись уже существует!"));
        else
            accept();
    });
}

void RefNewDialog::RzBitBtnCloseClick()
{
    reject();
}

} // namespace vedaris
