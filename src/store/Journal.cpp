#include "Journal.h"

#include "Clock.h"
#include "CountFile.h"
#include "DataFiles.h"
#include "DiskIo.h"
#include "Error.h"
#include "History.h"
#include "Platform.h"
#include "RecordFile.h"
#include "WriteGate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace vedaris {

namespace {

// The journal, little-endian: the magic "VEDJRNL2"; u32 length and the UTF-8
// sentence; u32 number of files; per file a u8 length and the file's name, the
// i64 old and new lengths, u32 number of ranges, per range the i64 offset, u32
// length and the old bytes, u32 length and the new bytes; then the SHA-256 of
// everything before it. The earlier "VEDJRNL1" held no new bytes.
const QByteArray Magic = QByteArrayLiteral("VEDJRNL2");
const QByteArray OldMagic = QByteArrayLiteral("VEDJRNL1");
constexpr int DigestSize = 32;

struct Range
{
    qint64 offset = 0;
    QByteArray old; // shorter than now where the write goes past the old end
    QByteArray now; // shorter than old only where a whole file is replaced
};

// The files an operation may change: the six data files, the history, and the
// stock-take's count, which its posting marks posted together with the
// records it writes.
bool journaled(const QString &name)
{
    return files::All.contains(name) || name == history::FileName || name == count::FileName;
}

struct Change
{
    QString name; // journaled()
    qint64 oldLength = 0;
    qint64 newLength = 0;
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

template<class T> void put(QByteArray &out, T value)
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
        put<qint64>(out, change.newLength);
        put<quint32>(out, quint32(change.ranges.size()));
        for (const Range &r : change.ranges) {
            put<qint64>(out, r.offset);
            put<quint32>(out, quint32(r.old.size()));
            out += r.old;
            put<quint32>(out, quint32(r.now.size()));
            out += r.now;
        }
    }
    out += QCryptographicHash::hash(out, QCryptographicHash::Sha256);
    return out;
}

class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) { }

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_bytes.size(); }

    QByteArray bytes(qint64 n)
    {
        if (!m_ok || n < 0 || m_bytes.size() - m_at < n) {
            m_ok = false;
            return {};
        }
        QByteArray out = m_bytes.sliced(m_at, n).toByteArray();
        m_at += n;
        return out;
    }
    template<class T> T number()
    {
        const QByteArray b = bytes(sizeof(T));
        return m_ok ? qFromLittleEndian<T>(b.constData()) : T(0);
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

bool checksumSound(const QByteArray &all)
{
    if (all.size() < Magic.size() + DigestSize)
        return false;
    const QByteArrayView body = QByteArrayView(all).first(all.size() - DigestSize);
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256) == all.right(DigestSize);
}

