#include "Mirror.h"

#include "Pg.h"
#include "Schema.h"
#include "store/Cp1251.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/IntegrityCheck.h"
#include "store/Records.h"

#include <QDir>
#include <QSysInfo>
#include <charconv>
#include <cmath>
#include <cstring>
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
            case '\\': out[n++] = '\\'; out[n++] = '\\'; break;
            case '\t': out[n++] = '\\'; out[n++] = 't'; break;
            case '\n': out[n++] = '\\'; out[n++] = 'n'; break;
            case '\r': out[n++] = '\\'; out[n++] = 'r'; break;
            default: {
                const char16_t u = b == 0 ? char16_t(0xFFFD) : cp1251::toUnicode(static_cast<unsigned char>(b)).unicode();
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

void tab(QByteArray &o) { o.append('\t'); }

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
    char buf[11] = {char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10), char('0' + y % 10), '-',
                    char('0' + m / 10), char('0' + m % 10), '-', char('0' + d / 10), char('0' + d % 10), 0};
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

void stockFields(QByteArray &o, const char *r)
{
    appendId(o, r, S::RecordId);
    appendText(o, r, S::DrugName);
    appendDay(o, r, S::ReceiptDate);
    appendText(o, r, S::Unit);
    appendText(o, r, S::Supplier);
    appendText(o, r, S::ReceiptDocument);
    appendText(o, r, S::Manufacturer);
    appendText(o, r, S::Series);
    for (int at : {S::Quantity, S::ReceivedQuantity, S::UnitPrice, S::TotalSum, S::ReceivedSum})
        appendNumber(o, field::number(r, at));
    appendDay(o, r, S::ExpiryDate);
}

