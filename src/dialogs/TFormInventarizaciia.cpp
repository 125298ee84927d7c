#include "TFormInventarizaciia.h"

#include "ReportLauncher.h"
#include "reports/StocktakeForms.h"
#include "store/Clock.h"
#include "store/CountFile.h"
#include "store/Error.h"
#include "store/TextFormats.h"
#include "widgets/DialogParts.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"
#include "widgets/SearchEdit.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QColor>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using namespace vedaris;

namespace vedaris {

namespace {

enum Col {
    Name,
    Unit,
    Series,
    Expiry,
    Price,
    Book,
    Counted,
    Difference,
    DifferenceSum,
    ColumnCount
};

const char *const Headers[] = {"Наименование",    "Ед. изм.",   "Серия",   "Срок годности", "Цена",
                               "По данным учёта", "Фактически", "Разница", "Сумма разницы"};

// In the table Enter takes the count and Escape drops it, as in any table:
// the view's own handling sees the key first, this keeps it from the number
// filter, which refuses both keys in the dialogs' fields.
class TableKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    }
};

// The counted quantity is typed as every quantity of the program is.
class CountDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("RzEditIFakt"));
        NumberFilter::install(edit);
        edit->installEventFilter(new TableKeys(edit));
        return edit;
    }
};

} // namespace

// The rows of the window, all or those with a difference, over the window's lines.
class CountModel : public QAbstractTableModel
{
public:
    CountModel(std::vector<ops::CountRow> &rows, QObject *parent)
        : QAbstractTableModel(parent), m_rows(rows)
    { }

    std::function<bool(int line, const QString &typed)> onCounted;
    bool editable = true;

    void show(bool onlyDifferences)
    {
        beginResetModel();
        m_visible.clear();
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (!onlyDifferences || m_rows[i].difference() != 0)
                m_visible.push_back(int(i));
        endResetModel();
    }
    int line(int row) const { return m_visible[size_t(row)]; }
    int rowOf(int line) const
    {
        const auto it = std::lower_bound(m_visible.begin(), m_visible.end(), line);
        return it != m_visible.end() && *it == line ? int(it - m_visible.begin()) : -1;
    }
    void lineChanged(int line)
    {
        if (const int row = rowOf(line); row >= 0)
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_visible.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return QString::fromUtf8(Headers[section]);
        return QAbstractTableModel::headerData(section, o, role);
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (editable && index.column() == Counted)
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const ops::CountRow &r = m_rows[size_t(line(index.row()))];
        if (role == Qt::TextAlignmentRole)
            return index.column() >= Price ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
        if (role == Qt::EditRole && index.column() == Counted)
            return r.counted;
        // The column to fill stands out while the count is open.
        if (role == Qt::BackgroundRole && index.column() == Counted && editable)
            return QColor(255, 255, 224);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case Name:
            return r.book.batch.DrugName;
        case Unit:
            return r.book.batch.Unit;
        case Series:
            return r.book.batch.Series;
        case Expiry:
            return text::formatDate(r.book.batch.ExpiryDate);
        case Price:
            return text::formatNumber(r.book.batch.UnitPrice);
        case Book:
            return text::formatNumber(r.book.quantity);
        case Counted:
            return r.counted;
        case Difference:
            return r.hasCount() ? text::formatNumber(r.difference()) : QString();
        case DifferenceSum:
            return r.hasCount() ? text::formatNumber(r.differenceSum()) : QString();
        }
        return {};
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || index.column() != Counted || !onCounted)
            return false;
        return onCounted(line(index.row()), value.toString());
    }

private:
    std::vector<ops::CountRow> &m_rows;
    std::vector<int> m_visible;
};

} // namespace vedaris

