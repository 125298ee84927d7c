#include "Mirror.h"

#include "Pg.h"
#include "Schema.h"
#include "store/Cp1251.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/IntegrityCheck.h"
#include "store/Records.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSysInfo>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vedaris::mirror {

namespace {

using S = layout::Stock;
using I = layout::Issue;
using N = layout::DrugName;
using R = layout::Reference;

// Each byte of code page 1251 as the UTF-8 that COPY's text format takes:
// escapes for backslash, tab and line ends, and U+FFFD for the zero byte,
// which no PostgreSQL text can hold.
struct Utf8Table
{
    char bytes[256][4];
    unsigned char length[256];

    Utf8Table()
    {
        for (int b = 0; b < 256; ++b) {
            char *out = bytes[b];
            int n = 0;
            switch (b) {
            case '\\':
                out[n++] = '\\';
                out[n++] = '\\';
                break;
            case '\t':
                out[n++] = '\\';
                out[n++] = 't';
                break;
            case '\n':
                out[n++] = '\\';
                out[n++] = 'n';
                break;
            case '\r':
                out[n++] = '\\';
                out[n++] = 'r';
                break;
            default: {
                const char16_t u = b == 0
                    ? char16_t(0xFFFD)
                    : cp1251::toUnicode(static_cast<unsigned char>(b)).unicode();
                if (u < 0x80) {
                    out[n++] = char(u);
                } else if (u < 0x800) {
                    out[n++] = char(0xC0 | (u >> 6));
                    out[n++] = char(0x80 | (u & 0x3F));
                } else {
                    out[n++] = char(0xE0 | (u >> 12));
                    out[n++] = char(0x80 | ((u >> 6) & 0x3F));
                    out[n++] = char(0x80 | (u & 0x3F));
                }
            }
            }
            length[b] = static_cast<unsigned char>(n);
        }
    }
};

const Utf8Table &utf8()
{
    static const Utf8Table table;
    return table;
}

void tab(QByteArray &o)
{
    o.append('\t');
}

void appendText(QByteArray &o, const char *rec, TextField f)
{
    const Utf8Table &t = utf8();
    tab(o);
    const int n = std::min(int(static_cast<unsigned char>(rec[f.offset])), f.capacity);
    for (int i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(rec[f.offset + 1 + i]);
        o.append(t.bytes[b], t.length[b]);
    }
}

void appendNumber(QByteArray &o, double v)
{
    tab(o);
    if (std::isnan(v)) {
        o.append("NaN");
    } else if (std::isinf(v)) {
        o.append(v > 0 ? "Infinity" : "-Infinity");
    } else {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        o.append(buf, int(r.ptr - buf));
    }
}

void appendInteger(QByteArray &o, qint64 v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    o.append(buf, int(r.ptr - buf));
}

// A day serial as an SQL date (its whole days; a time of day dropped), or NULL
// when no date from the year 1 to 9999 has it. The serial itself goes into
// a column of its own.
void appendDate(QByteArray &o, double serial)
{
    tab(o);
    if (!std::isfinite(serial) || serial < -693593 || serial >= 2958466) {
        o.append("\\N");
        return;
    }
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(epoch + qint64(std::floor(serial))).getDate(&y, &m, &d);
    char buf[11] = {char('0' + y / 1000),
                    char('0' + y / 100 % 10),
                    char('0' + y / 10 % 10),
                    char('0' + y % 10),
                    '-',
                    char('0' + m / 10),
                    char('0' + m % 10),
                    '-',
                    char('0' + d / 10),
                    char('0' + d % 10),
                    0};
    o.append(buf, 10);
}

void appendDay(QByteArray &o, const char *rec, int offset)
{
    const double serial = field::number(rec, offset);
    appendDate(o, serial);
    appendNumber(o, serial);
}

void appendId(QByteArray &o, const char *rec, int offset)
{
    tab(o);
    appendInteger(o, field::int32(rec, offset));
}

// The batch's description, which an issue record carries as well.
template<class Layout> void batchFields(QByteArray &o, const char *r)
{
    appendText(o, r, Layout::DrugName);
    appendDay(o, r, Layout::ReceiptDate);
    appendText(o, r, Layout::Unit);
    appendText(o, r, Layout::Supplier);
    appendText(o, r, Layout::ReceiptDocument);
    appendText(o, r, Layout::Manufacturer);
    appendText(o, r, Layout::Series);
}

void stockFields(QByteArray &o, const char *r)
{
    appendId(o, r, S::RecordId);
    batchFields<S>(o, r);
    for (int at : {S::Quantity, S::ReceivedQuantity, S::UnitPrice, S::TotalSum, S::ReceivedSum})
        appendNumber(o, field::number(r, at));
    appendDay(o, r, S::ExpiryDate);
}

void issueFields(QByteArray &o, const char *r)
{
    appendId(o, r, I::StockRecordId);
    batchFields<I>(o, r);
    appendText(o, r, I::Department);
    for (int at : {I::IssuedQuantity, I::UnitPrice, I::IssuedSum})
        appendNumber(o, field::number(r, at));
    appendDay(o, r, I::IssueDate);
}

void drugNameFields(QByteArray &o, const char *r)
{
    appendId(o, r, N::EntryId);
    appendText(o, r, N::Name);
    appendText(o, r, N::Unit);
}

void referenceFields(QByteArray &o, const char *r)
{
    appendId(o, r, R::EntryId);
    appendText(o, r, R::Name);
}

struct FileTable
{
    const char *table;
    int size;
    int deletedOffset;
    const char *columns;
    void (*fields)(QByteArray &, const char *);
};

// In the order of files::All.
const FileTable fileTables[6] = {
    {"stock_records", S::Size, S::Deleted,
     "record_id, drug_name, receipt_date, receipt_serial, unit, supplier, receipt_document, "
     "manufacturer, series, "
     "quantity, received_quantity, unit_price, total_sum, received_sum, expiry_date, expiry_serial",
     stockFields},
    {"issue_records", I::Size, I::Deleted,
     "stock_record_id, drug_name, receipt_date, receipt_serial, unit, supplier, receipt_document, "
     "manufacturer, "
     "series, department, quantity, unit_price, issued_sum, issue_date, issue_serial",
     issueFields},
    {"drug_name_records", N::Size, N::Deleted, "entry_id, name, unit", drugNameFields},
    {"supplier_records", R::Size, R::Deleted, "entry_id, name", referenceFields},
    {"manufacturer_records", R::Size, R::Deleted, "entry_id, name", referenceFields},
    {"department_records", R::Size, R::Deleted, "entry_id, name", referenceFields},
};

// A 64-bit digest of a record's bytes: each step is a bijection of the state
// for a given word, so records differing in one word never collide.
qint64 digest(const char *bytes, int size)
{
    quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(size);
    int i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 w;
        std::memcpy(&w, bytes + i, 8);
        h ^= w;
        h *= 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    for (; i < size; ++i) {
        h ^= static_cast<unsigned char>(bytes[i]);
        h *= 0xC4CEB9FE1A85EC53ULL;
        h ^= h >> 29;
    }
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return static_cast<qint64>(h);
}

constexpr qint64 ChunkRecords = 64;

// The digest of a run of records from their digests, and how many there are.
qint64 chunkDigest(const qint64 *digests, qint64 count)
{
    quint64 h = 0x2545F4914F6CDD1DULL ^ quint64(count);
    for (qint64 i = 0; i < count; ++i) {
        h ^= quint64(digests[i]);
        h *= 0xFF51AFD7ED558CCDULL;
        h ^= h >> 31;
    }
    return static_cast<qint64>(h);
}

// The database's current row of a slot.
struct Prior
{
    qint32 generation = -1; // -1: no row
    qint64 hash = 0;
    bool present = false; // false: the slot was beyond the file's end
    bool live = false;
};

struct Row
{
    qint64 slot;
    qint32 generation;
};

// Slots [from, to).
struct Range
{
    qint64 from;
    qint64 to;
};

QString intArray(const std::vector<qint64> &values)
{
    QString out = QStringLiteral("{");
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += QString::number(values[i]);
    }
    return out + QLatin1Char('}');
}

