#include "Journal.h"

#include "DataFiles.h"
#include "DiskIo.h"
#include "Error.h"
#include "RecordFile.h"
#include "WriteGate.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <optional>
#include <vector>

namespace vedaris {

namespace {

// The journal, little-endian: the magic "VEDJRNL1"; u32 length and the UTF-8
// sentence; u32 number of files; per file a u8 length and the file's name, the
// i64 old length, u32 number of ranges, per range the i64 offset, u32 length
// and the old bytes; then the SHA-256 of everything before it.
const QByteArray Magic = QByteArrayLiteral("VEDJRNL1");
constexpr int DigestSize = 32;

struct Range
{
    qint64 offset = 0;
    QByteArray old;
};

struct Change
{
    QString name; // one of files::All
    qint64 oldLength = 0;
    std::vector<Range> ranges;
};

struct Content
{
    QString undone;
    std::vector<Change> changes;
};

QString journalPath(const QString &dataDir)
{
    return files::path(dataDir, Transaction::FileName);
}

template<class T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray encode(const Content &c)
{
    QByteArray out = Magic;
    const QByteArray text = c.undone.toUtf8();
    put<quint32>(out, quint32(text.size()));
    out += text;
    put<quint32>(out, quint32(c.changes.size()));
    for (const Change &change : c.changes) {
        const QByteArray name = change.name.toLatin1();
        put<quint8>(out, quint8(name.size()));
        out += name;
        put<qint64>(out, change.oldLength);
        put<quint32>(out, quint32(change.ranges.size()));
        for (const Range &r : change.ranges) {
            put<qint64>(out, r.offset);
            put<quint32>(out, quint32(r.old.size()));
            out += r.old;
        }
    }
    out += QCryptographicHash::hash(out, QCryptographicHash::Sha256);
    return out;
}

class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_bytes.size(); }

    QByteArray bytes(qint64 n)
    {
        if (!m_ok || n < 0 || m_bytes.size() - m_at < n) {
            m_ok = false;
            return {};
        }
        const QByteArray out = m_bytes.sliced(m_at, n).toByteArray();
        m_at += n;
        return out;
    }
    template<class T>
    T number()
    {
        const QByteArray b = bytes(sizeof(T));
        return m_ok ? qFromLittleEndian<T>(b.constData()) : T(0);
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// Nothing when the journal was cut short or is not one of ours.
std::optional<Content> decode(const QByteArray &all)
{
    if (all.size() < Magic.size() + DigestSize)
        return std::nullopt;
    const QByteArrayView body = QByteArrayView(all).first(all.size() - DigestSize);
    if (QCryptographicHash::hash(body, QCryptographicHash::Sha256) != all.right(DigestSize))
        return std::nullopt;
    Reader in(body);
    if (in.bytes(Magic.size()) != Magic)
        return std::nullopt;
    Content c;
    c.undone = QString::fromUtf8(in.bytes(in.number<quint32>()));
    const quint32 count = in.number<quint32>();
    for (quint32 i = 0; in.ok() && i < count; ++i) {
        Change change;
        change.name = QString::fromLatin1(in.bytes(in.number<quint8>()));
        change.oldLength = in.number<qint64>();
        if (!files::All.contains(change.name) || change.oldLength < 0)
            return std::nullopt;
        const quint32 ranges = in.number<quint32>();
        for (quint32 k = 0; in.ok() && k < ranges; ++k) {
            Range r;
            r.offset = in.number<qint64>();
            r.old = in.bytes(in.number<quint32>());
            if (r.offset < 0 || r.offset + r.old.size() > change.oldLength)
                return std::nullopt;
            change.ranges.push_back(std::move(r));
        }
        c.changes.push_back(std::move(change));
    }
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return c;
}

void writeAll(QFile &file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 put = disk::write(file, bytes.constData() + done, bytes.size() - done);
        if (put <= 0)
            throw Error(file.fileName(), file.errorString());
        done += put;
    }
}

// Old bytes back, appended records cut off, every file synced. Running it again
// after a crash half way gives the same files.
void playBack(const QString &dataDir, const Content &c)
{
    for (const Change &change : c.changes) {
        QFile f(files::path(dataDir, change.name));
        if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
            throw Error(f.fileName(), f.errorString());
        for (const Range &r : change.ranges) {
            if (!f.seek(r.offset))
                throw Error(f.fileName(), f.errorString());
            writeAll(f, r.old);
        }
        if (f.size() > change.oldLength && !disk::truncate(f, change.oldLength))
            throw Error(f.fileName(), f.errorString());
        if (!disk::sync(f))
            throw Error(f.fileName(), disk::reason());
        f.close();
    }
}

void removeJournal(const QString &dataDir)
{
    QFile journal(journalPath(dataDir));
    if (!disk::remove(journal))
        throw Error(journal.fileName(), journal.errorString());
}

} // namespace

