#include "ReferenceLists.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "RecordFile.h"
#include "Records.h"
#include "TextFormats.h"

#include <QStringList>

namespace vedaris {

namespace {

QString lowerCased(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = cp1251::toLower(c);
    return out;
}

template<class Entry>
RefRow rowOf(const Entry &e)
{
    RefRow row;
    row.name = e.Name;
    if constexpr (requires { e.Unit; })
        row.unit = e.Unit;
    row.entryId = e.EntryId;
    return row;
}

// The typed texts are compared as they would be stored (cut to capacity, '?'
// for what the code page cannot hold): otherwise a name longer than its field
// never matches its own stored copy and is stored again on every try.
template<class Entry>
ReferenceList::AddResult addEntry(const QString &file, const QString &name, const QString &unit)
{
    constexpr bool drug = requires(Entry e) { e.Unit; };
    constexpr TextField nameField = Entry::Layout::Name;
    const QString nameKey = text::normalizeName(cp1251::stored(name, nameField.capacity));
    const QString unitKey =
        drug ? lowerCased(cp1251::stored(unit, layout::DrugName::Unit.capacity)) : QString();

    TypedFile<Entry> f(file);
    bool duplicate = false;
    f.raw().scan([&](qint64, const char *bytes) {
        if (bytes[Entry::DeletedOffset] != 0)
            return true;
        if constexpr (drug) {
            if (lowerCased(field::text(bytes, layout::DrugName::Unit)) != unitKey)
                return true;
        }
        duplicate = text::normalizeName(field::text(bytes, nameField)) == nameKey;
        return !duplicate;
    });
    if (duplicate) {
        f.raw().close();
        return ReferenceList::AddResult::Duplicate;
    }

    Entry e;
    e.Name = name;
    if constexpr (drug)
        e.Unit = unit;
    f.add(e);
    f.raw().sync();
    f.raw().close();
    return ReferenceList::AddResult::Stored;
}

template<class Entry>
QVector<RefRow> liveRowsOf(const QString &file)
{
    QVector<RefRow> rows;
    TypedFile<Entry> f(file);
    f.forEach([&](qint64, const Entry &e) {
        if (e.Deleted == 0)
            rows.append(rowOf(e));
        return true;
    });
    f.raw().close();
    return rows;
}

template<class Entry>
void removeEntry(const QString &file, qint32 entryId)
{
    RecordFile f(file, Entry::Size);
    qint64 found = -1;
    f.scan([&](qint64 index, const char *bytes) {
        if (field::int32(bytes, Entry::IdOffset) != entryId)
            return true;
        found = index;
        return false;
    });
    if (found >= 0) {
        f.markDeleted(found, Entry::DeletedOffset);
        f.sync();
    }
    f.close();
}

} // namespace

ReferenceList::ReferenceList(QString dataDir, RefKind kind)
    : m_dataDir(std::move(dataDir)), m_kind(kind)
{
}

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
    const QString file = files::path(m_dataDir, fileName(m_kind));
    if (m_kind == RefKind::DrugNames)
        return addEntry<DrugNameEntry>(file, name, unit);
    return addEntry<ReferenceEntry>(file, name, unit);
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
    const QString file = files::path(m_dataDir, fileName(m_kind));
    if (m_kind == RefKind::DrugNames)
        removeEntry<DrugNameEntry>(file, entryId);
    else
        removeEntry<ReferenceEntry>(file, entryId);
}

} // namespace vedaris
