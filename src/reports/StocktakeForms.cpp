#include "reports/StocktakeForms.h"

#include "operations/BookQuantity.h"
#include "store/DataFiles.h"
#include "store/RecordScan.h"
#include "store/TextFormats.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <vector>

namespace vedaris::reports {

// ---- the sum in words ----

namespace {

QString plural(qint64 n, const char *one, const char *few, const char *many)
{
    const qint64 lastTwo = n % 100;
    const qint64 last = n % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return QString::fromUtf8(many);
    if (last == 1)
        return QString::fromUtf8(one);
    if (last >= 2 && last <= 4)
        return QString::fromUtf8(few);
    return QString::fromUtf8(many);
}

// 1 to 999 in words; thousands are feminine ("одна тысяча", "две тысячи").
QStringList hundredsInWords(int n, bool feminine)
{
    static const char *const hundreds[] = {"",          "сто",      "двести",   "триста",
                                           "четыреста", "пятьсот",  "шестьсот", "семьсот",
                                           "восемьсот", "девятьсот"};
    static const char *const tens[] = {
        "",          "",           "двадцать",  "тридцать",    "сорок",
        "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
    static const char *const teens[] = {"десять",       "одиннадцать", "двенадцать",  "тринадцать",
                                        "четырнадцать", "пятнадцать",  "шестнадцать", "семнадцать",
                                        "восемнадцать", "девятнадцать"};
    static const char *const ones[] = {"",     "один",  "два",  "три",    "четыре",
                                       "пять", "шесть", "семь", "восемь", "девять"};
    QStringList words;
    if (n / 100)
        words << QString::fromUtf8(hundreds[n / 100]);
    const int rest = n % 100;
    if (rest >= 10 && rest < 20) {
        words << QString::fromUtf8(teens[rest - 10]);
        return words;
    }
    if (rest / 10)
        words << QString::fromUtf8(tens[rest / 10]);
    const int one = rest % 10;
    if (one == 1 && feminine)
        words << QStringLiteral("одна");
    else if (one == 2 && feminine)
        words << QStringLiteral("две");
    else if (one)
        words << QString::fromUtf8(ones[one]);
    return words;
}

} // namespace

QString sumInWords(double sum)
{
    if (!std::isfinite(sum) || std::fabs(sum) >= 1e15)
        return text::formatNumber(sum);
    const qint64 kopecks = std::llround(std::fabs(sum) * 100);
    const qint64 rubles = kopecks / 100;
    QStringList words;
    if (sum < 0 && kopecks > 0)
        words << QStringLiteral("минус");
    if (rubles == 0)
        words << QStringLiteral("ноль");
    struct Scale
    {
        qint64 size;
        bool feminine;
        const char *one, *few, *many;
    };
    static const Scale scales[] = {
        {1000000000000LL, false, "триллион", "триллиона", "триллионов"},
        {1000000000LL, false, "миллиард", "миллиарда", "миллиардов"},
        {1000000LL, false, "миллион", "миллиона", "миллионов"},
        {1000LL, true, "тысяча", "тысячи", "тысяч"},
    };
    qint64 rest = rubles;
    for (const Scale &s : scales) {
        const qint64 n = rest / s.size;
        rest %= s.size;
        if (n == 0)
            continue;
        words << hundredsInWords(int(n), s.feminine);
        words << plural(n, s.one, s.few, s.many);
    }
    if (rest)
        words << hundredsInWords(int(rest), false);
    words << plural(rubles, "рубль", "рубля", "рублей");
    const qint64 k = kopecks % 100;
    words << QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'))
          << plural(k, "копейка", "копейки", "копеек");
    QString out = words.join(QLatin1Char(' '));
    out[0] = out[0].toUpper();
    return out;
}

namespace {

// ---- the sheet of a form ----

const QString Blank = QStringLiteral("____________________");
const QString Signature = QStringLiteral("____________  /  ____________________  /");

double money(double sum)
{
    return std::isfinite(sum) ? std::round(sum * 100) / 100 : sum;
}

struct Heading
{
    QString name; // the document's name, for a readable file name
    QString formNumber; // "0504087"
    QString title;
    QStringList subtitles;
    QStringList fields; // lines of the heading, each to be completed on paper
};

// A form's rows from the top: the heading, one table, the lines below it.
class FormSheet
{
public:
    FormSheet(const Heading &h, const QVector<double> &widths) : m_last(int(widths.size()))
    {
        m_book.setSheetName(ReportSheet::SheetName);
        for (int c = 1; c <= m_last; ++c)
            m_book.setColumnWidth(c, widths[c - 1]);
        const int right = std::max(1, m_last - 3);
        auto approval = [&](const QString &text, bool bold) {
            const Range r{m_row, right, m_row, m_last};
            m_book.setText(m_row, right, text);
            m_book.merge(r);
            m_book.setBold(r, bold);
            ++m_row;
        };
        approval(QStringLiteral("УТВЕРЖДАЮ"), true);
        approval(QStringLiteral("Руководитель учреждения"), false);
        approval(Signature, false);
        approval(QStringLiteral("«____» ______________ 20____ г."), false);
        ++m_row;
        line(QStringLiteral("Форма по ОКУД %1").arg(h.formNumber), false, HAlign::Center);
        const int titleRow = m_row;
        line(h.title, true, HAlign::Center);
        m_book.setFontSize(Range{titleRow, 1, titleRow, m_last}, 14);
        for (const QString &s : h.subtitles)
            line(s, false, HAlign::Center);
        ++m_row;
        for (const QString &f : h.fields)
            line(f);
        ++m_row;
    }

