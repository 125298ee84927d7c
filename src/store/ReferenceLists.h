#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

namespace vedaris {

class RecordFile;
class Transaction;

enum class RefKind { DrugNames, Suppliers, Manufacturers, Departments };

struct RefRow
{
    QString name;
    QString unit; // drug names only
    qint32 entryId = 0;
};

// One of the four reference lists in its data file. Every call opens the file,
// does its work and closes it; failures throw Error.
class ReferenceList
{
public:
    enum class AddResult { Stored, Duplicate };

    ReferenceList(QString dataDir, RefKind kind);

    static QString fileName(RefKind kind);
    RefKind kind() const { return m_kind; }

    // Duplicate test on the normalised name (and, for drug names, the unit),
    // then the entry goes into the first deleted slot or is appended.
    AddResult add(const QString &name, const QString &unit = {}) const;
    // Live entries in file order: the selection and deletion lists.
    QVector<RefRow> liveRows() const;
    QStringList liveNames() const;
    // Marks the first entry whose EntryId is `entryId` deleted (whatever its mark).
    void remove(qint32 entryId) const;

private:
    QString m_dataDir;
    RefKind m_kind;
};

// ReferenceList::add as one step of a larger all-or-nothing change under `tx`:
// the duplicate test runs at once on the open file; when no live entry matches,
// the slot of the new entry is kept in `tx`, and store(), after tx.begin(),
// writes the entry there.
class PendingAdd
{
public:
    PendingAdd(Transaction &tx, const QString &dataDir, RefKind kind, const QString &name,
               const QString &unit = {});
    ~PendingAdd();
    PendingAdd(const PendingAdd &) = delete;
    PendingAdd &operator=(const PendingAdd &) = delete;

    // The live entry the duplicate test matched; store() then writes nothing.
    const std::optional<RefRow> &duplicate() const;
    // The sentence that names the add when it did not finish.
    const QString &undone() const;
    void store();
    void close(); // throws on failure; the destructor closes silently

    struct Plan;

private:
    std::unique_ptr<Plan> d;
};

} // namespace vedaris
