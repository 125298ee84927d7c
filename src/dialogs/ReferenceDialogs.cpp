#include "ReferenceDialogs.h"

#include "app/Forms.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vedaris {

RefListDialog::RefListDialog(Forms &forms, RefKind kind, const QString &title,
                             const QVector<ListView::Column> &columns, QPushButton *action,
                             QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_forms(forms), m_list(forms.dataDir(), kind), m_action(action)
{
    setWindowTitle(title);

    auto *search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Поиск\nзаписи:"), this));
    RzEdit1 = new SearchEdit(this);
    RzEdit1->setObjectName(QStringLiteral("RzEdit1"));
    search->addWidget(RzEdit1, 1);
    connect(RzEdit1, &SearchEdit::keyReleased, this, &RefListDialog::RzEdit1KeyUp);

    RzListView1 = new ListView(this);
    RzListView1->setObjectName(QStringLiteral("RzListView1"));
    RzListView1->setColumns(columns);

    action->setParent(this);
    action->setEnabled(false);
    // Enter in the search box must not delete or choose anything.
    action->setAutoDefault(false);
    RzBitBtnCancel = ui::closeButton(this, QStringLiteral("RzBitBtnCancel"));
    connect(RzBitBtnCancel, &QPushButton::clicked, this, &RefListDialog::RzBitBtnCancelClick);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(search);
    layout->addWidget(RzListView1, 1);
    layout->addLayout(ui::buttonRow({action, RzBitBtnCancel}));
    // A little wider than the old 306 pixels so that the 300-pixel columns fit.
    setFixedSize(QSize(326, 230).expandedTo(sizeHint()));
}

void RefListDialog::RzEdit1KeyUp()
{
    RzListView1->searchCaption(RzEdit1->text());
}

void RefListDialog::RzBitBtnCancelClick()
{
    reject();
}

RefSelectDialog::RefSelectDialog(Forms &forms, RefKind kind, const QString &title,
                                 const QVector<ListView::Column> &columns, QWidget *parent)
    : RefListDialog(forms, kind, title, columns, new QPushButton(QStringLiteral("Выбрать")), parent)
{
    RzBitBtnSel = m_action;
    RzBitBtnSel->setObjectName(QStringLiteral("RzBitBtnSel"));
    connect(RzBitBtnSel, &QPushButton::clicked, this, &RefSelectDialog::RzBitBtnSelClick);
    connect(RzListView1, &QAbstractItemView::doubleClicked, this, &RefSelectDialog::RzBitBtnSelClick);
}

void RefSelectDialog::fillSelectionList()
{
    QVector<QStringList> rows;
    for (const RefRow &r : m_list.liveRows())
        rows.append(isDrugList() ? QStringList{r.name, r.unit} : QStringList{r.name});
    RzListView1->setRows(std::move(rows));
}

void RefSelectDialog::showEvent(QShowEvent *event)
{
    RefListDialog::showEvent(event);
    FormShow();
}

void RefSelectDialog::FormShow()
{
    RzEdit1->setFocus();
    const bool any = RzListView1->rowCount() > 0;
    if (any)
        RzListView1->setSelectedRow(0);
    RzBitBtnSel->setEnabled(any);
}

void RefSelectDialog::RzBitBtnSelClick()
{
    const int row = RzListView1->selectedRow();
    if (row < 0)
        return;
    writeSelection(RzListView1->cells(row));
    accept();
}

RefDeleteDialog::RefDeleteDialog(Forms &forms, RefKind kind, const QString &title,
                                 const QVector<ListView::Column> &columns, QWidget *parent)
    : RefListDialog(forms, kind, title, columns, new QPushButton(QStringLiteral("Удалить")), parent)
{
    RzBitBtnDel = m_action;
    RzBitBtnDel->setObjectName(QStringLiteral("RzBitBtnDel"));
    connect(RzBitBtnDel, &QPushButton::clicked, this, &RefDeleteDialog::RzBitBtnDelClick);
}

void RefDeleteDialog::fillDeletionList()
{
    QVector<QStringList> rows;
    for (const RefRow &r : m_list.liveRows()) {
        const QString id = QString::number(r.entryId);
        rows.append(isDrugList() ? QStringList{r.name, r.unit, id, QString()}
                                 : QStringList{r.name, id, QString()});
    }
    RzListView1->setRows(std::move(rows));
}

void RefDeleteDialog::showEvent(QShowEvent *event)
{
    RefListDialog::showEvent(event);
    FormShow();
}

void RefDeleteDialog::FormShow()
{
    Messages::guard(this, [this] { fillDeletionList(); });
    RzBitBtnDel->setEnabled(RzListView1->rowCount() > 0);
    RzEdit1->setFocus();
}

void RefDeleteDialog::RzBitBtnDelClick()
{
    const int row = RzListView1->selectedRow();
    if (row >= 0) {
        const QStringList cells = RzListView1->cells(row);
        const qint32 entryId = cells.value(cells.size() - 2).toInt();
        // The row leaves the list only once the mark is written, so a failed
        // write leaves the list showing what the file holds.
        if (Messages::guard(this, [&] { m_list.remove(entryId); })) {
            RzListView1->removeRowAt(row);
            if (RzListView1->rowCount() > 0) {
                const QModelIndex focused = RzListView1->currentIndex();
                RzListView1->setSelectedRow(focused.isValid() ? focused.row() : 0);
            }
        }
        RzEdit1->setFocus();
    }
    RzBitBtnDel->setEnabled(RzListView1->rowCount() > 0);
}

RefNewDialog::RefNewDialog(Forms &forms, RefKind kind, const QString &title, const QString &label,
                           const char *fieldName, QWidget *parent)
    : QDialog(parent, ui::dialogFlags), m_forms(forms), m_list(forms.dataDir(), kind)
{
    setWindowTitle(title);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QString::fromLatin1(fieldName));

    RzBitBtnSave = new QPushButton(QStringLiteral("Сохранить"), this);
    RzBitBtnSave->setObjectName(QStringLiteral("RzBitBtnSave"));
    RzBitBtnSave->setEnabled(false);
    RzBitBtnSave->setDefault(true);
    connect(RzBitBtnSave, &QPushButton::clicked, this, &RefNewDialog::RzBitBtnSaveClick);
    RzBitBtnClose = ui::closeButton(this, QStringLiteral("RzBitBtnClose"));
    connect(RzBitBtnClose, &QPushButton::clicked, this, &RefNewDialog::RzBitBtnCloseClick);

    m_grid = new QGridLayout;
    addRow(label, m_name);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_grid);
    layout->addStretch();
    layout->addLayout(ui::buttonRow({RzBitBtnSave, RzBitBtnClose}));
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
}

void RefNewDialog::nameChanged()
{
    RzBitBtnSave->setEnabled(!m_name->text().isEmpty());
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
        if (m_list.add(name, unitText()) == ReferenceList::AddResult::Duplicate)
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