// The current rows of the slots in `ranges`, by slot.
std::unordered_map<qint64, Prior> priorRows(pg::Connection &db, const QString &store,
                                            const FileTable &fileTable,
                                            const std::vector<Range> &ranges)
{
    std::unordered_map<qint64, Prior> out;
    if (ranges.empty())
        return out;
    std::vector<qint64> from, to;
    for (const Range &r : ranges) {
        from.push_back(r.from);
        to.push_back(r.to);
    }
    const pg::Result r =
        db.exec(QStringLiteral("SELECT t.slot, t.generation, t.hash, t.live FROM vedaris.%1 t "
                               "JOIN unnest($2::bigint[], $3::bigint[]) AS r(lo, hi) "
                               "ON t.slot >= r.lo AND t.slot < r.hi "
                               "WHERE t.store = $1 AND t.current")
                    .arg(QLatin1String(fileTable.table)),
                {store, intArray(from), intArray(to)});
    out.reserve(size_t(r.rows()));
    for (int i = 0; i < r.rows(); ++i) {
        Prior p;
        p.generation = qint32(r.integer(i, 1));
        p.present = !r.isNull(i, 2);
        p.hash = p.present ? r.integer(i, 2) : 0;
        p.live = r.text(i, 3) == QLatin1String("t");
        out[r.integer(i, 0)] = p;
    }
    return out;
}

