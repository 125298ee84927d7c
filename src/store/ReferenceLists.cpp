#include "ReferenceLists.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "History.h"
#include "Journal.h"
#include "RecordFile.h"
#include "Records.h"
#include "TextFormats.h"

#include <QStringList>

namespace vedaris {

struct PendingAdd::Plan
{
    std::unique_ptr<RecordFile> file;
    std::optional<RefRow> duplicate;
    qint64 slot = 0;
    QByteArray bytes; // the new entry
    QString undone;
};

namespace {

QString lowerCased(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = cp1251::toLower(c);
    return out;
}

template<class Entry> RefRow rowOf(const Entry &e)
{
    RefRow row;
    row.name = e.Name;
    if constexpr (requires { e.Unit; })
        row.unit = e.Unit;
    row.entryId = e.EntryId;
    return row;
}

// The entry's kind as the sentence about an unfinished change names it.
QString entryOf(RefKind kind)
{
    switch (kind) {
    case RefKind::DrugNames:
        return QStringLiteral("препарата");
    case RefKind::Suppliers:
        return QStringLiteral("фирмы-поставщика");
    case RefKind::Manufacturers:
        return QStringLiteral("фирмы-изготовителя");
    case RefKind::Departments:
        return QStringLiteral("отделения");
    }
    return {};
}

QString shownName(const QString &name, const QString &unit)
{
    return unit.isEmpty() ? QStringLiteral("\"%1\"").arg(name)
                          : QStringLiteral("\"%1\" (%2)").arg(name, unit);
}

// The typed texts are compared as they would be stored (cut to capacity, '?'
// for what the code page cannot hold): otherwise a name longer than its field
// never matches its own stored copy and is stored again on every try.
template<class Entry>
void planAdd(PendingAdd::Plan &plan, Transaction &tx, RefKind kind, const QString &name,
             const QString &unit)
{
    constexpr bool drug = requires(Entry e)
    {
        e.Unit;
    };
    constexpr TextField nameField = Entry::Layout::Name;
    const QString nameKey = text::normalizeName(cp1251::stored(name, nameField.capacity));
    const QString unitKey =
        drug ? lowerCased(cp1251::stored(unit, layout::DrugName::Unit.capacity)) : QString();

    RecordFile &f = *plan.file;
    f.scan([&](qint64, const char *bytes) {
        if (bytes[Entry::DeletedOffset] != 0)
            return true;
        if constexpr (drug) {
            if (lowerCased(field::text(bytes, layout::DrugName::Unit)) != unitKey)
                return true;
        }
        if (text::normalizeName(field::text(bytes, nameField)) != nameKey)
            return true;
        Entry e;
        decode(bytes, e);
        plan.duplicate = rowOf(e);
        return false;
    });
    if (plan.duplicate)
        return;

    Entry e;
    e.Name = name;
    if constexpr (drug)
        e.Unit = unit;
    plan.slot = f.firstDeletedSlot(Entry::DeletedOffset);
    e.EntryId = qint32(plan.slot);
    e.Deleted = 0;
    plan.bytes = QByteArray(Entry::Size, Qt::Uninitialized);
    encode(e, plan.bytes.data());
    tx.keepRecord(f, plan.slot, plan.bytes);
    plan.undone = QStringLiteral("Добавление %1 %2 в справочник не было завершено и отменено.")
                      .arg(entryOf(kind),
                           shownName(cp1251::stored(name, nameField.capacity),
                                     drug ? cp1251::stored(unit, layout::DrugName::Unit.capacity)
                                          : QString()));
}

template<class Entry> QVector<RefRow> liveRowsOf(const QString &file)
{
    QVector<RefRow> rows;
    TypedFile<Entry> f(file, RecordFile::ReadOnly);
    f.forEach([&](qint64, const Entry &e) {
        if (e.Deleted == 0)
            rows.append(rowOf(e));
        return true;
    });
    f.raw().close();
    return rows;
}

template<class Entry> void removeEntry(const QString &dataDir, RefKind kind, qint32 entryId)
{
    Transaction tx(dataDir);
    RecordFile f(files::path(dataDir, ReferenceList::fileName(kind)), Entry::Size);
    qint64 found = -1;
    QString shown;
    f.scan([&](qint64 index, const char *bytes) {
        if (field::int32(bytes, Entry::IdOffset) != entryId)
            return true;
        found = index;
        QString unit;
        if constexpr (requires(Entry e) { e.Unit; })
            unit = field::text(bytes, layout::DrugName::Unit);
        shown = shownName(field::text(bytes, Entry::Layout::Name), unit);
        return false;
    });
    if (found >= 0) {
        tx.keepByte(f, found, Entry::DeletedOffset, 1);
        tx.begin(QStringLiteral("Удаление %1 %2 из справочника не было завершено и отменено.")
                     .arg(entryOf(kind), shown),
                 history::kind::ReferenceDelete);
        f.markDeleted(found, Entry::DeletedOffset);
        tx.commit();
    }
    f.close();
}

} // namespace

ReferenceList::ReferenceList(QString dataDir, RefKind kind)
    : m_dataDir(std::move(dataDir)), m_kind(kind)
{ }

QString ReferenceList::fileName(RefKind kind)
{
    switch (kind) {
    case RefKind::DrugNames:
        return files::NamePreparat;
    case RefKind::Suppliers:
        return files::FirmaPostav;
    case RefKind::Manufacturers:
        return files::Izgotovitel;
    case RefKind::Departments:
        return files::Otdelenie;
    }
    return {};
}

ReferenceList::AddResult ReferenceList::add(const QString &name, const QString &unit) const
{
    Transaction tx(m_dataDir);
    PendingAdd pending(tx, m_dataDir, m_kind, name, unit);
    if (pending.duplicate()) {
        pending.close();
        return AddResult::Duplicate;
    }
    tx.begin(pending.undone(), history::kind::ReferenceAdd);
    pending.store();
    tx.commit();
    pending.close();
    return AddResult::Stored;
}

PendingAdd::PendingAdd(Transaction &tx, const QString &dataDir, RefKind kind, const QString &name,
                       const QString &unit)
    : d(std::make_unique<Plan>())
{
    const int size = kind == RefKind::DrugNames ? DrugNameEntry::Size : ReferenceEntry::Size;
    d->file =
        std::make_unique<RecordFile>(files::path(dataDir, ReferenceList::fileName(kind)), size);
    if (kind == RefKind::DrugNames)
        planAdd<DrugNameEntry>(*d, tx, kind, name, unit);
    else
        planAdd<ReferenceEntry>(*d, tx, kind, name, unit);
}

PendingAdd::~PendingAdd() = default;

const std::optional<RefRow> &PendingAdd::duplicate() const
{
    return d->duplicate;
}

const QString &PendingAdd::undone() const
{
    return d->undone;
}

void PendingAdd::store()
{
    if (!d->duplicate)
        d->file->writeRaw(d->slot, d->bytes);
}

void PendingAdd::close()
{
    d->file->close();
}

QVector<RefRow> ReferenceList::liveRows() const
{
    const QString file = files::path(m_dataDir, fileName(m_kind));
    if (m_kind == RefKind::DrugNames)
        return liveRowsOf<DrugNameEntry>(file);
    return liveRowsOf<ReferenceEntry>(file);
}

QStringList ReferenceList::liveNames() const
{
    QStringList names;
    for (const RefRow &row : liveRows())
        names.append(row.name);
    return names;
}

void ReferenceList::remove(qint32 entryId) const
{
    if (m_kind == RefKind::DrugNames)
        removeEntry<DrugNameEntry>(m_dataDir, m_kind, entryId);
    else
        removeEntry<ReferenceEntry>(m_dataDir, m_kind, entryId);
}

} // namespace vedaris
