#include "TFormHistory.h"

#include "ReportLauncher.h"
#include "store/Clock.h"
#include "store/Error.h"
#include "widgets/DateEdit.h"
#include "widgets/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace vedaris;

TFormHistory::TFormHistory(const QString &dataDir, QWidget *parent)
    : QDialog(parent), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(QStringLiteral("Журнал операций"));

    auto *filters = new QHBoxLayout;
    m_period = new QCheckBox(QStringLiteral("За период с"), this);
    m_period->setObjectName(QStringLiteral("CheckPeriod"));
    m_from = new ui::DateEdit(this);
    m_from->setObjectName(QStringLiteral("DateFrom"));
    m_to = new ui::DateEdit(this);
    m_to->setObjectName(QStringLiteral("DateTo"));
    const QDate today = Clock::today();
    m_from->setDate(today.addMonths(-1));
    m_to->setDate(today);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ComboKind"));
    m_kind->addItem(QStringLiteral("Все операции"), QString());
    for (const QString &k :
         {history::kind::Receipt, history::kind::Issue, history::kind::WriteOff,
          history::kind::Edit, history::kind::Delete, history::kind::ReferenceAdd,
          history::kind::ReferenceDelete, history::kind::Restore, history::kind::Undo})
        m_kind->addItem(k, k);
    m_drug = new QLineEdit(this);
    m_drug->setObjectName(QStringLiteral("EditDrug"));
    m_drug->setPlaceholderText(QStringLiteral("Препарат"));
    auto *show = new QPushButton(QStringLiteral("Показать"), this);
    show->setObjectName(QStringLiteral("BtnShow"));
    show->setAutoDefault(false);
    filters->addWidget(m_period);
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("по"), this));
    filters->addWidget(m_to);
    filters->addWidget(m_kind);
    filters->addWidget(m_drug, 1);
    filters->addWidget(show);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListEntries"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("№"), QStringLiteral("Дата и время"),
                             QStringLiteral("Операция"), QStringLiteral("Что сделано")});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 160);
    m_list->setColumnWidth(2, 170);

    m_changes = new QTreeWidget(this);
    m_changes->setObjectName(QStringLiteral("TreeChanges"));
    m_changes->setHeaderLabels(
        {QStringLiteral("Поле"), QStringLiteral("Было"), QStringLiteral("Стало")});
    m_changes->setColumnWidth(0, 260);
    m_changes->setColumnWidth(1, 250);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_list);
    split->addWidget(m_changes);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    m_more = new QPushButton(QStringLiteral("Показать ещё"), this);
    m_more->setObjectName(QStringLiteral("BtnMore"));
    m_more->setAutoDefault(false);
    auto *deletions = new QPushButton(QStringLiteral("Отчёт об удалениях за период..."), this);
    deletions->setObjectName(QStringLiteral("BtnDeletions"));
    deletions->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("BtnClose"));
    close->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_more);
    buttons->addStretch(1);
    buttons->addWidget(deletions);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(show, &QPushButton::clicked, this, &TFormHistory::BtnShowClick);
    connect(m_more, &QPushButton::clicked, this, &TFormHistory::BtnMoreClick);
    connect(deletions, &QPushButton::clicked, this, &TFormHistory::BtnDeletionsClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &TFormHistory::ListEntriesChange);
    connect(m_drug, &QLineEdit::returnPressed, this, &TFormHistory::BtnShowClick);
    // The next page comes when the list is scrolled to its end.
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_list->verticalScrollBar()->maximum() && m_next > 0)
            BtnMoreClick();
    });
    resize(960, 640);
}

TFormHistory::~TFormHistory() = default;

bool TFormHistory::load()
{
    return Messages::guard(this, [&] {
        m_reader = std::make_unique<history::Reader>(m_dataDir);
        m_filter = filter();
        m_list->clear();
        m_entries.clear();
        m_undone.clear();
        m_next = m_reader->soundEnd();
        readPage();
        if (m_list->topLevelItemCount() > 0)
            m_list->setCurrentItem(m_list->topLevelItem(0));
        else
            ListEntriesChange();
    });
}

ops::HistoryFilter TFormHistory::filter() const
{
    ops::HistoryFilter f;
    if (m_period->isChecked()) {
        f.from = m_from->date();
        f.to = m_to->date();
    }
    f.kind = m_kind->currentData().toString();
    f.drug = m_drug->text().trimmed();
    return f;
}

void TFormHistory::readPage()
{
    int added = 0;
    const qint64 end = m_next;
    m_next = 0;
    m_reader->newestFirst(
        [&](const history::Entry &e) {
            if (e.undoes >= 0)
                m_undone.insert(e.undoes);
            // Entries are in time order: nothing before the period's start matches.
            if (m_filter.from.isValid() && e.when.toLocalTime().date() < m_filter.from)
                return false;
            if (added == Page) {
                m_next = e.end;
                return false;
            }
            if (!m_filter.matches(e))
                return true;
            QString what = e.title();
            if (m_undone.contains(e.offset))
                what += QStringLiteral(" — отменена");
            auto *item = new QTreeWidgetItem(
                {QString::number(e.number),
                 e.when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")), e.kind,
                 what});
            item->setData(0, Qt::UserRole, qulonglong(m_entries.size()));
            m_entries.push_back(e);
            m_list->addTopLevelItem(item);
            ++added;
            return true;
        },
        end);
    m_more->setEnabled(m_next > 0);
}

void TFormHistory::BtnShowClick()
{
    if (m_period->isChecked() && m_from->date() > m_to->date()) {
        Messages::info(this, QStringLiteral("Начало периода позже его конца."));
        return;
    }
    load();
}

void TFormHistory::BtnDeletionsClick()
{
    if (m_from->date() > m_to->date()) {
        Messages::info(this, QStringLiteral("Начало периода позже его конца."));
        return;
    }
    reports::ReportParams params;
    params.start = m_from->date();
    params.finish = m_to->date();
    produceReport(this, m_dataDir, reports::ReportKind::Deletions, params, {});
}

void TFormHistory::BtnMoreClick()
{
    if (m_next <= 0 || !m_reader)
        return;
    Messages::guard(this, [&] { readPage(); });
}

void TFormHistory::ListEntriesChange()
{
    m_changes->clear();
    QTreeWidgetItem *current = m_list->currentItem();
    if (!current)
        return;
    const history::Entry &e = m_entries[current->data(0, Qt::UserRole).toULongLong()];
    for (const ops::RecordView &v : ops::recordViews(e)) {
        auto *top =
            new QTreeWidgetItem(m_changes, {QStringLiteral("%1 — %2").arg(v.what, v.change)});
        top->setFirstColumnSpanned(true);
        for (const ops::FieldChange &f : v.fields)
            new QTreeWidgetItem(top, {f.field, f.before, f.after});
        top->setExpanded(true);
    }
    if (e.records.empty())
        new QTreeWidgetItem(m_changes, {QStringLiteral("Записи не изменились")});
}