const QString Transaction::FileName = QStringLiteral("Vedaris.journal");

struct Transaction::State
{
    Content content;
    std::vector<RecordFile *> files; // beside content.changes
    bool journalOpened = false;
    bool begun = false;
    bool committed = false;
};

Transaction::Transaction(const QString &dataDir) : m_dir(dataDir), d(std::make_unique<State>())
{
    writes::enter(m_dir);
    if (QFile::exists(journalPath(m_dir)))
        journal::recover(m_dir);
}

Transaction::~Transaction()
{
    if (d->committed)
        return;
    try {
        if (d->begun)
            playBack(m_dir, d->content);
        if (d->journalOpened)
            removeJournal(m_dir);
    } catch (...) {
        // The journal stays; the next operation or start plays it back.
    }
}

namespace {

Change &changeFor(Content &c, std::vector<RecordFile *> &kept, RecordFile &file)
{
    const QString name = QFileInfo(file.path()).fileName();
    for (size_t i = 0; i < kept.size(); ++i)
        if (kept[i] == &file)
            return c.changes[i];
    if (!files::All.contains(name))
        throw Error(file.path(), QStringLiteral("не файл данных"));
    c.changes.push_back({name, file.length(), {}});
    kept.push_back(&file);
    return c.changes.back();
}

Error pastEnd(const RecordFile &file)
{
    return Error(file.path(), QStringLiteral("запись за концом файла"));
}

} // namespace

void Transaction::keepRecord(RecordFile &file, qint64 index)
{
    Change &change = changeFor(d->content, d->files, file);
    const qint64 size = file.recordSize();
    if (index < 0 || index > change.oldLength / size)
        throw pastEnd(file);
    // An append writes over an incomplete tail: that is kept too.
    QByteArray old = file.bytesAt(index * size, size);
    if (!old.isEmpty())
        change.ranges.push_back({index * size, std::move(old)});
}

void Transaction::keepByte(RecordFile &file, qint64 index, int offset)
{
    Change &change = changeFor(d->content, d->files, file);
    const qint64 size = file.recordSize();
    if (index < 0 || index >= change.oldLength / size)
        throw pastEnd(file);
    change.ranges.push_back({index * size + offset, file.bytesAt(index * size + offset, 1)});
}

void Transaction::begin(const QString &undone)
{
    d->content.undone = undone;
    const QByteArray bytes = encode(d->content);
    QFile journal(journalPath(m_dir));
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw Error(journal.fileName(), journal.errorString());
    d->journalOpened = true;
    writeAll(journal, bytes);
    if (!disk::sync(journal))
        throw Error(journal.fileName(), disk::reason());
    journal.close();
    if (!disk::syncFolder(m_dir))
        throw Error(journal.fileName(), disk::reason());
    d->begun = true;
}

void Transaction::commit()
{
    for (RecordFile *file : d->files)
        file->sync();
    removeJournal(m_dir);
    d->committed = true;
    // Until the removal is on the disk a power cut could bring the journal
    // back, and the next start would undo an operation the user was told had
    // been stored. The operation stands already: a failure here is no reason
    // to report it as failed.
    disk::syncFolder(m_dir);
}

namespace journal {

QString recover(const QString &dataDir)
{
    QFile journal(journalPath(dataDir));
    if (!journal.exists())
        return {};
    if (!journal.open(QIODevice::ReadOnly))
        throw Error(journal.fileName(), journal.errorString());
    const QByteArray all = journal.readAll();
    if (journal.error() != QFileDevice::NoError)
        throw Error(journal.fileName(), journal.errorString());
    journal.close();
    const std::optional<Content> content = decode(all);
    if (content)
        playBack(dataDir, *content);
    removeJournal(dataDir);
    return content ? content->undone : QString();
}

} // namespace journal

} // namespace vedaris