QString sourceOf(const QString &dataDir)
{
    const QString canonical = QDir(dataDir).canonicalPath();
    return QSysInfo::machineHostName() + QLatin1Char(':')
        + QDir::toNativeSeparators(canonical.isEmpty() ? QDir(dataDir).absolutePath() : canonical);
}

// Takes the run's lock and makes sure the schema is there at this version.
void prepareSchema(pg::Connection &db)
{
    // All mirror runs on one database take turns: two first runs must not
    // both create the schema, and one store is loaded by one run at a time.
    db.exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('vedaris-mirror'))"));
    const bool schemaExists =
        db.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = 'vedaris'")).rows() > 0;
    if (!schemaExists) {
        db.script(schema::creation());
        return;
    }
    if (db.exec(QStringLiteral("SELECT to_regclass('vedaris.schema_info') IS NOT NULL")).text(0, 0)
        != QLatin1String("t"))
        throw Error(
            {},
            QStringLiteral(
                "В базе уже есть схема vedaris, но она создана не vedaris-mirror (в ней нет "
                "таблицы schema_info). Загрузка отменена, ничего не записано."));
    const pg::Result v = db.exec(QStringLiteral("SELECT max(version) FROM vedaris.schema_info"));
    const int version = v.isNull(0, 0) ? 0 : int(v.integer(0, 0));
    if (version > schema::Version)
        throw Error(
            {},
            QStringLiteral(
                "Схема vedaris в базе создана более новой версией vedaris-mirror (версия схемы "
                "%1, эта программа знает версию %2). Обновите vedaris-mirror. Ничего не "
                "записано.")
                .arg(version)
                .arg(schema::Version));
    if (version < schema::Version)
        throw Error(
            {},
            QStringLiteral(
                "Схема vedaris в базе имеет неизвестную версию %1 (эта программа знает версию "
                "%2). Ничего не записано.")
                .arg(version)
                .arg(schema::Version));
}

QStringList storedFindings(pg::Connection &db, const QString &store)
{
    QStringList out;
    const pg::Result r =
        db.exec(QStringLiteral("SELECT file, record, text FROM vedaris.findings WHERE store = $1 "
                               "ORDER BY n"),
                {store});
    for (int i = 0; i < r.rows(); ++i) {
        check::Finding f{r.text(i, 0), r.isNull(i, 1) ? -1 : r.integer(i, 1), r.text(i, 2)};
        out << f.line();
    }
    return out;
}

QElapsedTimer profileTimer;
void mark(const char *what)
{
    static const bool on = qEnvironmentVariableIsSet("VEDARIS_MIRROR_PROFILE");
    if (on)
        std::fprintf(stderr, "%8lld ms  %s\n", static_cast<long long>(profileTimer.elapsed()),
                     what);
}

