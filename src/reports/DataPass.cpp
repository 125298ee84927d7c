#include "reports/ReportData.h"

#include "store/Cp1251.h"
#include "store/DataFiles.h"
#include "store/RecordScan.h"
#include "store/TextFormats.h"

#include <QHash>
#include <QSet>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace vedaris::reports::pass {

namespace {

using stockAt = layout::Stock;
using issueAt = layout::Issue;
using entryAt = layout::Reference;
using drugAt = layout::DrugName;
using field::isDeleted;

// The stored bytes of a text field: its length byte clamped to the capacity.
QByteArray rawText(const char *record, TextField f)
{
    const int length = std::min<int>(static_cast<unsigned char>(record[f.offset]), f.capacity);
    return QByteArray::fromRawData(record + f.offset + 1, length);
}

// Percentage over every record of the files a pass reads.
class Meter
{
public:
    Meter(const Progress &progress, qint64 total) : m_progress(progress), m_total(total) { }

    void step()
    {
        if (!m_progress)
            return;
        ++m_done;
        const int percent = m_total > 0 ? int(m_done * 100 / m_total) : 100;
        if (percent != m_last) {
            m_last = percent;
            m_progress(percent);
        }
    }
    void done()
    {
        if (m_progress && m_last != 100)
            m_progress(100);
    }

private:
    const Progress &m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    int m_last = -1;
};

// Orders `items` by their `keys` (each below `keyCount`), keeping the order
// they came in within a key, in two passes (a counting sort); the keys are
// dropped. Returns where each key's run starts: the items of key k are
// [start[k], start[k + 1]).
template<class Key, class Item>
std::vector<size_t> groupByKey(std::vector<Key> &keys, std::vector<Item> &items, size_t keyCount)
{
    std::vector<size_t> start(keyCount + 1, 0);
    for (Key k : keys)
        ++start[size_t(k) + 1];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    std::vector<size_t> at(start.begin(), start.end() - 1);
    std::vector<Item> grouped(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        grouped[at[size_t(keys[i])]++] = std::move(items[i]);
    items.swap(grouped);
    keys = {};
    return start;
}

struct Issue
{
    double date;
    double quantity;
    double sum;
    int department; // index of the department's name where the report needs it
    int next; // the stock line's next issue in file order, or -1
};

// Issues grouped per StockRecordId in file order. Ids that can name a record
// of Base.dat are gathered as they come and grouped once the file is read, by
// a counting sort that keeps file order within each id, so each line's issues
// lie side by side; any other id (only in damaged files) keeps a chain of its
// own, so it matches exactly what a stock record with that RecordId would match.
class IssueIndex
{
public:
    explicit IssueIndex(qint64 stockCount)
        : m_denseCount(size_t(std::max<qint64>(stockCount, 0))), m_start(m_denseCount + 1, 0)
    { }

    // Room for every issue the file may hand over: growing by copies costs a
    // whole-history report a third of its reading time. Pages never filled are
    // never touched.
    void reserve(qint64 issues)
    {
        m_issues.reserve(size_t(std::max<qint64>(issues, 0)));
        m_ids.reserve(size_t(std::max<qint64>(issues, 0)));
    }

    void add(qint32 stockId, const Issue &issue)
    {
        if (dense(stockId)) {
            m_ids.push_back(stockId);
            m_issues.push_back(issue);
            return;
        }
        Chain &chain = m_sparse[stockId];
        const int at = int(m_sparseIssues.size());
        m_sparseIssues.push_back(issue);
        m_sparseIssues.back().next = -1;
        if (chain.tail >= 0)
            m_sparseIssues[size_t(chain.tail)].next = at;
        else
            chain.head = at;
        chain.tail = at;
    }

    // Groups what was added; called once, after the last add.
    void group() { m_start = groupByKey(m_ids, m_issues, m_denseCount); }

    bool contains(qint32 stockId) const
    {
        if (dense(stockId))
            return m_start[size_t(stockId) + 1] > m_start[size_t(stockId)];
        return m_sparse.count(stockId) != 0;
    }

    // How many issues the id has.
    qsizetype count(qint32 stockId) const
    {
        if (dense(stockId))
            return qsizetype(m_start[size_t(stockId) + 1] - m_start[size_t(stockId)]);
        qsizetype n = 0;
        forEach(stockId, [&n](const Issue &) { ++n; });
        return n;
    }

    template<class Fn> void forEach(qint32 stockId, Fn &&fn) const
    {
        if (dense(stockId)) {
            for (size_t i = m_start[size_t(stockId)], end = m_start[size_t(stockId) + 1]; i < end;
                 ++i)
                fn(m_issues[i]);
            return;
        }
        const auto it = m_sparse.find(stockId);
        for (int i = it == m_sparse.end() ? -1 : it->second.head; i >= 0;
             i = m_sparseIssues[size_t(i)].next)
            fn(m_sparseIssues[size_t(i)]);
    }

private:
    struct Chain
    {
        int head = -1;
        int tail = -1;
    };

    bool dense(qint32 id) const { return id >= 0 && size_t(id) < m_denseCount; }

    size_t m_denseCount;
    std::vector<size_t> m_start; // the issues of id i: [m_start[i], m_start[i + 1])
    std::vector<qint32> m_ids;
    std::vector<Issue> m_issues;
    std::unordered_map<qint32, Chain> m_sparse;
    std::vector<Issue> m_sparseIssues;
};

// The amounts of the issues before the period and in it, grouped per
// StockRecordId and per class in file order: all the movement report adds up,
// half the size of whole issues. Ids that cannot name a record of Base.dat
// (damaged files only) keep lists of their own.
class AmountIndex
{
public:
    enum Class { Before = 0, During = 1 };

    explicit AmountIndex(qint64 stockCount) : m_denseCount(size_t(std::max<qint64>(stockCount, 0)))
    { }

    void reserve(qint64 issues)
    {
        m_amounts.reserve(size_t(std::max<qint64>(issues, 0)));
        m_keys.reserve(size_t(std::max<qint64>(issues, 0)));
    }

    void add(qint32 stockId, Class c, double quantity, double sum)
    {
        if (dense(stockId)) {
            m_keys.push_back(uint32_t(stockId) * 2 + uint32_t(c));
            m_amounts.push_back({quantity, sum});
        } else {
            m_sparse[qint64(stockId) * 2 + c].push_back({quantity, sum});
        }
    }

    // Groups what was added, each class of each id in file order; called once.
    void group() { m_start = groupByKey(m_keys, m_amounts, m_denseCount * 2); }

    template<class Fn> void forEach(qint32 stockId, Class c, Fn &&fn) const
    {
        if (dense(stockId)) {
            const size_t k = size_t(stockId) * 2 + size_t(c);
            for (size_t i = m_start[k], end = m_start[k + 1]; i < end; ++i)
                fn(m_amounts[i].quantity, m_amounts[i].sum);
            return;
        }
        const auto it = m_sparse.find(qint64(stockId) * 2 + c);
        if (it != m_sparse.end())
            for (const Amount &a : it->second)
                fn(a.quantity, a.sum);
    }

private:
    struct Amount
    {
        double quantity;
        double sum;
    };

    bool dense(qint32 id) const { return id >= 0 && size_t(id) < m_denseCount; }

    size_t m_denseCount;
    std::vector<size_t> m_start; // class c of id i: [m_start[2i + c], m_start[2i + c + 1])
    std::vector<uint32_t> m_keys;
    std::vector<Amount> m_amounts;
    std::unordered_map<qint64, std::vector<Amount>> m_sparse;
};

// Reads the live issues of Rashod.dat that `keep(date)` accepts into `index`.
// `department(bytes)` returns the index of the issue's department, or -1 to
// skip the issue; without it every issue has department 0.
template<class Keep>
void readIssues(RecordScan &file, IssueIndex &index, Meter &meter, Keep &&keep,
                const std::function<int(const QByteArray &)> &department = {})
{
    index.reserve(file.count());
    file.forEach([&](const char *rec) {
        meter.step();
        if (isDeleted(rec, issueAt::Deleted))
            return;
        const double date = field::number(rec, issueAt::IssueDate);
        if (!keep(date))
            return;
        int dept = 0;
        if (department) {
            dept = department(rawText(rec, issueAt::Department));
            if (dept < 0)
                return;
        }
        index.add(field::int32(rec, issueAt::StockRecordId),
                  {date, field::number(rec, issueAt::IssuedQuantity),
                   field::number(rec, issueAt::IssuedSum), dept, -1});
    });
    index.group();
}

StockRecord decodeStock(const char *rec)
{
    StockRecord r;
    decode(rec, r);
    return r;
}

// Live stock records in file order that `select(bytes)` accepts, decoded whole.
template<class Select>
QVector<StockRecord> selectStock(const QString &dataDir, const Progress &progress, Select &&select)
{
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    Meter meter(progress, base.count());
    QVector<StockRecord> out;
    base.forEach([&](const char *rec) {
        meter.step();
        if (!isDeleted(rec, stockAt::Deleted) && select(rec))
            out.append(decodeStock(rec));
    });
    meter.done();
    return out;
}

// Every live stock record of `base` that has issues in `index`, with its
// RecordId; the meter steps over every record read.
template<class Fn>
void forEachIssuedStock(RecordScan &base, const IssueIndex &index, Meter &meter, Fn &&fn)
{
    base.forEach([&](const char *rec) {
        meter.step();
        if (isDeleted(rec, stockAt::Deleted))
            return;
        const qint32 id = field::int32(rec, stockAt::RecordId);
        if (index.contains(id))
            fn(rec, id);
    });
}

// Lines of the live stock records that have issues in `index`, with the sum
// of those issues (from zero, in file order) — one line per stock record.
QVector<IssuedLine> issuedLines(RecordScan &base, const IssueIndex &index, Meter &meter)
{
    QVector<IssuedLine> out;
    forEachIssuedStock(base, index, meter, [&](const char *rec, qint32 id) {
        IssuedLine line;
        line.stock = decodeStock(rec);
        index.forEach(id, [&](const Issue &i) {
            line.quantity += i.quantity;
            line.sum += i.sum;
        });
        out.append(std::move(line));
    });
    return out;
}

struct Period
{
    double start;
    double finish;
    bool contains(double date) const { return start <= date && date <= finish; }
};

Period period(const QDate &start, const QDate &finish)
{
    return {text::dateToSerial(start), text::dateToSerial(finish)};
}

} // namespace

QVector<StockRecord> expired(const QString &dataDir, const QDate &date, const Progress &progress)
{
    const double day = text::dateToSerial(date);
    return selectStock(dataDir, progress, [&](const char *rec) {
        return field::number(rec, stockAt::ExpiryDate) <= day
            && field::number(rec, stockAt::Quantity) != 0;
    });
}

QVector<StockRecord> inStock(const QString &dataDir, const Progress &progress)
{
    return selectStock(dataDir, progress,
                       [](const char *rec) { return field::number(rec, stockAt::Quantity) != 0; });
}

QVector<StockRecord> purchases(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress)
{
    const Period p = period(start, finish);
    return selectStock(dataDir, progress, [&](const char *rec) {
        return p.contains(field::number(rec, stockAt::ReceiptDate));
    });
}

QVector<IssuedLine> consumption(const QString &dataDir, const QDate &start, const QDate &finish,
                                const Progress &progress)
{
    const Period p = period(start, finish);
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    Meter meter(progress, base.count() + rashod.count());
    IssueIndex index(base.count());
    readIssues(rashod, index, meter, [&](double date) { return p.contains(date); });
    QVector<IssuedLine> out = issuedLines(base, index, meter);
    meter.done();
    return out;
}

QVector<IssuedLine> department(const QString &dataDir, const QDate &start, const QDate &finish,
                               const QString &department, const Progress &progress)
{
    const Period p = period(start, finish);
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    Meter meter(progress, base.count() + rashod.count());

    // A department text that no stored field can hold matches nothing.
    const QByteArray wanted = cp1251::encode(department);
    const bool storable = wanted.size() <= issueAt::Department.capacity
        && cp1251::decode(wanted.constData(), int(wanted.size())) == department;

    IssueIndex index(base.count());
    readIssues(
        rashod, index, meter, [&](double date) { return storable && p.contains(date); },
        [&](const QByteArray &stored) { return stored == wanted ? 0 : -1; });
    QVector<IssuedLine> out = issuedLines(base, index, meter);
    meter.done();
    return out;
}

QVector<DepartmentBlock> departments(const QString &dataDir, const QDate &start,
                                     const QDate &finish, const Progress &progress)
{
    return departmentLines(dataDir, start, finish, progress).toBlocks();
}

DepartmentLines departmentLines(const QString &dataDir, const QDate &start, const QDate &finish,
                                const Progress &progress)
{
    const Period p = period(start, finish);
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    RecordScan otdelenie(dataDir, files::Otdelenie, ReferenceEntry::Size);
    Meter meter(progress, otdelenie.count() + base.count() + rashod.count());

    // Live entries in file order; entries of the same name share one set of lines.
    QHash<QByteArray, int> nameIndex;
    QVector<QString> names;
    QVector<int> entries;
    otdelenie.forEach([&](const char *rec) {
        meter.step();
        if (isDeleted(rec, entryAt::Deleted))
            return;
        const QByteArray raw = rawText(rec, entryAt::Name);
        auto it = nameIndex.constFind(raw);
        if (it == nameIndex.cend()) {
            it = nameIndex.insert(QByteArray(raw.constData(), raw.size()), int(names.size()));
            names.append(cp1251::decode(raw.constData(), int(raw.size())));
        }
        entries.append(it.value());
    });

    DepartmentLines out;
    {
        IssueIndex index(base.count());
        if (!nameIndex.isEmpty())
            readIssues(
                rashod, index, meter, [&](double date) { return p.contains(date); },
                [&](const QByteArray &stored) { return nameIndex.value(stored, -1); });

        out.lines.resize(size_t(names.size()));
        struct Sums
        {
            int department;
            double quantity;
            double sum;
        };
        std::vector<Sums> sums;
        forEachIssuedStock(base, index, meter, [&](const char *rec, qint32 id) {
            sums.clear();
            index.forEach(id, [&](const Issue &i) {
                auto s = std::find_if(sums.begin(), sums.end(),
                                      [&](const Sums &x) { return x.department == i.department; });
                if (s == sums.end()) {
                    sums.push_back({i.department, 0, 0});
                    s = sums.end() - 1;
                }
                s->quantity += i.quantity;
                s->sum += i.sum;
            });
            const int stock = int(out.stock.size());
            out.stock.append(decodeStock(rec));
            for (const Sums &s : sums)
                out.lines[size_t(s.department)].push_back({stock, s.quantity, s.sum});
        });
    }
    for (int name : entries)
        if (!out.lines[size_t(name)].empty())
            out.blocks.push_back({names[name], name});
    meter.done();
    return out;
}

QVector<MovementLine> movement(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress)
{
    const double from = text::dateToSerial(start);
    const double to = text::dateToSerial(finish);
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    RecordScan names(dataDir, files::NamePreparat, DrugNameEntry::Size);
    Meter meter(progress, names.count() + base.count() + rashod.count());

    // Issues after Finish count nowhere; all others before Start or in the period,
    // each kept as its two amounts in its class.
    AmountIndex index(base.count());
    index.reserve(rashod.count());
    rashod.forEach([&](const char *rec) {
        meter.step();
        if (isDeleted(rec, issueAt::Deleted))
            return;
        const double date = field::number(rec, issueAt::IssueDate);
        AmountIndex::Class c;
        if (date < from)
            c = AmountIndex::Before;
        else if (date <= to)
            c = AmountIndex::During;
        else
            return;
        index.add(field::int32(rec, issueAt::StockRecordId), c,
                  field::number(rec, issueAt::IssuedQuantity),
                  field::number(rec, issueAt::IssuedSum));
    });
    index.group();

    struct Receipt
    {
        double date, quantity, sum;
        qint32 id;
    };
    // A drug is its name and unit as stored: the code page maps bytes to
    // characters one to one, so equal bytes are equal texts, and only the
    // lines written are decoded. The name's length leads, so no name and unit
    // run together into another's.
    QByteArray key;
    const auto keyOf = [&key](const char *rec, TextField name,
                              TextField unit) -> const QByteArray & {
        const QByteArray n = rawText(rec, name);
        const QByteArray u = rawText(rec, unit);
        key.resize(0);
        key.append(char(n.size())).append(n).append(u);
        return key;
    };
    QHash<QByteArray, int> drugIndex;
    QVector<QVector<Receipt>> receipts;
    base.forEach([&](const char *rec) {
        meter.step();
        if (isDeleted(rec, stockAt::Deleted))
            return;
        auto it = drugIndex.constFind(keyOf(rec, stockAt::DrugName, stockAt::Unit));
        if (it == drugIndex.cend()) {
            it = drugIndex.insert(QByteArray(key.constData(), key.size()), int(receipts.size()));
            receipts.emplaceBack();
        }
        receipts[it.value()].append({field::number(rec, stockAt::ReceiptDate),
                                     field::number(rec, stockAt::ReceivedQuantity),
                                     field::number(rec, stockAt::ReceivedSum),
                                     field::int32(rec, stockAt::RecordId)});
    });

    QVector<MovementLine> out;
    QSet<QByteArray> visited;
    names.forEach([&](const char *rec) {
        meter.step();
        const QByteArray &k = keyOf(rec, drugAt::Name, drugAt::Unit);
        if (visited.contains(k))
            return;
        visited.insert(QByteArray(k.constData(), k.size()));
        const auto it = drugIndex.constFind(k);
        if (it == drugIndex.cend())
            return;
        MovementLine line;
        line.name = field::text(rec, drugAt::Name);
        line.unit = field::text(rec, drugAt::Unit);
        for (const Receipt &r : receipts[it.value()]) {
            if (r.date < from) {
                line.receivedBeforeQuantity += r.quantity;
                line.receivedBeforeSum += r.sum;
            } else if (r.date <= to) {
                line.receivedQuantity += r.quantity;
                line.receivedSum += r.sum;
            }
            // Each total adds its class's issues in file order, as one
            // walk through all of them in file order would.
            index.forEach(r.id, AmountIndex::Before, [&](double quantity, double sum) {
                line.issuedBeforeQuantity += quantity;
                line.issuedBeforeSum += sum;
            });
            index.forEach(r.id, AmountIndex::During, [&](double quantity, double sum) {
                line.issuedQuantity += quantity;
                line.issuedSum += sum;
            });
        }
        out.append(std::move(line));
    });
    meter.done();
    return out;
}

QVector<IssueBlock> issueDates(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress)
{
    const Period p = period(start, finish);
    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);
    Meter meter(progress, base.count() + rashod.count());
    IssueIndex index(base.count());
    readIssues(rashod, index, meter, [&](double date) { return p.contains(date); });