TFormInventarizaciia::TFormInventarizaciia(const QString &dataDir, QWidget *parent)
    : QDialog(parent, ui::dialogFlags | Qt::WindowMaximizeButtonHint), m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("FormInventarizaciia"));
    setWindowTitle(QStringLiteral("Инвентаризация"));

    m_dateEdit = ui::dateEdit(this, QStringLiteral("RzDateTimeEditIData"));
    m_search = new SearchEdit(this);
    m_search->setObjectName(QStringLiteral("RzEditSearch"));
    m_search->setFixedWidth(171);
    m_onlyDifferences = new QCheckBox(QStringLiteral("Только строки с расхождением"), this);
    m_onlyDifferences->setObjectName(QStringLiteral("RzCheckBoxRaznica"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("RzLabelSostoianie"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("RzListViewInv"));
    m_model = new CountModel(m_rows, this);
    m_model->onCounted = [this](int line, const QString &typed) {
        const QString before = m_rows[size_t(line)].counted;
        if (typed == before) {
            moveOn(line); // left as it was: nothing to save
            return true;
        }
        m_rows[size_t(line)].counted = typed;
        try {
            (void)m_rows[size_t(line)].difference();
        } catch (const Error &) {
            m_rows[size_t(line)].counted = before;
            Messages::info(this, NumberFilter::refusal());
            return false;
        }
        counted(line);
        return true;
    };
    m_table->setModel(m_model);
    m_table->setItemDelegateForColumn(Counted, new CountDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed
                             | QAbstractItemView::SelectedClicked);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    const int widths[] = {250, 60, 90, 105, 80, 125, 95, 75, 120};
    for (int c = 0; c < ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c]);
    // The name takes what the window's width leaves.
    m_table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);

    m_blind = new QCheckBox(QStringLiteral("без данных учёта"), this);
    m_blind->setObjectName(QStringLiteral("RzCheckBoxSlepaia"));
    m_totals = new QLabel(this);
    m_totals->setObjectName(QStringLiteral("RzLabelItog"));
    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_new = button("RzBitBtnNew", QStringLiteral("Новая инвентаризация"));
    m_sheet = button("RzBitBtnOpis", QStringLiteral("Опись..."));
    m_discrepancies = button("RzBitBtnVedomost", QStringLiteral("Ведомость расхождений..."));
    m_post = button("RzBitBtnProvesti", QStringLiteral("Провести"));
    m_close = button("RzBitBtnClose", QStringLiteral("Закрыть"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Дата:"), this));
    top->addWidget(m_dateEdit);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Поиск записи:"), this));
    top->addWidget(m_search);
    top->addSpacing(12);
    top->addWidget(m_onlyDifferences);
    top->addStretch();
    top->addWidget(m_state);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_new);
    bottom->addWidget(m_sheet);
    bottom->addWidget(m_blind);
    bottom->addWidget(m_discrepancies);
    bottom->addStretch();
    bottom->addWidget(m_post);
    bottom->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_totals);
    layout->addLayout(bottom);
    resize(1020, 600);

    connect(m_dateEdit, &QDateEdit::dateChanged, this,
            &TFormInventarizaciia::RzDateTimeEditIDataChange);
    connect(m_search, &SearchEdit::keyReleased, this, &TFormInventarizaciia::RzEditSearchKeyUp);
    connect(m_onlyDifferences, &QCheckBox::clicked, this,
            &TFormInventarizaciia::RzCheckBoxRaznicaClick);
    connect(m_new, &QPushButton::clicked, this, &TFormInventarizaciia::RzBitBtnNewClick);
    connect(m_sheet, &QPushButton::clicked, this, &TFormInventarizaciia::RzBitBtnOpisClick);
    connect(m_discrepancies, &QPushButton::clicked, this,
            &TFormInventarizaciia::RzBitBtnVedomostClick);
    connect(m_post, &QPushButton::clicked, this, &TFormInventarizaciia::RzBitBtnProvestiClick);
    connect(m_close, &QPushButton::clicked, this, &TFormInventarizaciia::RzBitBtnCloseClick);
}

TFormInventarizaciia::~TFormInventarizaciia() = default;

bool TFormInventarizaciia::load()
{
    m_postedNow = false;
    std::optional<count::Count> c;
    const bool read = Messages::guard(this, [&] { c = count::read(m_dataDir); });
    if (!read)
        return false;
    m_draft = c.has_value();
    m_posted = c && c->posted;
    m_date = c ? c->date : Clock::today();
    const count::Count shown = c ? *c : count::Count{m_date, false, {}};
    const bool loaded = Messages::guard(this, [&] { m_rows = ops::countRows(m_dataDir, shown); });
    {
        const QSignalBlocker block(m_dateEdit);
        m_dateEdit->setDate(m_date);
    }
    setState();
    showRows();
    return loaded;
}

bool TFormInventarizaciia::runCount()
{
    if (!load())
        return false;
    m_table->setFocus();
    exec();
    return m_postedNow;
}

void TFormInventarizaciia::setState()
{
    const bool editable = !m_posted;
    m_model->editable = editable;
    // The date is chosen before the first count is typed; a draft keeps its own.
    m_dateEdit->setEnabled(!m_draft);
    m_post->setEnabled(editable);
    m_new->setEnabled(m_draft);
    if (m_posted)
        m_state->setText(
            QStringLiteral("Инвентаризация на %1 проведена").arg(text::formatDate(m_date)));
    else if (m_draft)
        m_state->setText(
            QStringLiteral("Черновик инвентаризации на %1").arg(text::formatDate(m_date)));
    else
        m_state->setText(QStringLiteral("Новая инвентаризация"));
}

void TFormInventarizaciia::showRows()
{
    m_model->show(m_onlyDifferences->isChecked());
    showTotals();
}

void TFormInventarizaciia::showTotals()
{
    size_t countedLines = 0, shortages = 0, surpluses = 0;
    long double shortSum = 0, surSum = 0;
    for (const ops::CountRow &r : m_rows) {
        if (!r.hasCount())
            continue;
        ++countedLines;
        const double d = r.difference();
        if (d < 0) {
            ++shortages;
            shortSum -= r.differenceSum();
        } else if (d > 0) {
            ++surpluses;
            surSum += r.differenceSum();
        }
    }
    m_totals->setText(
        QStringLiteral(
            "Строк: %1, пересчитано: %2. Недостача: %3 (строк: %4). Излишки: %5 (строк: %6).")
            .arg(m_rows.size())
            .arg(countedLines)
            .arg(text::formatNumber(text::roundSum(double(shortSum))))
            .arg(shortages)
            .arg(text::formatNumber(text::roundSum(double(surSum))))
            .arg(surpluses));
}