// The store's check, run on a thread of its own beside the comparison and the
// load, over its own reading of the files within the same attempt (whose end
// still verifies that the files stayed as they were). Stopped when the
// attempt ends without needing it.
class BackgroundCheck
{
public:
    explicit BackgroundCheck(const QString &dataDir)
        : m_worker([this, dataDir] {
              try {
                  snapshot::Reader reader(dataDir);
                  check::Stream checker;
                  for (int f = 0; f < 6; ++f) {
                      checker.beginFile(files::All[f]);
                      reader.scan(
                          f, fileTables[f].size,
                          [&](qint64, const char *bytes, qint64 n) {
                              if (m_stop)
                                  throw Stopped{};
                              checker.feed(bytes, n * fileTables[f].size);
                          },
                          [&](const char *bytes, qint64 length) { checker.feed(bytes, length); });
                      checker.endFile();
                  }
                  m_result = checker.finish();
              } catch (const Stopped &) {
              } catch (...) {
                  m_error = std::current_exception();
              }
          })
    { }
    ~BackgroundCheck()
    {
        m_stop = true;
        if (m_worker.joinable())
            m_worker.join();
    }
    BackgroundCheck(const BackgroundCheck &) = delete;
    BackgroundCheck &operator=(const BackgroundCheck &) = delete;

    check::Result result()
    {
        m_worker.join();
        if (m_error)
            std::rethrow_exception(m_error);
        return std::move(m_result);
    }

private:
    struct Stopped
    { };
    std::atomic<bool> m_stop{false};
    check::Result m_result;
    std::exception_ptr m_error;
    std::thread m_worker; // last: starts once the members it uses exist
};

// One file's part of a run.
struct FileRun
{
    std::vector<qint64> digests; // per record
    std::vector<qint64> chunks; // per chunk of the file now
    std::vector<qint64> changedChunks; // differing from the database's, or gone
    std::vector<Row> rows; // to write
};

// Writes the rows of one file: straight into the table on a first load,
// otherwise through a temporary table that replaces the slots' current rows
// (or, for a reused slot, retires them). Each record is read again and must
// still have the digest the comparison saw.
void writeRows(pg::Connection &db, snapshot::Reader &reader, int f, const FileRun &run, bool direct,
               const QByteArray &storeText)
{
    const FileTable &fileTable = fileTables[f];
    const QString table = QLatin1String(fileTable.table);
    const QString target =
        direct ? QStringLiteral("vedaris.") + table : QStringLiteral("incoming_") + table;
    if (!direct)
        db.script(
            QStringLiteral(
                "CREATE TEMP TABLE IF NOT EXISTS %1 (LIKE vedaris.%2) ON COMMIT DROP; TRUNCATE %1")
                .arg(target, table));
    size_t next = 0;
    db.copyIn(
        QStringLiteral(
            "COPY %1 (store, slot, generation, current, present, live, deleted_mark, hash, %2) "
            "FROM STDIN")
            .arg(target, QLatin1String(fileTable.columns)),
        [&](QByteArray &o) {
            // A run of consecutive slots, read at once.
            size_t end = next + 1;
            while (end < run.rows.size() && end - next < 4096
                   && run.rows[end].slot == run.rows[end - 1].slot + 1)
                ++end;
            const qint64 first = run.rows[next].slot;
            const QByteArray bytes = reader.records(f, fileTable.size, first, qint64(end - next));
            if (bytes.size() != qint64(end - next) * fileTable.size)
                reader.moved();
            for (; next < end; ++next) {
                const Row &row = run.rows[next];
                const char *rec = bytes.constData() + (row.slot - first) * fileTable.size;
                const qint64 hash = digest(rec, fileTable.size);
                if (hash != run.digests[size_t(row.slot)])
                    reader.moved();
                const int mark = static_cast<unsigned char>(rec[fileTable.deletedOffset]);
                o.append(storeText);
                tab(o);
                appendInteger(o, row.slot);
                tab(o);
                appendInteger(o, row.generation);
                o.append(mark == 1 ? "\tt\tt\tf\t" : "\tt\tt\tt\t");
                appendInteger(o, mark);
                tab(o);
                appendInteger(o, hash);
                fileTable.fields(o, rec);
                o.append('\n');
            }
            return next < run.rows.size();
        });
    // Without statistics the planner may join a few changed rows to a
    // million by reading the whole table.
    db.exec(QStringLiteral("ANALYZE %1").arg(target));
    if (!direct) {
        db.exec(QStringLiteral(
                    "UPDATE vedaris.%1 t SET current = false FROM %2 i WHERE t.store = i.store "
                    "AND t.slot = i.slot AND t.current AND t.generation <> i.generation")
                    .arg(table, target));
        db.exec(QStringLiteral(
                    "DELETE FROM vedaris.%1 t USING %2 i WHERE t.store = i.store AND t.slot = "
                    "i.slot AND t.generation = i.generation")
                    .arg(table, target));
        db.exec(QStringLiteral("INSERT INTO vedaris.%1 SELECT * FROM %2").arg(table, target));
    }
}

} // namespace