// Nothing when the journal was cut short or is not one of ours.
std::optional<Content> decode(const QByteArray &all)
{
    if (!checksumSound(all))
        return std::nullopt;
    Reader in(QByteArrayView(all).first(all.size() - DigestSize));
    if (in.bytes(Magic.size()) != Magic)
        return std::nullopt;
    Content c;
    c.undone = QString::fromUtf8(in.bytes(in.number<quint32>()));
    const quint32 count = in.number<quint32>();
    for (quint32 i = 0; in.ok() && i < count; ++i) {
        Change change;
        change.name = QString::fromLatin1(in.bytes(in.number<quint8>()));
        change.oldLength = in.number<qint64>();
        change.newLength = in.number<qint64>();
        if (!journaled(change.name) || change.oldLength < 0 || change.newLength < 0)
            return std::nullopt;
        const quint32 ranges = in.number<quint32>();
        for (quint32 k = 0; in.ok() && k < ranges; ++k) {
            Range r;
            r.offset = in.number<qint64>();
            r.old = in.bytes(in.number<quint32>());
            r.now = in.bytes(in.number<quint32>());
            if (r.offset < 0 || r.offset + r.old.size() > change.oldLength
                || r.offset + r.now.size() > std::max(change.oldLength, change.newLength))
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

// Why `file` is not as the operation left it, or nothing when it is: its
// length between the old and the new one, every byte the operation writes
// either old or new (a write cut short included), bytes past the old end new
// or still zero (space the system gave before the data came). A playback cut
// short leaves such a state too. Bytes the operation does not write are not
// read: playing back does not touch them either.
QString mismatch(const QString &dataDir, const Change &change)
{
    const QString path = files::path(dataDir, change.name);
    // A history that is gone holds nothing to cut off; the data still goes back.
    if (change.name == history::FileName && !QFileInfo::exists(path) && !platform::isLink(path))
        return {};
    if (const QString special = platform::notRegularFile(path); !special.isEmpty())
        return QStringLiteral("%1 %2").arg(change.name, special);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        return QStringLiteral("%1 не открывается: %2")
            .arg(change.name, platform::russianReason(f.errorString()));
    const qint64 length = f.size();
    const qint64 shortest = std::min(change.oldLength, change.newLength);
    const qint64 longest = std::max(change.oldLength, change.newLength);
    if (length < shortest || length > longest)
        return QStringLiteral(
                   "длина %1 — %2 байт, а операция оставляла его длиной от %3 до %4 байт")
            .arg(change.name)
            .arg(length)
            .arg(shortest)
            .arg(longest);
    for (const Range &r : change.ranges) {
        if (r.offset >= length)
            continue;
        if (!f.seek(r.offset))
            return QStringLiteral("%1 не читается: %2")
                .arg(change.name, platform::russianReason(f.errorString()));
        const qint64 span = std::max(r.old.size(), r.now.size());
        const QByteArray cur = f.read(std::min<qint64>(span, length - r.offset));
        for (qsizetype i = 0; i < cur.size(); ++i) {
            const bool old = i < r.old.size() ? cur[i] == r.old[i] : cur[i] == 0;
            const bool now = i < r.now.size() && cur[i] == r.now[i];
            if (!old && !now)
                return QStringLiteral("в %1 байт %2 не такой, каким его оставила операция")
                    .arg(change.name)
                    .arg(r.offset + i);
        }
    }
    return {};
}

QString mismatch(const QString &dataDir, const Content &c)
{
    for (const Change &change : c.changes)
        if (QString why = mismatch(dataDir, change); !why.isEmpty())
            return why;
    return {};
}

// What the user should do about a journal that does not fit the files.
QString notApplied(const QString &dataDir, const QString &why)
{
    return QStringLiteral(
               "журнал незавершённой операции \"%1\" не подходит к файлам данных (%2): после сбоя "
               "файлы, видимо, восстановлены из резервной копии или изменены другой программой. "
               "Журнал не применён, файлы не изменены. Проверьте данные программой vedaris-check; "
               "если они верны, закройте программу, переместите файл \"%3\" из папки данных и "
               "запустите программу снова")
        .arg(QDir::toNativeSeparators(journalPath(dataDir)), why, Transaction::FileName);
}

// Old bytes back, appended records cut off, every file synced. Running it again
// after a crash half way gives the same files.
void playBack(const QString &dataDir, const Content &c)
{
    for (const Change &change : c.changes) {
        QFile f(files::path(dataDir, change.name));
        // A history no longer than before holds nothing of the entry.
        if (change.name == history::FileName && (!f.exists() || f.size() <= change.oldLength))
            continue;
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

// The journal's bytes; Error when it is no plain file or too large to be ours.
QByteArray readJournal(const QString &dataDir)
{
    const QString path = journalPath(dataDir);
    if (const QString special = platform::notRegularFile(path); !special.isEmpty())
        throw Error(path, special);
    QFile journal(path);
    if (!journal.open(QIODevice::ReadOnly))
        throw Error(path, journal.errorString());
    if (journal.size() > journal::MaxBytes)
        throw Error(path,
                    QStringLiteral("файл журнала слишком велик (%1 байт): это не журнал программы")
                        .arg(journal.size()));
    QByteArray all = journal.read(journal::MaxBytes + 1);
    if (journal.error() != QFileDevice::NoError)
        throw Error(path, journal.errorString());
    return all;
}

bool isOldJournal(const QByteArray &all)
{
    return all.startsWith(OldMagic) && checksumSound(all);
}

} // namespace

const QString Transaction::FileName = QStringLiteral("Vedaris.journal");

struct Transaction::State
{
    Content content;
    std::vector<RecordFile *> files; // beside content.changes; null for the history
    qint64 undoes = -1;
    std::unique_ptr<QFile> history;
    bool journalOpened = false;
    bool begun = false;
    bool committed = false;
};

Transaction::Transaction(const QString &dataDir) : m_dir(dataDir), d(std::make_unique<State>())
{
    writes::enter(m_dir);
    journal::recover(m_dir);
}

Transaction::~Transaction()
{
    if (d->committed)
        return;
    try {
        if (d->history)
            d->history->close();
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
    if (!journaled(name))
        throw Error(file.path(), QStringLiteral("не файл данных"));
    c.changes.push_back({name, file.length(), file.length(), {}});
    kept.push_back(&file);
    return c.changes.back();
}

Error pastEnd(const RecordFile &file)
{
    return Error(file.path(), QStringLiteral("запись за концом файла"));
}

} // namespace

void Transaction::keepRecord(RecordFile &file, qint64 index, const QByteArray &now)
{
    Change &change = changeFor(d->content, d->files, file);
    const qint64 size = file.recordSize();
    // Appends come one after another, each at the end the ones before left.
    if (index < 0 || index > std::max(change.oldLength / size, change.newLength / size)
        || now.size() != size)
        throw pastEnd(file);
    // An append writes over an incomplete tail: that is kept too.
    change.ranges.push_back({index * size, file.bytesAt(index * size, size), now});
    change.newLength = std::max(change.newLength, (index + 1) * size);
}

void Transaction::keepByte(RecordFile &file, qint64 index, int offset, char now)
{
    Change &change = changeFor(d->content, d->files, file);
    const qint64 size = file.recordSize();
    if (index < 0 || index >= change.oldLength / size)
        throw pastEnd(file);
    change.ranges.push_back(
        {index * size + offset, file.bytesAt(index * size + offset, 1), QByteArray(1, now)});
}

void Transaction::keepWhole(RecordFile &file, const QByteArray &now)
{
    Change &change = changeFor(d->content, d->files, file);
    change.ranges.push_back({0, file.bytesAt(0, change.oldLength), now});
    change.newLength = now.size();
}

void Transaction::keepLength(RecordFile &file, qint64 length)
{
    Change &change = changeFor(d->content, d->files, file);
    if (length < 0 || length > change.newLength)
        throw pastEnd(file);
    change.ranges.push_back({length, file.bytesAt(length, change.oldLength - length), {}});
    change.newLength = length;
}

void Transaction::keepBytes(RecordFile &file, qint64 offset, const QByteArray &now)
{
    Change &change = changeFor(d->content, d->files, file);
    if (offset < 0 || offset > change.newLength)
        throw pastEnd(file);
    change.ranges.push_back({offset, file.bytesAt(offset, now.size()), now});
    change.newLength = std::max(change.newLength, offset + now.size());
}

void Transaction::undoes(qint64 offset)
{
    d->undoes = offset;
}

namespace {

// Every record a change touches, before and after, as the history keeps them.
// A record whose bytes stay as they were is left out.
void addRecords(history::Entry &e, const Change &change, RecordFile *file)
{
    const qint64 size = history::recordSize(change.name);
    std::map<qint64, std::pair<QByteArray, QByteArray>> touched;
    auto span = [&](const Range &r) { return std::max(r.old.size(), r.now.size()); };
    for (const Range &r : change.ranges) {
        if (span(r) == 0)
            continue;
        for (qint64 i = r.offset / size; i <= (r.offset + span(r) - 1) / size; ++i) {
            if (touched.count(i))
                continue;
            const qint64 from = i * size;
            const qint64 to = std::min(from + size, change.oldLength);
            QByteArray before;
            if (to > from) {
                if (r.offset <= from && r.offset + r.old.size() >= to)
                    before = r.old.mid(from - r.offset, to - from);
                else if (file)
                    before = file->bytesAt(from, to - from);
            }
            touched[i] = {before, before};
        }
    }
    for (const Range &r : change.ranges) {
        for (qint64 i = r.offset / size;
             r.now.size() > 0 && i <= (r.offset + r.now.size() - 1) / size; ++i) {
            QByteArray &after = touched[i].second;
            const qint64 from = std::max(i * size, r.offset);
            const qint64 to = std::min((i + 1) * size, r.offset + qint64(r.now.size()));
            if (after.size() < to - i * size)
                after.append(QByteArray(to - i * size - after.size(), '\0'));
            std::copy(r.now.begin() + (from - r.offset), r.now.begin() + (to - r.offset),
                      after.begin() + (from - i * size));
        }
    }
    for (auto &[index, images] : touched) {
        auto &[before, after] = images;
        after.truncate(std::clamp<qint64>(change.newLength - index * size, 0, size));
        if (before != after)
            e.records.push_back({change.name, index, before, after});
    }
}

} // namespace

void Transaction::begin(const QString &undone, const QString &kind)
{
    d->content.undone = undone;

    // The history's entry, and its place in the journal: a playback cuts it
    // off with the data.
    history::Entry entry;
    entry.when = Clock::now().toUTC();
    entry.kind = kind.isEmpty() ? undone.section(QLatin1Char(' '), 0, 0) : kind;
    entry.sentence = undone;
    entry.undoes = d->undoes;
    for (size_t i = 0; i < d->content.changes.size(); ++i) {
        const Change &change = d->content.changes[i];
        // The history keeps the records of the data files; a posted count
        // stays posted (an undo of the posting is refused).
        if (!files::All.contains(change.name))
            continue;
        entry.lengths.push_back({change.name, change.oldLength, change.newLength});
        addRecords(entry, change, d->files[i]);
    }
    const QString historyPath = files::path(m_dir, history::FileName);
    qint64 historyLength = 0, writeAt = 0;
    QByteArray damagedTail;
    {
        history::Reader reader(m_dir);
        historyLength = reader.length();
        writeAt = reader.soundEnd();
        if (historyLength > 0 && writeAt == 0)
            throw Error(
                historyPath,
                QStringLiteral("файл не является историей операций программы; переместите его "
                               "из папки данных"));
        if (writeAt > 0) {
            reader.newestFirst([&](const history::Entry &last) {
                entry.number = last.number + 1;
                return false;
            });
        }
        if (entry.number == 0)
            entry.number = 1;
    }
    const QByteArray entryBytes = history::encode(entry, writeAt == 0);
    d->history = std::make_unique<QFile>(historyPath);
    if (!d->history->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw Error(historyPath, d->history->errorString());
    Change historyChange{history::FileName, historyLength, writeAt + entryBytes.size(), {}};
    if (writeAt < historyLength) {
        // A damaged tail the start-up has not cut yet: the entry goes over it,
        // and a playback puts it back.
        if (!d->history->seek(writeAt))
            throw Error(historyPath, d->history->errorString());
        historyChange.ranges.push_back(
            {writeAt, d->history->read(historyLength - writeAt), entryBytes});
    }
    d->content.changes.push_back(std::move(historyChange));
    d->files.push_back(nullptr);

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

    if (!d->history->seek(writeAt))
        throw Error(historyPath, d->history->errorString());
    writeAll(*d->history, entryBytes);
}

void Transaction::commit()
{
    for (RecordFile *file : d->files)
        if (file)
            file->sync();
    if (d->history) {
        if (!disk::sync(*d->history))
            throw Error(d->history->fileName(), disk::reason());
        d->history->close();
    }
    removeJournal(m_dir);
    d->committed = true;
    // Until the removal is on the disk a power cut could bring the journal
    // back, and the next start would undo an operation the user was told had
    // been stored. The operation stands already: a failure here is no reason
    // to report it as failed.
    disk::syncFolder(m_dir);
}

namespace journal {

Pending inspect(const QString &dataDir)
{
    Pending out;
    if (!QFileInfo::exists(journalPath(dataDir)) && !QFileInfo(journalPath(dataDir)).isSymLink())
        return out;
    out.present = true;
    QByteArray all;
    try {
        all = readJournal(dataDir);
    } catch (const Error &e) {
        out.reason = e.reason();
        return out;
    }
    if (isOldJournal(all)) {
        out.reason = QStringLiteral(
            "журнал записан прежней версией программы и не содержит новых байтов операции: "
            "проверить, подходит ли он к файлам, нельзя");
        return out;
    }
    const std::optional<Content> content = decode(all);
    if (!content) {
        out.reason =
            QStringLiteral("журнал оборван при записи: данные операция ещё не меняла, при запуске "
                           "программа его просто удалит");
        return out;
    }
    out.readable = true;
    out.undone = content->undone;
    out.reason = mismatch(dataDir, *content);
    out.matches = out.reason.isEmpty();
    return out;
}

QString recover(const QString &dataDir)
{
    const QString path = journalPath(dataDir);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return {};
    const QByteArray all = readJournal(dataDir);
    if (isOldJournal(all))
        throw Error(path,
                    notApplied(dataDir, QStringLiteral("он записан прежней версией программы")));
    const std::optional<Content> content = decode(all);
    if (content) {
        if (const QString why = mismatch(dataDir, *content); !why.isEmpty())
            throw Error(path, notApplied(dataDir, why));
        playBack(dataDir, *content);
    }
    removeJournal(dataDir);
    return content ? content->undone : QString();
}

} // namespace journal

} // namespace vedaris