void issueFields(QByteArray &o, const char *r)
{
    appendId(o, r, I::StockRecordId);
    appendText(o, r, I::DrugName);
    appendDay(o, r, I::ReceiptDate);
    appendText(o, r, I::Unit);
    appendText(o, r, I::Supplier);
    appendText(o, r, I::ReceiptDocument);
    appendText(o, r, I::Manufacturer);
    appendText(o, r, I::Series);
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

struct Spec
{
    const char *table;
    int size;
    int deletedOffset;
    const char *columns;
    void (*fields)(QByteArray &, const char *);
};

// In the order of files::All.
const Spec specs[6] = {
    {"stock_records", S::Size, S::Deleted,
     "record_id, drug_name, receipt_date, receipt_serial, unit, supplier, receipt_document, manufacturer, series, "
     "quantity, received_quantity, unit_price, total_sum, received_sum, expiry_date, expiry_serial",
     stockFields},
    {"issue_records", I::Size, I::Deleted,
     "stock_record_id, drug_name, receipt_date, receipt_serial, unit, supplier, receipt_document, manufacturer, "
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

// The database's current row of a slot.
struct Prior
{
    qint32 generation = -1; // -1: no row
    qint64 hash = 0;
    bool present = false;   // false: the slot was beyond the file's end
    bool live = false;
};

struct Row
{
    qint64 slot;
    qint32 generation;
};

qint64 parseInt(const char *&p)
{
    bool negative = *p == '-';
    if (negative)
        ++p;
    qint64 v = 0;
    while (*p >= '0' && *p <= '9')
        v = v * 10 + (*p++ - '0');
    if (*p == '\t')
        ++p;
    return negative ? -v : v;
}

std::vector<Prior> priorRows(pg::Connection &db, const QString &storeLiteral, const Spec &spec)
{
    std::vector<Prior> out;
    db.copyOut(QStringLiteral("COPY (SELECT slot, generation, hash, live FROM vedaris.%1 WHERE store = %2 "
                              "AND current) TO STDOUT")
                   .arg(QLatin1String(spec.table), storeLiteral),
               [&](const char *line, int length) {
                   std::string text(line, size_t(length));
                   const char *p = text.c_str();
                   const qint64 slot = parseInt(p);
                   Prior prior;
                   prior.generation = qint32(parseInt(p));
                   if (p[0] == '\\' && p[1] == 'N') {
                       p += 3;
                   } else {
                       prior.hash = parseInt(p);
                       prior.present = true;
                   }
                   prior.live = *p == 't';
                   if (slot < 0)
                       return;
                   if (size_t(slot) >= out.size())
                       out.resize(size_t(slot) + 1);
                   out[size_t(slot)] = prior;
               });
    return out;
}

QString sourceOf(const QString &dataDir)
{
    const QString canonical = QDir(dataDir).canonicalPath();
    return QSysInfo::machineHostName() + QLatin1Char(':') +
           QDir::toNativeSeparators(canonical.isEmpty() ? QDir(dataDir).absolutePath() : canonical);
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
    if (db.exec(QStringLiteral("SELECT to_regclass('vedaris.schema_info') IS NOT NULL")).text(0, 0) != QLatin1String("t"))
        throw Error({}, QStringLiteral("В базе уже есть схема vedaris, но она создана не vedaris-mirror (в ней нет "
                                       "таблицы schema_info). Загрузка отменена, ничего не записано."));
    const pg::Result v = db.exec(QStringLiteral("SELECT max(version) FROM vedaris.schema_info"));
    const int version = v.isNull(0, 0) ? 0 : int(v.integer(0, 0));
    if (version > schema::Version)
        throw Error({}, QStringLiteral("Схема vedaris в базе создана более новой версией vedaris-mirror (версия схемы "
                                       "%1, эта программа знает версию %2). Обновите vedaris-mirror. Ничего не "
                                       "записано.")
                            .arg(version)
                            .arg(schema::Version));
    if (version < schema::Version)
        throw Error({}, QStringLiteral("Схема vedaris в базе имеет неизвестную версию %1 (эта программа знает версию "
                                       "%2). Ничего не записано.")
                            .arg(version)
                            .arg(schema::Version));
}

QStringList storedFindings(pg::Connection &db, const QString &store)
{
    QStringList out;
    const pg::Result r = db.exec(QStringLiteral("SELECT file, record, text FROM vedaris.findings WHERE store = $1 "
                                                "ORDER BY ctid"),
                                 {store});
    for (int i = 0; i < r.rows(); ++i) {
        check::Finding f{r.text(i, 0), r.isNull(i, 1) ? -1 : r.integer(i, 1), r.text(i, 2)};
        out << f.line();
    }
    return out;
}

} // namespace

Outcome run(const Options &options)
{
    if (options.store.trimmed().isEmpty())
        throw Error({}, QStringLiteral("Не задано имя склада (--store)."));
    if (!QDir(options.dataDir).exists())
        throw Error({}, QStringLiteral("Нет папки данных %1.").arg(QDir::toNativeSeparators(options.dataDir)));

    pg::Connection db(options.conninfo);
    db.exec(QStringLiteral("BEGIN"));
    prepareSchema(db);

    Outcome out;
    const QString source = sourceOf(options.dataDir);
    const pg::Result known =
        db.exec(QStringLiteral("SELECT source FROM vedaris.stores WHERE store = $1 FOR UPDATE"), {options.store});
    if (known.rows() == 0) {
        db.exec(QStringLiteral("INSERT INTO vedaris.stores (store, source) VALUES ($1, $2)"), {options.store, source});
        out.firstLoad = true;
    } else if (known.text(0, 0) != source) {
        if (!options.replace)
            throw Error({}, QStringLiteral("Склад «%1» уже загружен в эту базу из другой папки (%2). Выберите другое "
                                           "имя склада или, если склад переехал в папку %3, запустите с --replace: "
                                           "его прежние строки будут заменены. Ничего не записано.")
                                .arg(options.store, known.text(0, 0), source));
        for (const Spec &spec : specs)
            db.exec(QStringLiteral("DELETE FROM vedaris.%1 WHERE store = $1").arg(QLatin1String(spec.table)),
                    {options.store});
        db.exec(QStringLiteral("UPDATE vedaris.stores SET source = $2, first_loaded = now() WHERE store = $1"),
                {options.store, source});
        out.firstLoad = true;
    }

    const QString storeLiteral = db.literal(options.store);
    std::array<std::vector<Prior>, 6> priors;
    if (!out.firstLoad)
        for (int f = 0; f < 6; ++f)
            priors[size_t(f)] = priorRows(db, storeLiteral, specs[f]);

    const snapshot::Files files = snapshot::read(options.dataDir, options.retry);

    // What changed, file by file.
    std::array<std::vector<Row>, 6> rows;
    for (int f = 0; f < 6; ++f) {
        const Spec &spec = specs[f];
        const QByteArray &bytes = files.bytes[size_t(f)];
        const std::vector<Prior> &prior = priors[size_t(f)];
        FileCounts &counts = out.files[size_t(f)];
        counts.file = files::All[f];
        counts.records = bytes.size() / spec.size;
        std::vector<Row> &changed = rows[size_t(f)];
        for (qint64 slot = 0; slot < counts.records; ++slot) {
            const char *rec = bytes.constData() + slot * spec.size;
            const bool live = static_cast<unsigned char>(rec[spec.deletedOffset]) != 1;
            if (size_t(slot) >= prior.size() || prior[size_t(slot)].generation < 0) {
                changed.push_back({slot, 0});
                ++counts.added;
                continue;
            }
            const Prior &p = prior[size_t(slot)];
            if (p.present && p.hash == digest(rec, spec.size))
                continue;
            if (!p.live && live) {
                changed.push_back({slot, p.generation + 1});
                ++counts.reused;
            } else {
                changed.push_back({slot, p.generation});
                ++(p.live && !live ? counts.deleted : counts.changed);
            }
        }
        for (size_t slot = size_t(counts.records); slot < prior.size(); ++slot)
            if (prior[slot].generation >= 0 && prior[slot].present)
                ++counts.vanished;
    }

    bool anything = out.firstLoad;
    for (const FileCounts &c : out.files)
        anything = anything || c.total() > 0;
    if (!anything) {
        out.findings = storedFindings(db, options.store);
        db.exec(QStringLiteral("ROLLBACK"));
        return out;
    }

    QByteArray storeText;
    pg::appendCopyText(storeText, options.store.toUtf8());
    for (int f = 0; f < 6; ++f) {
        const Spec &spec = specs[f];
        const QByteArray &bytes = files.bytes[size_t(f)];
        const std::vector<Row> &changed = rows[size_t(f)];
        const QString table = QLatin1String(spec.table);
        if (!changed.empty()) {
            const bool direct = priors[size_t(f)].empty();
            const QString target = direct ? QStringLiteral("vedaris.") + table : QStringLiteral("incoming_") + table;
            if (!direct)
                db.exec(QStringLiteral("CREATE TEMP TABLE %1 (LIKE vedaris.%2) ON COMMIT DROP").arg(target, table));
            size_t next = 0;
            db.copyIn(QStringLiteral("COPY %1 (store, slot, generation, current, present, live, deleted_mark, hash, "
                                     "%2) FROM STDIN")
                          .arg(target, QLatin1String(spec.columns)),
                      [&](QByteArray &o) {
                          for (int n = 0; n < 512 && next < changed.size(); ++n, ++next) {
                              const Row &row = changed[next];
                              const char *rec = bytes.constData() + row.slot * spec.size;
                              const int mark = static_cast<unsigned char>(rec[spec.deletedOffset]);
                              o.append(storeText);
                              tab(o);
                              appendInteger(o, row.slot);
                              tab(o);
                              appendInteger(o, row.generation);
                              o.append(mark == 1 ? "\tt\tt\tf\t" : "\tt\tt\tt\t");
                              appendInteger(o, mark);
                              tab(o);
                              appendInteger(o, digest(rec, spec.size));
                              spec.fields(o, rec);
                              o.append('\n');
                          }
                          return next < changed.size();
                      });
            if (!direct) {
                db.exec(QStringLiteral("UPDATE vedaris.%1 t SET current = false FROM %2 i WHERE t.store = i.store "
                                       "AND t.slot = i.slot AND t.current AND t.generation <> i.generation")
                            .arg(table, target));
                db.exec(QStringLiteral("DELETE FROM vedaris.%1 t USING %2 i WHERE t.store = i.store AND t.slot = "
                                       "i.slot AND t.generation = i.generation")
                            .arg(table, target));
                db.exec(QStringLiteral("INSERT INTO vedaris.%1 SELECT * FROM %2").arg(table, target));
            }
        }
        if (out.files[size_t(f)].vanished > 0)
            db.exec(QStringLiteral("UPDATE vedaris.%1 SET present = false, live = false, hash = NULL WHERE store = $1 "
                                   "AND current AND present AND slot >= $2")
                        .arg(table),
                    {options.store, QString::number(out.files[size_t(f)].records)});
    }

    // The broken rules of what was loaded, kept beside it for the next runs
    // and for anyone querying the database.
    check::Stream checker;
    for (int f = 0; f < 6; ++f) {
        checker.beginFile(files::All[f]);
        checker.feed(files.bytes[size_t(f)].constData(), files.bytes[size_t(f)].size());
        checker.endFile();
    }
    const check::Result checked = checker.finish();
    db.exec(QStringLiteral("DELETE FROM vedaris.findings WHERE store = $1"), {options.store});
    if (!checked.findings.isEmpty()) {
        qsizetype next = 0;
        db.copyIn(QStringLiteral("COPY vedaris.findings (store, file, record, text) FROM STDIN"), [&](QByteArray &o) {
            for (int n = 0; n < 512 && next < checked.findings.size(); ++n, ++next) {
                const check::Finding &finding = checked.findings[next];
                o.append(storeText);
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
    db.exec(QStringLiteral("UPDATE vedaris.stores SET last_loaded = now(), findings = $2 WHERE store = $1"),
            {options.store, QString::number(checked.findings.size())});
    db.exec(QStringLiteral("COMMIT"));
    out.wrote = true;
    return out;
}

QVector<StoreFigures> consolidated(const QString &conninfo, const QDate &date)
{
    pg::Connection db(conninfo);
    const bool ready = db.exec(QStringLiteral("SELECT to_regclass('vedaris.schema_info') IS NOT NULL")).text(0, 0) ==
                       QLatin1String("t");
    if (!ready)
        throw Error({}, QStringLiteral("В базе нет схемы vedaris: сначала загрузите склады командой vedaris-mirror."));
    const pg::Result v = db.exec(QStringLiteral("SELECT max(version) FROM vedaris.schema_info"));
    if (!v.isNull(0, 0) && v.integer(0, 0) != schema::Version)
        throw Error({}, QStringLiteral("Схема vedaris в базе имеет версию %1, эта программа знает версию %2. Обновите "
                                       "программу.")
                            .arg(v.integer(0, 0))
                            .arg(schema::Version));
    const pg::Result r = db.exec(QStringLiteral("SELECT store, batches, stock_value, expired_value, expiring_90_value, "
                                                "month_quantity, month_consumption FROM vedaris.store_figures($1::date)"),
                                 {date.toString(Qt::ISODate)});
    QVector<StoreFigures> out;
    for (int i = 0; i < r.rows(); ++i)
        out.push_back({r.text(i, 0), r.integer(i, 1), r.number(i, 2), r.number(i, 3), r.number(i, 4), r.number(i, 5),
                       r.number(i, 6)});
    return out;
}

} // namespace vedaris::mirror