    QVector<IssueBlock> out;
    forEachIssuedStock(base, index, meter, [&](const char *rec, qint32 id) {
        IssueBlock block;
        block.stock = decodeStock(rec);
        block.issues.reserve(index.count(id));
        index.forEach(id, [&](const Issue &i) {
            block.issues.append({i.date, i.quantity, i.sum});
        });
        out.append(std::move(block));
    });
    meter.done();
    return out;
}

} // namespace vedaris::reports::pass

namespace vedaris::reports {

DepartmentLines DepartmentLines::of(const QVector<DepartmentBlock> &blocks)
{
    DepartmentLines out;
    for (const DepartmentBlock &b : blocks) {
        if (b.lines.isEmpty())
            continue;
        std::vector<Line> lines;
        for (const IssuedLine &l : b.lines) {
            lines.push_back({int(out.stock.size()), l.quantity, l.sum});
            out.stock.append(l.stock);
        }
        out.blocks.push_back({b.name, int(out.lines.size())});
        out.lines.push_back(std::move(lines));
    }
    return out;
}

QVector<DepartmentBlock> DepartmentLines::toBlocks() const
{
    QVector<DepartmentBlock> out;
    for (const Block &b : blocks) {
        DepartmentBlock block{b.name, {}};
        for (const Line &l : lines[size_t(b.lines)])
            block.lines.append({stock[l.stock], l.quantity, l.sum});
        out.append(std::move(block));
    }
    return out;
}

} // namespace vedaris::reports