Outcome run(const Options &options)
{
    profileTimer.start();
    if (options.store.trimmed().isEmpty())
        throw Error({}, QStringLiteral("Не задано имя склада (--store)."));
    if (!QDir(options.dataDir).exists())
        throw Error(
            {},
            QStringLiteral("Нет папки данных %1.").arg(QDir::toNativeSeparators(options.dataDir)));

    pg::Connection db(options.conninfo);
    db.exec(QStringLiteral("BEGIN"));
    prepareSchema(db);
    mark("schema");

    Outcome out;
    const QString &store = options.store;
    const QString source = sourceOf(options.dataDir);
    const pg::Result known = db.exec(
        QStringLiteral("SELECT source FROM vedaris.stores WHERE store = $1 FOR UPDATE"), {store});
    if (known.rows() == 0) {
        db.exec(QStringLiteral("INSERT INTO vedaris.stores (store, source) VALUES ($1, $2)"),
                {store, source});
        out.firstLoad = true;
    } else if (known.text(0, 0) != source) {
        if (!options.replace)
            throw Error(
                {},
                QStringLiteral(
                    "Склад «%1» уже загружен в эту базу из другой папки (%2). Выберите другое "
                    "имя склада или, если склад переехал в папку %3, запустите с --replace: "
                    "его прежние строки будут заменены. Ничего не записано.")
                    .arg(store, known.text(0, 0), source));
        for (const FileTable &fileTable : fileTables)
            db.exec(QStringLiteral("DELETE FROM vedaris.%1 WHERE store = $1")
                        .arg(QLatin1String(fileTable.table)),
                    {store});
        db.exec(QStringLiteral("DELETE FROM vedaris.chunks WHERE store = $1"), {store});
        db.exec(QStringLiteral(
                    "UPDATE vedaris.stores SET source = $2, first_loaded = now() WHERE store = $1"),
                {store, source});
        out.firstLoad = true;
    }

    // The database's chunk digests, by file.
    std::array<std::unordered_map<qint64, qint64>, 6> storedChunks;
    if (!out.firstLoad) {
        const pg::Result r = db.exec(
            QStringLiteral("SELECT file, chunk, digest FROM vedaris.chunks WHERE store = $1"),
            {store});
        for (int i = 0; i < r.rows(); ++i)
            storedChunks[size_t(r.integer(i, 0))][r.integer(i, 1)] = r.integer(i, 2);
    }
    mark("chunks");

    QByteArray storeText;
    pg::appendCopyText(storeText, store.toUtf8());
    db.exec(QStringLiteral("SAVEPOINT attempt"));
    snapshot::consistently(
        options.dataDir, options.retry,
        [&](snapshot::Reader &reader) {
            out.files = {};
            out.findings.clear();
            out.wrote = false;
            std::array<FileRun, 6> runs;

            // Every record's digest, and every chunk's.
            bool anything = out.firstLoad;
            for (int f = 0; f < 6; ++f) {
                const FileTable &fileTable = fileTables[f];
                FileRun &run = runs[size_t(f)];
                FileCounts &counts = out.files[size_t(f)];
                counts.file = files::All[f];
                counts.records = reader.length(f) / fileTable.size;
                run.digests.resize(size_t(counts.records));
                reader.scan(f, fileTable.size, [&](qint64 first, const char *bytes, qint64 n) {
                    for (qint64 i = 0; i < n; ++i)
                        run.digests[size_t(first + i)] =
                            digest(bytes + i * fileTable.size, fileTable.size);
                });
                const qint64 chunkCount = (counts.records + ChunkRecords - 1) / ChunkRecords;
                for (qint64 c = 0; c < chunkCount; ++c) {
                    const qint64 from = c * ChunkRecords;
                    run.chunks.push_back(chunkDigest(
                        run.digests.data() + from, std::min(ChunkRecords, counts.records - from)));
                    const auto stored = storedChunks[size_t(f)].find(c);
                    if (stored == storedChunks[size_t(f)].end()
                        || stored->second != run.chunks.back())
                        run.changedChunks.push_back(c);
                }
                for (const auto &[c, digest] : storedChunks[size_t(f)])
                    if (c >= chunkCount)
                        run.changedChunks.push_back(c);
                std::sort(run.changedChunks.begin(), run.changedChunks.end());
                anything = anything || !run.changedChunks.empty();
            }
            mark("digests");
            if (!anything)
                return;
            BackgroundCheck background(options.dataDir);

            // Within the changed chunks, what changed, slot by slot.
            for (int f = 0; f < 6; ++f) {
                const FileTable &fileTable = fileTables[f];
                FileRun &run = runs[size_t(f)];
                FileCounts &counts = out.files[size_t(f)];
                std::vector<Range> ranges;
                for (qint64 c : run.changedChunks) {
                    if (!ranges.empty() && ranges.back().to == c * ChunkRecords)
                        ranges.back().to += ChunkRecords;
                    else
                        ranges.push_back({c * ChunkRecords, (c + 1) * ChunkRecords});
                }
                const auto prior = out.firstLoad ? std::unordered_map<qint64, Prior>{}
                                                 : priorRows(db, store, fileTable, ranges);
                for (const Range &range : ranges) {
                    for (qint64 slot = range.from; slot < std::min(range.to, counts.records);
                         ++slot) {
                        const auto p = prior.find(slot);
                        if (p == prior.end()) {
                            run.rows.push_back({slot, 0});
                            ++counts.added;
                            continue;
                        }
                        if (p->second.present && p->second.hash == run.digests[size_t(slot)])
                            continue;
                        // Read the mark from the file only for slots that changed.
                        const QByteArray rec = reader.records(f, fileTable.size, slot, 1);
                        if (rec.size() != fileTable.size)
                            reader.moved();
                        const bool live =
                            static_cast<unsigned char>(rec[fileTable.deletedOffset]) != 1;
                        if (!p->second.live && live) {
                            run.rows.push_back({slot, p->second.generation + 1});
                            ++counts.reused;
                        } else {
                            run.rows.push_back({slot, p->second.generation});
                            ++(p->second.live && !live ? counts.deleted : counts.changed);
                        }
                    }
                }
                for (const auto &[slot, p] : prior)
                    if (slot >= counts.records && p.present)
                        ++counts.vanished;
            }
            mark("compared");
            bool rowsChanged = out.firstLoad;
            for (const FileCounts &c : out.files)
                rowsChanged = rowsChanged || c.total() > 0;

            for (int f = 0; f < 6; ++f) {
                const FileRun &run = runs[size_t(f)];
                const QString table = QLatin1String(fileTables[f].table);
                if (!run.rows.empty())
                    writeRows(db, reader, f, run, out.firstLoad, storeText);
                if (out.files[size_t(f)].vanished > 0)
                    db.exec(QStringLiteral("UPDATE vedaris.%1 SET present = false, live = false, "
                                           "hash = NULL WHERE "
                                           "store = $1 AND current AND present AND slot >= $2")
                                .arg(table),
                            {store, QString::number(out.files[size_t(f)].records)});
                if (run.changedChunks.empty())
                    continue;
                db.exec(QStringLiteral(
                            "DELETE FROM vedaris.chunks WHERE store = $1 AND file = $2 AND chunk = "
                            "ANY($3::integer[])"),
                        {store, QString::number(f), intArray(run.changedChunks)});
                size_t next = 0;
                db.copyIn(
                    QStringLiteral("COPY vedaris.chunks (store, file, chunk, digest) FROM STDIN"),
                    [&](QByteArray &o) {
                        for (int n = 0; n < 4096 && next < run.changedChunks.size(); ++next) {
                            const qint64 c = run.changedChunks[next];
                            if (c >= qint64(run.chunks.size()))
                                continue;
                            ++n;
                            o.append(storeText);
                            tab(o);
                            appendInteger(o, f);
                            tab(o);
                            appendInteger(o, c);
                            tab(o);
                            appendInteger(o, run.chunks[size_t(c)]);
                            o.append('\n');
                        }
                        return next < run.changedChunks.size();
                    });
            }
            mark("loaded");
            if (!rowsChanged)
                return; // no record changed after all: nothing to keep

            // The broken rules of what was loaded, kept beside it for the next
            // runs and for anyone querying the database.
            const check::Result checked = background.result();
            db.exec(QStringLiteral("DELETE FROM vedaris.findings WHERE store = $1"), {store});
            if (!checked.findings.isEmpty()) {
                qsizetype next = 0;
                db.copyIn(QStringLiteral(
                              "COPY vedaris.findings (store, n, file, record, text) FROM STDIN"),
                          [&](QByteArray &o) {
                              for (int n = 0; n < 512 && next < checked.findings.size();
                                   ++n, ++next) {
                                  const check::Finding &finding = checked.findings[next];
                                  o.append(storeText);
                                  tab(o);
                                  appendInteger(o, next);
                                  tab(o);
                                  pg::appendCopyText(o, finding.file.toUtf8());
                                  tab(o);
                                  if (finding.record < 0)
                                      o.append("\\N");
                                  else
                                      appendInteger(o, finding.record);
                                  tab(o);
                                  pg::appendCopyText(o, finding.text.toUtf8());
                                  o.append('\n');
                              }
                              return next < checked.findings.size();
                          });
            }
            for (const check::Finding &finding : checked.findings)
                out.findings << finding.line();
            db.exec(QStringLiteral("UPDATE vedaris.stores SET last_loaded = now(), findings = $2 "
                                   "WHERE store = $1"),
                    {store, QString::number(checked.findings.size())});
            out.wrote = true;
            mark("checked");
        },
        [&] { db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT attempt")); });

    if (!out.wrote) {
        out.findings = storedFindings(db, store);
        db.exec(QStringLiteral("ROLLBACK"));
        return out;
    }
    db.exec(QStringLiteral("COMMIT"));
    mark("committed");
    return out;
}

QVector<StoreFigures> consolidated(const QString &conninfo, const QDate &date)
{
    pg::Connection db(conninfo);
    const bool ready =
        db.exec(QStringLiteral("SELECT to_regclass('vedaris.schema_info') IS NOT NULL")).text(0, 0)
        == QLatin1String("t");
    if (!ready)
        throw Error(
            {},
            QStringLiteral(
                "В базе нет схемы vedaris: сначала загрузите склады командой vedaris-mirror."));
    const pg::Result v = db.exec(QStringLiteral("SELECT max(version) FROM vedaris.schema_info"));
    if (!v.isNull(0, 0) && v.integer(0, 0) != schema::Version)
        throw Error(
            {},
            QStringLiteral(
                "Схема vedaris в базе имеет версию %1, эта программа знает версию %2. Обновите "
                "программу.")
                .arg(v.integer(0, 0))
                .arg(schema::Version));
    const pg::Result r = db.exec(
        QStringLiteral("SELECT store, batches, stock_value, expired_value, expiring_90_value, "
                       "month_quantity, month_consumption FROM vedaris.store_figures($1::date)"),
        {date.toString(Qt::ISODate)});
    QVector<StoreFigures> out;
    for (int i = 0; i < r.rows(); ++i)
        out.push_back({r.text(i, 0), r.integer(i, 1), r.number(i, 2), r.number(i, 3),
                       r.number(i, 4), r.number(i, 5), r.number(i, 6)});
    return out;
}

} // namespace vedaris::mirror