    Workbook &book() { return m_book; }
    int row() const { return m_row; }
    int last() const { return m_last; }

    // A text over the whole width.
    void line(const QString &text, bool bold = false, HAlign align = HAlign::Left)
    {
        const Range r{m_row, 1, m_row, m_last};
        m_book.setText(m_row, 1, text);
        m_book.merge(r);
        if (bold)
            m_book.setBold(r);
        m_book.setHorizontalAlignment(r, align);
        ++m_row;
    }

    void header(const QStringList &headers)
    {
        m_tableTop = m_row;
        for (int c = 1; c <= headers.size(); ++c)
            m_book.setText(m_row, c, headers[c - 1]);
        const Range r{m_row, 1, m_row, m_last};
        m_book.setBold(r);
        m_book.setWrap(r);
        m_book.setHorizontalAlignment(r, HAlign::Center);
        m_book.setVerticalAlignment(r, VAlign::Center);
        ++m_row;
    }

    // One data row: the running number where a column has no cell; an empty
    // text leaves the cell empty (filled on paper).
    template<class Line> void add(const Columns<Line> &columns, const Line &line)
    {
        ++m_number;
        for (int c = 1; c <= columns.size(); ++c) {
            const Column<Line> &col = columns[c - 1];
            if (!col.cell) {
                m_book.setValue(m_row, c, double(m_number));
                continue;
            }
            const CellData cell = col.cell(line);
            if (cell.kind == CellData::Kind::Text && cell.text.isEmpty())
                continue;
            writeCell(m_book, m_row, c, cell);
        }
        ++m_row;
    }

    // A bold row inside the table: a label at `labelColumn`, numbers where given.
    void totals(const QString &label, int labelColumn, const std::map<int, double> &figures)
    {
        const Range r{m_row, 1, m_row, m_last};
        m_book.setBold(r);
        m_book.setText(m_row, labelColumn, label);
        for (const auto &[col, value] : figures)
            m_book.setValue(m_row, col, value);
        ++m_row;
    }

    void group(const QString &text)
    {
        const Range r{m_row, 1, m_row, m_last};
        m_book.setText(m_row, 1, text);
        m_book.merge(r);
        m_book.setBold(r);
        ++m_row;
    }

    void endTable(const QVector<int> &moneyColumns)
    {
        const Range table{m_tableTop, 1, m_row - 1, m_last};
        m_book.setBorders(table);
        for (int c : moneyColumns)
            m_book.setNumberFormat(Range{m_tableTop + 1, c, m_row - 1, c}, QStringLiteral("0.00"));
        ++m_row;
    }

    void signatures(const QStringList &roles)
    {
        ++m_row;
        for (const QString &role : roles) {
            line(QStringLiteral("%1  %2").arg(role, Signature));
            ++m_row;
        }
    }

