#include "TFormViewZap.h"

#include "BatchFields.h"
#include "operations/BatchHistory.h"
#include "store/Records.h"
#include "store/TextFormats.h"
#include "widgets/Icons.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

using vedaris::ops::BatchHistory;
using vedaris::ops::BatchIssue;

// The card's rows, formatted only as they are shown: a batch of thousands of
// issues opens as quickly as one of three.
class TFormViewZap::IssueModel : public QAbstractTableModel
{
public:
    enum Column { Date, Department, Quantity, Sum, Remaining, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    void setIssues(std::vector<BatchIssue> issues)
    {
        beginResetModel();
        m_issues = std::move(issues);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_issues.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : Columns;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        using vedaris::text::formatNumber;
        const BatchIssue &is = m_issues[size_t(index.row())];
        if (role == Qt::TextAlignmentRole)
            return int(index.column() == Department ? Qt::AlignLeft | Qt::AlignVCenter
                                                    : Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case Date:
            return vedaris::text::formatDate(is.date);
        case Department:
            return is.department;
        case Quantity:
            return formatNumber(is.quantity);
        case Sum:
            return formatNumber(is.sum);
        default:
            // Added up here: shown to what a quantity can hold, so an emptied
            // batch ends at 0, not 2,498E-15.
            return formatNumber(vedaris::text::roundQuantity(is.remaining));
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char *const captions[] = {"Дата выдачи", "Отделение", "Количество", "Сумма",
                                               "Остаток"};
        return QString::fromUtf8(captions[section]);
    }

private:
    std::vector<BatchIssue> m_issues;
};

namespace {

// "Остаток сходится: получено 100 − выдано 40 = 60.", or where it does not, what
// is stored and by how much it differs.
// What is added up here is shown rounded by `rounded` (text::roundQuantity or
// roundSum); the stored values as stored.
QString balanceLine(const char *what, const char *unit, double stored, double received,
                    long double issued, bool agrees, double (*rounded)(double))
{
    using vedaris::text::formatNumber;
    const long double expected = received - issued;
    QString line =
        QStringLiteral("%1 %2: получено%3 %4 − выдано%3 %5 = %6")
            .arg(QString::fromUtf8(what),
                 agrees ? QStringLiteral("сходится") : QStringLiteral("не сходится"),
                 QString::fromUtf8(unit), formatNumber(received),
                 formatNumber(rounded(double(issued))), formatNumber(rounded(double(expected))));
    if (agrees)
        return line + QLatin1Char('.');
    const long double off = stored - expected;
    // A difference too small to round to anything is shown as it is.
    const double offShown = rounded(double(std::fabs(off))) != 0 ? rounded(double(std::fabs(off)))
                                                                 : double(std::fabs(off));
    return line
        + QStringLiteral(", а записано %1 (на %2 %3).")
              .arg(formatNumber(stored), formatNumber(offShown),
                   off < 0 ? QStringLiteral("меньше") : QStringLiteral("больше"));
}

QString balanceText(const BatchHistory &h)
{
    const QString runCheck =
        QStringLiteral("Запустите vedaris-check: она найдёт повреждённые записи.");
    if (!h.finite)
        return QStringLiteral("Остаток не сверить: в записях партии или её выдач есть не числа.\n")
            + runCheck;
    const vedaris::StockRecord &b = h.batch;
    QString text = balanceLine("Остаток", "", b.Quantity, b.ReceivedQuantity, h.issuedQuantity,
                               h.quantityAgrees, &vedaris::text::roundQuantity)
        + QLatin1Char('\n')
        + balanceLine("Сумма", " на", b.TotalSum, b.ReceivedSum, h.issuedSum, h.sumAgrees,
                      &vedaris::text::roundSum);
    if (!h.quantityAgrees || !h.sumAgrees)
        text += QLatin1Char('\n') + runCheck;
    return text;
}

} // namespace

TFormViewZap::TFormViewZap(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormViewZap"));
    setWindowTitle(QStringLiteral("Просмотр записи"));

    using vedaris::BatchFields;
    using Field = BatchFields::Field;
    // Read-only, and dates however old, as the file holds them.
    const auto asStored = BatchFields::Access::AsStored;
    m_fields = new BatchFields(this);
    m_fields->addLine(Field::DrugName, QStringLiteral("RzEditVNamePrep"), asStored);
    m_fields->addLine(Field::Manufacturer, QStringLiteral("RzEditVNameIzgot"), asStored);
    m_fields->addLine(Field::Supplier, QStringLiteral("RzEditVNamePost"), asStored);
    m_fields->addLine(Field::Document, QStringLiteral("RzEditVPrihodDoc"), asStored);
    m_fields->addLine(Field::Series, QStringLiteral("RzEditVSeriiaPrep"), asStored);
    m_fields->addLine(Field::Unit, QStringLiteral("RzEditVEdIzm"), asStored);
    m_fields->addLine(Field::Quantity, QStringLiteral("RzEditVKol"), asStored);
    m_fields->addLine(Field::Price, QStringLiteral("RzEditVCEdin"), asStored);
    m_fields->addLine(Field::Sum, QStringLiteral("RzEditVTotSum"), asStored);
    m_fields->addDate(Field::ReceiptDate, QStringLiteral("RzDateTimeEditVDataPol"), asStored);
    m_fields->addDate(Field::Expiry, QStringLiteral("RzDateTimeEditVSrokGodn"), asStored);

    m_issueModel = new IssueModel(this);
    m_issues = new QTableView(this);
    m_issues->setObjectName(QStringLiteral("RzListViewVRashod"));
    m_issues->setModel(m_issueModel);
    m_issues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_issues->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_issues->setSelectionMode(QAbstractItemView::SingleSelection);
    m_issues->setAlternatingRowColors(true);
    QPalette striped = m_issues->palette();
    striped.setColor(QPalette::AlternateBase, QColor(255, 251, 240));
    m_issues->setPalette(striped);
    m_issues->setWordWrap(false);
    m_issues->verticalHeader()->hide();
    const int rowHeight = fontMetrics().height() + 6;
    m_issues->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_issues->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView *columns = m_issues->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setSectionResizeMode(IssueModel::Department, QHeaderView::Stretch);
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000,00")) + 12;
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00.00.000000")) + 12;
    columns->resizeSection(IssueModel::Date, dateWidth);
    for (int c : {IssueModel::Quantity, IssueModel::Sum, IssueModel::Remaining})
        columns->resizeSection(c, numberWidth);
    m_issues->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_issues->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * m_issues->frameWidth();
    m_issues->setFixedSize(dateWidth + 3 * numberWidth + 230 + frame
                               + m_issues->verticalScrollBar()->sizeHint().width(),
                           columns->sizeHint().height() + 8 * rowHeight + frame);

    m_balance = new QLabel(this);
    m_balance->setObjectName(QStringLiteral("LabelVSverka"));
    m_balance->setWordWrap(true);
    m_balance->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest verdict, so that no text squeezes the fields above.
    m_balance->setFixedHeight(5 * fontMetrics().lineSpacing());

    m_close = new QPushButton(vedaris::icon(vedaris::Icon::Close), QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("RzBitBtnVClose"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    // The fields take the window's margins as their own and sit in its corner,
    // each where it would be as the window's child.
    auto *layout = new QVBoxLayout(this);
    const QMargins margins = layout->contentsMargins();
    m_fields->layout()->setContentsMargins(margins.left(), margins.top(), margins.right(), 0);
    layout->setContentsMargins(0, 0, 0, margins.bottom());
    layout->addWidget(m_fields);
    auto *card = new QVBoxLayout;
    card->setContentsMargins(margins.left(), 0, margins.right(), 0);
    layout->addLayout(card);
    card->addSpacing(6);
    card->addWidget(new QLabel(QStringLiteral("Выдачи партии:"), this));
    card->addWidget(m_issues);
    card->addWidget(m_balance);
    card->addWidget(m_close, 0, Qt::AlignRight);
    setFixedSize(QSize(361, 277).expandedTo(sizeHint()));
}

void TFormViewZap::fill(const vedaris::StockRecord &r)
{
    m_fields->fill(r);
}

void TFormViewZap::fill(const BatchHistory &h)
{
    fill(h.batch);
    m_issueModel->setIssues(h.issues);
    m_issues->scrollToBottom(); // the latest issues and what is left now
    m_balance->setText(balanceText(h));
}

void TFormViewZap::showRecord(const BatchHistory &h)
{
    fill(h);
    m_close->setFocus();
    exec();
}
