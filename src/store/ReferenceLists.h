#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace vedaris {

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

} // namespace vedaris