    Outcome finish(const QString &name)
    {
        PageSetup &page = m_book.pageSetup();
        page.orientation = PageSetup::Landscape;
        page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 36;
        // The whole table across one page, its heading atop every page.
        page.fitToWidth = true;
        if (m_tableTop > 0)
            page.repeatRowsFrom = page.repeatRowsTo = m_tableTop;
        Outcome out;
        out.title = name;
        out.workbook = std::move(m_book);
        return out;
    }

private:
    Workbook m_book;
    int m_last;
    int m_row = 1;
    int m_tableTop = 0;
    int m_number = 0;
};

Outcome nothing(const QString &name, const QString &message)
{
    Outcome out;
    out.title = name;
    out.emptyMessage = message;
    return out;
}

QString periodOf(const QDate &start, const QDate &finish)
{
    return QStringLiteral("за период с %1 по %2")
        .arg(text::formatDate(start), text::formatDate(finish));
}

const QString Institution = QStringLiteral("Учреждение: ") + Blank + Blank;
const QString Responsible = QStringLiteral("Материально ответственное лицо: ") + Blank + Blank;
const QString Commission = QStringLiteral("Комиссия: председатель ") + Blank
    + QStringLiteral("; члены комиссии: ") + Blank + QStringLiteral(", ") + Blank;
const QString Chairman = QStringLiteral("Председатель комиссии");
const QString Member = QStringLiteral("Член комиссии");
const QString ResponsiblePerson = QStringLiteral("Материально ответственное лицо");

// ---- the issues the two documents list ----

struct IssuedItem
{
    double date = 0;
    QString reason; // write-offs: the department's name after the prefix
    QString name, unit, series;
    double expiry = 0;
    double quantity = 0;
    double price = 0;
    double sum = 0;
};

// Live issues of the period whose department `keep` accepts, of live batches,
// by date, the same date in file order; `keep` sets the item's reason.
template<class Keep>
std::vector<IssuedItem> issuedItems(const QString &dataDir, const QDate &start, const QDate &finish,
                                    Keep &&keep)
{
    using I = layout::Issue;
    using S = layout::Stock;
    const double from = text::dateToSerial(start);
    const double to = text::dateToSerial(finish);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    std::vector<IssuedItem> items;
    std::vector<qint32> batchOf;
    rashod.forEach([&](const char *r) {
        if (field::isDeleted(r, I::Deleted))
            return;
        const double date = field::number(r, I::IssueDate);
        if (!(from <= date && date <= to))
            return;
        IssuedItem it;
        if (!keep(field::text(r, I::Department), it.reason))
            return;
        it.date = date;
        it.name = field::text(r, I::DrugName);
        it.unit = field::text(r, I::Unit);
        it.series = field::text(r, I::Series);
        it.quantity = field::number(r, I::IssuedQuantity);
        it.price = field::number(r, I::UnitPrice);
        it.sum = field::number(r, I::IssuedSum);
        items.push_back(std::move(it));
        batchOf.push_back(field::int32(r, I::StockRecordId));
    });
    if (items.empty())
        return items;

    std::unordered_map<qint32, double> expiryOf;
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    base.forEach([&](const char *r) {
        if (!field::isDeleted(r, S::Deleted))
            expiryOf.emplace(field::int32(r, S::RecordId), field::number(r, S::ExpiryDate));
    });
    std::vector<IssuedItem> out;
    for (size_t i = 0; i < items.size(); ++i) {
        const auto e = expiryOf.find(batchOf[i]);
        if (e == expiryOf.end())
            continue;
        items[i].expiry = e->second;
        out.push_back(std::move(items[i]));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const IssuedItem &a, const IssuedItem &b) { return a.date < b.date; });
    return out;
}

CellData sumCell(double sum)
{
    return numberCell(money(sum));
}

// The columns of the forms that list issued items: the write-off act names
// each line's expiry, the requisition does not.
enum class WithExpiry { No, Yes };
Columns<IssuedItem> issuedColumns(WithExpiry expiry)
{
    using L = IssuedItem;
    Columns<L> columns = {
        {QStringLiteral("№ п/п"), 5, {}},
        {QStringLiteral("Наименование"), 35, [](const L &l) { return textCell(l.name); }},
        {QStringLiteral("Ед. изм."), 8, [](const L &l) { return textCell(l.unit); }},
        {QStringLiteral("Серия"), 12, [](const L &l) { return textCell(l.series); }},
        {QStringLiteral("Количество"), 11, [](const L &l) { return roundedCell(l.quantity); }},
        {QStringLiteral("Цена"), 10, [](const L &l) { return numberCell(l.price); }},
        {QStringLiteral("Сумма"), 12, [](const L &l) { return sumCell(l.sum); }},
    };
    if (expiry == WithExpiry::Yes)
        columns.insert(4, {QStringLiteral("Срок годности"), 11, [](const L &l) {
                               return dateCell(l.expiry);
                           }});
    return columns;
}

} // namespace

// ---- the count sheet ----

Outcome inventoryForm(const QString &dataDir, const QDate &date, bool blind)
{
    const QString name = QStringLiteral("Инвентаризационная опись");
    // What the issues leave is shown to a millionth, as the stock-take counts
    // it: an emptied batch's rounding noise (1E-15) is no stock, and 0,3 is not
    // shown as 0,29999999999997.
    std::vector<ops::BookLine> lines = ops::bookQuantities(dataDir, date, ops::BookLines::InStock);
    if (lines.empty())
        return nothing(name, messages::NoBookStock);

    const std::vector<size_t> order = ops::countSheetOrder(
        lines.size(), [&](size_t i) -> const StockRecord & { return lines[i].batch; });

    using L = ops::BookLine;
    const auto none = [](const L &) { return textCell({}); };
    const Columns<L> columns = {
        {QStringLiteral("№ п/п"), 5, {}},
        {QStringLiteral("Наименование"), 35, [](const L &l) { return textCell(l.batch.DrugName); }},
        {QStringLiteral("Ед. изм."), 8, [](const L &l) { return textCell(l.batch.Unit); }},
        {QStringLiteral("Серия"), 12, [](const L &l) { return textCell(l.batch.Series); }},
        {QStringLiteral("Срок годности"), 11,
         [](const L &l) { return dateCell(l.batch.ExpiryDate); }},
        {QStringLiteral("Цена"), 10, [](const L &l) { return numberCell(l.batch.UnitPrice); }},
        {QStringLiteral("Фактическое наличие: количество"), 12, none},
        {QStringLiteral("Фактическое наличие: сумма"), 12, none},
        {QStringLiteral("По данным учёта: количество"), 12,
         blind ? std::function<CellData(const L &)>(none)
               : [](const L &l) { return roundedCell(l.quantity); }},
        {QStringLiteral("По данным учёта: сумма"), 12,
         blind ? std::function<CellData(const L &)>(none)
               : [](const L &l) { return sumCell(l.sum); }},
    };

    Heading h;
    h.name = name;
    h.formNumber = QStringLiteral("0504087");
    h.title = QStringLiteral("ИНВЕНТАРИЗАЦИОННАЯ ОПИСЬ");
    h.subtitles = {QStringLiteral("медикаментов на %1").arg(text::formatDate(date))};
    h.fields = {
        Institution, Responsible, Commission,
        QStringLiteral(
            "Основание: приказ (распоряжение) от «____» ______________ 20____ г. № ______")};
    FormSheet sheet(h, widthsOf(columns));
    sheet.header(headersOf(columns));
    long double quantity = 0, sum = 0;
    for (size_t i : order) {
        sheet.add(columns, lines[i]);
        quantity += lines[i].quantity;
        sum += money(lines[i].sum);
    }
    std::map<int, double> figures;
    if (!blind)
        figures = {{9, double(quantity)}, {10, double(sum)}};
    sheet.totals(ReportSheet::TotalsLabel, 2, figures);
    sheet.endTable({6, 8, 10});

    sheet.line(
        QStringLiteral("Итого по описи: количество порядковых номеров %1").arg(lines.size()));
    if (blind)
        sheet.line(QStringLiteral("на сумму (прописью): ") + Blank + Blank + Blank);
    else
        sheet.line(QStringLiteral("на сумму по данным учёта: %1 (%2)")
                       .arg(text::formatNumber(double(sum)), sumInWords(double(sum))));
    sheet.line(QStringLiteral("фактически в наличии на сумму (прописью): ") + Blank + Blank
               + Blank);
    sheet.signatures({Chairman, Member, Member});
    sheet.line(
        QStringLiteral("Все ценности, поименованные в настоящей описи, комиссией проверены в моём "
                       "присутствии. Претензий к членам комиссии не имею."));
    sheet.signatures({ResponsiblePerson});
    return sheet.finish(name);
}

// ---- the write-off act ----

Outcome writeOffActForm(const QString &dataDir, const QDate &start, const QDate &finish)
{
    const QString name = QStringLiteral("Акт о списании");
    // The department of a write-off may carry the letter case of an older entry.
    const QString prefix = WriteOffPrefix.trimmed();
    std::vector<IssuedItem> items =
        issuedItems(dataDir, start, finish, [&](const QString &department, QString &reason) {
            if (!department.startsWith(prefix, Qt::CaseInsensitive))
                return false;
            reason = department.mid(prefix.size()).trimmed();
            return true;
        });
    if (items.empty())
        return nothing(name, messages::NoWriteOffs);

    // Reasons in Russian order; lines by date within a reason.
    std::stable_sort(items.begin(), items.end(), [](const IssuedItem &a, const IssuedItem &b) {
        return text::compareRussian(a.reason, b.reason) < 0;
    });

    const Columns<IssuedItem> columns = issuedColumns(WithExpiry::Yes);
    Heading h;
    h.name = name;
    h.formNumber = QStringLiteral("0504230");
    h.title = QStringLiteral("АКТ № ______ О СПИСАНИИ МАТЕРИАЛЬНЫХ ЗАПАСОВ");
    h.subtitles = {periodOf(start, finish)};
    h.fields = {Institution, Responsible, Commission,
                QStringLiteral(
                    "Комиссия, назначенная приказом от «____» ______________ 20____ г. № ______, "
                    "установила, что подлежат списанию следующие материальные запасы:")};
    FormSheet sheet(h, widthsOf(columns));
    sheet.header(headersOf(columns));
    long double quantity = 0, sum = 0;
    for (size_t i = 0; i < items.size();) {
        const QString reason = items[i].reason;
        sheet.group(QStringLiteral("Причина списания: %1").arg(reason));
        long double q = 0, s = 0;
        for (; i < items.size() && items[i].reason == reason; ++i) {
            sheet.add(columns, items[i]);
            q += items[i].quantity;
            s += money(items[i].sum);
        }
        sheet.totals(QStringLiteral("Итого по причине:"), 2, {{6, double(q)}, {8, double(s)}});
        quantity += q;
        sum += s;
    }
    sheet.totals(ReportSheet::TotalsLabel, 2, {{6, double(quantity)}, {8, double(sum)}});
    sheet.endTable({7, 8});
    sheet.line(QStringLiteral("Всего списано на сумму: %1 (%2)")
                   .arg(text::formatNumber(double(sum)), sumInWords(double(sum))));
    sheet.signatures({Chairman, Member, Member, ResponsiblePerson});
    return sheet.finish(name);
}

// ---- the requisition-invoice ----

Outcome requisitionForm(const QString &dataDir, const QString &department, const QDate &start,
                        const QDate &finish)
{
    const QString name = QStringLiteral("Требование-накладная");
    const std::vector<IssuedItem> items =
        issuedItems(dataDir, start, finish,
                    [&](const QString &stored, QString &) { return stored == department; });
    if (items.empty())
        return nothing(name, messages::NoRequisition);

    const Columns<IssuedItem> columns = issuedColumns(WithExpiry::No);
    Heading h;
    h.name = name;
    h.formNumber = QStringLiteral("0504204");
    h.title = QStringLiteral("ТРЕБОВАНИЕ-НАКЛАДНАЯ № ______");
    h.subtitles = {periodOf(start, finish)};
    h.fields = {Institution, QStringLiteral("Отправитель: склад ") + Blank,
                QStringLiteral("Получатель: %1").arg(department),
                QStringLiteral("Затребовал: ") + Signature + QStringLiteral("    Разрешил: ")
                    + Signature};
    FormSheet sheet(h, widthsOf(columns));
    sheet.header(headersOf(columns));
    long double quantity = 0, sum = 0;
    for (const IssuedItem &it : items) {
        sheet.add(columns, it);
        quantity += it.quantity;
        sum += money(it.sum);
    }
    sheet.totals(ReportSheet::TotalsLabel, 2, {{5, double(quantity)}, {7, double(sum)}});
    sheet.endTable({6, 7});
    sheet.line(QStringLiteral("Всего отпущено на сумму: %1 (%2)")
                   .arg(text::formatNumber(double(sum)), sumInWords(double(sum))));
    sheet.signatures({QStringLiteral("Отпустил"), QStringLiteral("Получил")});
    return sheet.finish(name);
}

// ---- the discrepancy list ----

Outcome discrepancyForm(const QDate &date, bool posted, const std::vector<ops::CountRow> &rows)
{
    const QString name = QStringLiteral("Ведомость расхождений");
    std::vector<const ops::CountRow *> lines;
    for (const ops::CountRow &r : rows)
        if (r.difference() != 0)
            lines.push_back(&r);
    if (lines.empty())
        return nothing(name, messages::NoDiscrepancies);

    using L = const ops::CountRow *;
    const auto shortage = [](L l) { return l->difference() < 0 ? -l->difference() : 0.0; };
    const auto surplus = [](L l) { return l->difference() > 0 ? l->difference() : 0.0; };
    const auto quantityOr = [](double q) { return q != 0 ? roundedCell(q) : textCell({}); };
    const auto sumOr = [](double q, L l) {
        return q != 0 ? sumCell(q * l->book.batch.UnitPrice) : textCell({});
    };
    const Columns<L> columns = {
        {QStringLiteral("№ п/п"), 5, {}},
        {QStringLiteral("Наименование"), 35, [](L l) { return textCell(l->book.batch.DrugName); }},
        {QStringLiteral("Ед. изм."), 8, [](L l) { return textCell(l->book.batch.Unit); }},
        {QStringLiteral("Серия"), 12, [](L l) { return textCell(l->book.batch.Series); }},
        {QStringLiteral("Цена"), 10, [](L l) { return numberCell(l->book.batch.UnitPrice); }},
        {QStringLiteral("По данным учёта: количество"), 12,
         [](L l) { return roundedCell(l->book.quantity); }},
        {QStringLiteral("Фактическое наличие: количество"), 12,
         [](L l) { return roundedCell(l->countedQuantity()); }},
        {QStringLiteral("Недостача: количество"), 12, [&](L l) { return quantityOr(shortage(l)); }},
        {QStringLiteral("Недостача: сумма"), 12, [&](L l) { return sumOr(shortage(l), l); }},
        {QStringLiteral("Излишки: количество"), 12, [&](L l) { return quantityOr(surplus(l)); }},
        {QStringLiteral("Излишки: сумма"), 12, [&](L l) { return sumOr(surplus(l), l); }},
    };
    Heading h;
    h.name = name;
    h.formNumber = QStringLiteral("0504092");
    h.title = QStringLiteral("ВЕДОМОСТЬ РАСХОЖДЕНИЙ ПО РЕЗУЛЬТАТАМ ИНВЕНТАРИЗАЦИИ");
    h.subtitles = {QStringLiteral("медикаментов на %1%2")
                       .arg(text::formatDate(date),
                            posted ? QStringLiteral(" (результаты проведены)") : QString())};
    h.fields = {Institution, Responsible, Commission,
                QStringLiteral("Инвентаризационная опись от %1").arg(text::formatDate(date))};
    FormSheet sheet(h, widthsOf(columns));
    sheet.header(headersOf(columns));
    long double shortQ = 0, shortS = 0, surQ = 0, surS = 0;
    for (L l : lines) {
        sheet.add(columns, l);
        shortQ += shortage(l);
        shortS += money(shortage(l) * l->book.batch.UnitPrice);
        surQ += surplus(l);
        surS += money(surplus(l) * l->book.batch.UnitPrice);
    }
    sheet.totals(
        ReportSheet::TotalsLabel, 2,
        {{8, double(shortQ)}, {9, double(shortS)}, {10, double(surQ)}, {11, double(surS)}});
    sheet.endTable({5, 9, 11});
    sheet.line(QStringLiteral("Недостача на сумму: %1 (%2)")
                   .arg(text::formatNumber(money(double(shortS))), sumInWords(double(shortS))));
    sheet.line(QStringLiteral("Излишки на сумму: %1 (%2)")
                   .arg(text::formatNumber(money(double(surS))), sumInWords(double(surS))));
    sheet.signatures({Chairman, Member, Member, ResponsiblePerson});
    return sheet.finish(name);
}

Outcome discrepancyForm(const QString &dataDir)
{
    const std::optional<count::Count> c = count::read(dataDir);
    if (!c)
        return nothing(QStringLiteral("Ведомость расхождений"), messages::NoCount);
    return discrepancyForm(c->date, c->posted, ops::countRows(dataDir, *c));
}

} // namespace vedaris::reports