void TFormInventarizaciia::counted(int line)
{
    m_model->lineChanged(line);
    showTotals();
    if (Messages::guard(this, [&] { count::save(m_dataDir, ops::draftOf(m_date, m_rows)); })) {
        if (!m_draft) {
            m_draft = true;
            setState();
        }
    }
    moveOn(line);
}

void TFormInventarizaciia::moveOn(int line)
{
    // On to the next line, as down a paper list.
    const int row = m_model->rowOf(line);
    if (row >= 0 && row + 1 < m_model->rowCount())
        QTimer::singleShot(
            0, this, [this, row] { m_table->setCurrentIndex(m_model->index(row + 1, Counted)); });
}

void TFormInventarizaciia::RzDateTimeEditIDataChange()
{
    if (m_draft)
        return;
    const QDate d = ui::shownDate(m_dateEdit);
    if (!d.isValid() || d == m_date)
        return;
    m_date = d;
    Messages::guard(this, [&] {
        m_rows = ops::countRows(m_dataDir, count::Count{m_date, false, {}});
    });
    showRows();
}

void TFormInventarizaciia::RzEditSearchKeyUp()
{
    const QString key = text::searchKey(m_search->text());
    if (key.isEmpty())
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (text::searchKey(m_rows[size_t(m_model->line(row))].book.batch.DrugName)
                .startsWith(key)) {
            const QModelIndex at = m_model->index(row, Counted);
            m_table->setCurrentIndex(at);
            m_table->scrollTo(at, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void TFormInventarizaciia::RzCheckBoxRaznicaClick()
{
    showRows();
}

void TFormInventarizaciia::RzBitBtnNewClick()
{
    const QString question = m_posted
        ? QStringLiteral(
            "Начать новую инвентаризацию? Проведённая инвентаризация на %1 будет заменена "
            "новой, как только будет введено первое количество.")
        : QStringLiteral(
            "Начать новую инвентаризацию? Введённые количества инвентаризации на %1 "
            "не проведены и будут потеряны, как только будет введено первое количество.");
    if (!Messages::ask(this, question.arg(text::formatDate(m_date))))
        return;
    m_draft = false;
    m_posted = false;
    m_date = Clock::today();
    {
        const QSignalBlocker block(m_dateEdit);
        m_dateEdit->setDate(m_date);
    }
    Messages::guard(this, [&] {
        m_rows = ops::countRows(m_dataDir, count::Count{m_date, false, {}});
    });
    setState();
    showRows();
}

void TFormInventarizaciia::RzBitBtnOpisClick()
{
    reports::ReportParams p;
    p.date = m_date;
    p.blind = m_blind->isChecked();
    Messages::guard(this,
                    [&] { produceReport(this, m_dataDir, reports::ReportKind::Inventory, p, {}); });
}

void TFormInventarizaciia::RzBitBtnVedomostClick()
{
    if (!m_draft) {
        Messages::info(this, reports::messages::NoDiscrepancies);
        return;
    }
    Messages::guard(
        this, [&] { produceReport(this, m_dataDir, reports::ReportKind::Discrepancies, {}, {}); });
}

void TFormInventarizaciia::RzBitBtnProvestiClick()
{
    if (m_posted)
        return;
    size_t uncounted = 0, shortages = 0, surpluses = 0;
    for (const ops::CountRow &r : m_rows) {
        if (!r.hasCount())
            ++uncounted;
        else if (r.difference() < 0)
            ++shortages;
        else if (r.difference() > 0)
            ++surpluses;
    }
    if (!m_draft) {
        Messages::info(this, QStringLiteral("Не введено ни одного фактического количества!"));
        return;
    }
    QString question =
        QStringLiteral("Провести инвентаризацию на %1? Недостача будет списана (строк: %2), "
                       "излишки оприходованы (строк: %3).")
            .arg(text::formatDate(m_date))
            .arg(shortages)
            .arg(surpluses);
    if (uncounted)
        question +=
            QStringLiteral(" Строки без фактического количества (%1) останутся по данным учёта.")
                .arg(uncounted);
    if (!Messages::ask(this, question))
        return;
    ops::Posted posted;
    if (!Messages::guard(this, [&] { posted = ops::postCount(m_dataDir); }))
        return;
    m_postedNow = true;
    load();
    m_postedNow = true;
    Messages::info(
        this,
        QStringLiteral("Инвентаризация на %1 проведена. Списано недостачи: %2, оприходовано "
                       "излишков: %3.")
            .arg(text::formatDate(m_date), text::formatNumber(text::roundSum(posted.shortageSum)),
                 text::formatNumber(text::roundSum(posted.surplusSum))));
}

void TFormInventarizaciia::RzBitBtnCloseClick()
{
    reject();
}
