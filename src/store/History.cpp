#include "History.h"

#include "DataFiles.h"
#include "DiskIo.h"
#include "Error.h"
#include "Platform.h"
#include "Records.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <map>

namespace vedaris::history {

namespace {

const QByteArray Magic = QByteArrayLiteral("VEDHIST1");
const QByteArray EntryStart = QByteArrayLiteral("VHE1");
const QByteArray EntryEnd = QByteArrayLiteral("VHEN");
constexpr int HeadSize = 8; // "VHE1", length
constexpr int TrailerSize = 16; // checksum, length, "VHEN"
constexpr int DigestSize = 8;
// An entry larger than this is no entry of ours: the journal holds no more.
constexpr qint64 MaxBody = 600LL * 1024 * 1024;

template<class T> void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray digest(QByteArrayView headAndBody)
{
    return QCryptographicHash::hash(headAndBody, QCryptographicHash::Sha256).left(DigestSize);
}

class In
{
public:
    explicit In(QByteArrayView b) : m_b(b) { }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_b.size(); }
    QByteArray bytes(qint64 n)
    {
        if (!m_ok || n < 0 || m_b.size() - m_at < n) {
            m_ok = false;
            return {};
        }
        QByteArray out = m_b.sliced(m_at, n).toByteArray();
        m_at += n;
        return out;
    }
    template<class T> T number()
    {
        if (!m_ok || m_b.size() - m_at < qsizetype(sizeof(T))) {
            m_ok = false;
            return T(0);
        }
        const T v = qFromLittleEndian<T>(m_b.constData() + m_at);
        m_at += sizeof(T);
        return v;
    }

private:
    QByteArrayView m_b;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// The runs of bytes where `after` differs from `before` padded with zeros;
// runs closer than 8 bytes are joined, each costs 4 bytes of its own.
std::vector<std::pair<int, int>> runs(const QByteArray &before, const QByteArray &after)
{
    std::vector<std::pair<int, int>> out;
    const int n = int(after.size());
    int i = 0;
    while (i < n) {
        const auto same = [&](int k) {
            return k < before.size() ? before[k] == after[k] : after[k] == 0;
        };
        if (same(i)) {
            ++i;
            continue;
        }
        int last = i;
        for (int k = i + 1; k < n && k - last <= 8; ++k)
            if (!same(k))
                last = k;
        out.emplace_back(i, last - i + 1);
        i = last + 1;
    }
    return out;
}

// The header fields, or nothing when the body is not one.
bool decodeHeader(In &in, Entry &e)
{
    e.number = in.number<quint64>();
    e.when = QDateTime::fromMSecsSinceEpoch(in.number<qint64>(), Qt::UTC);
    e.undoes = in.number<qint64>();
    e.kind = QString::fromUtf8(in.bytes(in.number<quint16>()));
    e.sentence = QString::fromUtf8(in.bytes(in.number<quint16>()));
    return in.ok();
}

bool decodeBody(QByteArrayView body, Entry &e)
{
    In in(body);
    if (!decodeHeader(in, e))
        return false;
    const quint16 fileCount = in.number<quint16>();
    for (quint16 i = 0; in.ok() && i < fileCount; ++i) {
        FileLength f;
        f.file = QString::fromLatin1(in.bytes(in.number<quint8>()));
        f.before = in.number<qint64>();
        f.after = in.number<qint64>();
        e.lengths.push_back(f);
    }
    const quint32 recordCount = in.number<quint32>();
    for (quint32 i = 0; in.ok() && i < recordCount; ++i) {
        RecordChange r;
        const quint16 place = in.number<quint16>();
        if (place >= e.lengths.size())
            return false;
        r.file = e.lengths[place].file;
        r.index = in.number<qint64>();
        r.before = in.bytes(in.number<quint32>());
        const quint32 afterLength = in.number<quint32>();
        if (afterLength > 1024 * 1024)
            return false;
        r.after = r.before.left(afterLength);
        r.after.append(QByteArray(afterLength - r.after.size(), '\0'));
        const quint16 runCount = in.number<quint16>();
        for (quint16 k = 0; in.ok() && k < runCount; ++k) {
            const quint16 at = in.number<quint16>();
            const QByteArray bytes = in.bytes(in.number<quint16>());
            if (!in.ok() || at + bytes.size() > r.after.size())
                return false;
            std::copy(bytes.begin(), bytes.end(), r.after.begin() + at);
        }
        e.records.push_back(std::move(r));
    }
    return in.ok() && in.atEnd();
}

} // namespace

QString Entry::title() const
{
    static const QRegularExpression tail(
        QStringLiteral("\\s+не\\s+был[аоы]?\\s+завершен\\S*\\s+и\\s+отменен\\S*\\.?$"
                       "|\\s+не\\s+был[аоы]?\\s+завершён\\S*\\s+и\\s+отменён\\S*\\.?$"));
    QString t = sentence;
    t.remove(tail);
    return t;
}

const FileLength *Entry::lengthOf(const QString &file) const
{
    for (const FileLength &f : lengths)
        if (f.file == file)
            return &f;
    return nullptr;
}

int recordSize(const QString &file)
{
    if (file == files::Base)
        return StockRecord::Size;
    if (file == files::Rashod)
        return IssueRecord::Size;
    if (file == files::NamePreparat)
        return DrugNameEntry::Size;
    return ReferenceEntry::Size;
}

QByteArray fileMagic()
{
    return Magic;
}

QByteArray encode(const Entry &e, bool first)
{
    QByteArray body;
    put<quint64>(body, e.number);
    put<qint64>(body, e.when.toMSecsSinceEpoch());
    put<qint64>(body, e.undoes);
    const QByteArray kindText = e.kind.toUtf8().left(0xFFFF);
    put<quint16>(body, quint16(kindText.size()));
    body += kindText;
    const QByteArray sentence = e.sentence.toUtf8().left(0xFFFF);
    put<quint16>(body, quint16(sentence.size()));
    body += sentence;
    put<quint16>(body, quint16(e.lengths.size()));
    for (const FileLength &f : e.lengths) {
        const QByteArray name = f.file.toLatin1();
        put<quint8>(body, quint8(name.size()));
        body += name;
        put<qint64>(body, f.before);
        put<qint64>(body, f.after);
    }
    put<quint32>(body, quint32(e.records.size()));
    for (const RecordChange &r : e.records) {
        quint16 place = 0;
        while (place < e.lengths.size() && e.lengths[place].file != r.file)
            ++place;
        put<quint16>(body, place);
        put<qint64>(body, r.index);
        put<quint32>(body, quint32(r.before.size()));
        body += r.before;
        put<quint32>(body, quint32(r.after.size()));
        const auto changed = runs(r.before, r.after);
        put<quint16>(body, quint16(changed.size()));
        for (const auto &[at, length] : changed) {
            put<quint16>(body, quint16(at));
            put<quint16>(body, quint16(length));
            body.append(r.after.constData() + at, length);
        }
    }
    QByteArray out = first ? Magic : QByteArray();
    const qsizetype start = out.size();
    out += EntryStart;
    put<quint32>(out, quint32(body.size()));
    out += body;
    out += digest(QByteArrayView(out).sliced(start));
    put<quint32>(out, quint32(body.size()));
    out += EntryEnd;
    return out;
}

struct Reader::State
{
    QFile file;
    bool exists = false;
    qint64 length = 0;
    std::optional<qint64> soundEnd;
};

Reader::Reader(const QString &dataDir) : d(std::make_unique<State>())
{
    const QString path = files::path(dataDir, FileName);
    if (!QFileInfo::exists(path) && !platform::isLink(path))
        return;
    if (const QString special = platform::notRegularFile(path); !special.isEmpty())
        throw Error(path, special);
    d->file.setFileName(path);
    if (!d->file.open(QIODevice::ReadOnly))
        throw Error(path, d->file.errorString());
    d->exists = true;
    d->length = d->file.size();
}

Reader::~Reader() = default;

bool Reader::exists() const
{
    return d->exists;
}

qint64 Reader::length() const
{
    return d->length;
}

namespace {

QByteArray readAt(QFile &f, qint64 offset, qint64 length)
{
    if (!f.seek(offset))
        throw Error(f.fileName(), f.errorString());
    QByteArray out = f.read(length);
    if (f.error() != QFileDevice::NoError)
        throw Error(f.fileName(), f.errorString());
    return out;
}

} // namespace

std::optional<Entry> Reader::endingAt(qint64 end)
{
    if (!d->exists || end < Magic.size() + HeadSize + TrailerSize || end > d->length)
        return std::nullopt;
    const QByteArray trailer = readAt(d->file, end - TrailerSize, TrailerSize);
    if (trailer.size() != TrailerSize || !trailer.endsWith(EntryEnd))
        return std::nullopt;
    const qint64 bodyLength = qFromLittleEndian<quint32>(trailer.constData() + DigestSize);
    const qint64 start = end - TrailerSize - bodyLength - HeadSize;
    if (bodyLength > MaxBody || start < Magic.size())
        return std::nullopt;
    const QByteArray all = readAt(d->file, start, end - start);
    if (all.size() != end - start || !all.startsWith(EntryStart)
        || qFromLittleEndian<quint32>(all.constData() + 4) != bodyLength
        || digest(QByteArrayView(all).first(HeadSize + bodyLength)) != trailer.left(DigestSize))
        return std::nullopt;
    Entry e;
    e.offset = start;
    e.end = end;
    if (!decodeBody(QByteArrayView(all).sliced(HeadSize, bodyLength), e))
        return std::nullopt;
    return e;
}

std::optional<Entry> Reader::at(qint64 offset)
{
    if (!d->exists || offset < Magic.size() || offset + HeadSize > d->length)
        return std::nullopt;
    const QByteArray head = readAt(d->file, offset, HeadSize);
    if (!head.startsWith(EntryStart))
        return std::nullopt;
    const qint64 bodyLength = qFromLittleEndian<quint32>(head.constData() + 4);
    return endingAt(offset + HeadSize + bodyLength + TrailerSize);
}

qint64 Reader::soundEnd()
{
    if (d->soundEnd)
        return *d->soundEnd;
    qint64 end = 0;
    if (d->exists && d->length > 0) {
        if (d->length < Magic.size() || readAt(d->file, 0, Magic.size()) != Magic) {
            end = 0;
        } else if (d->length == Magic.size() || endingAt(d->length)) {
            end = d->length;
        } else {
            // Damage at the end: the last place, going back, where a sound
            // entry ends. Only the damaged stretch is read.
            end = Magic.size();
            constexpr qint64 Block = 1 << 20;
            for (qint64 hi = d->length; hi > Magic.size() && end == Magic.size();) {
                const qint64 lo = std::max<qint64>(Magic.size(), hi - Block);
                const QByteArray block = readAt(d->file, lo, hi - lo + EntryEnd.size() - 1);
                for (qsizetype at = block.lastIndexOf(EntryEnd); at >= 0;
                     at = at == 0 ? -1 : block.lastIndexOf(EntryEnd, at - 1)) {
                    if (lo + at >= hi)
                        continue;
                    if (endingAt(lo + at + EntryEnd.size())) {
                        end = lo + at + EntryEnd.size();
                        break;
                    }
                }
                hi = lo;
            }
        }
    }
    d->soundEnd = end;
    return end;
}

namespace {

void walk(Reader &r, qint64 end, const std::function<bool(const Entry &)> &fn)
{
    while (end > 0) {
        std::optional<Entry> e = r.endingAt(end);
        if (!e || !fn(*e))
            return;
        end = e->offset;
    }
}

} // namespace

void Reader::newestFirst(const std::function<bool(const Entry &)> &fn, qint64 end)
{
    walk(*this, end < 0 ? soundEnd() : end, fn);
}

Health verify(const QString &dataDir, bool withFiles)
{
    Health h;
    Reader r(dataDir);
    if (!r.exists())
        return h;
    h.present = true;
    h.length = r.length();
    h.soundEnd = r.soundEnd();
    if (h.length > 0 && h.soundEnd == 0)
        h.problems << QStringLiteral("файл не начинается с метки истории программы");
    else if (h.soundEnd < h.length)
        h.problems << QStringLiteral("конец файла (%1 байт с позиции %2) повреждён или оборван; "
                                     "при запуске программа "
                                     "отрежет его")
                          .arg(h.length - h.soundEnd)
                          .arg(h.soundEnd);
    // Every entry from the start, so damage inside the file is found too.
    std::map<std::pair<QString, qint64>, QByteArray> newest;
    std::map<QString, qint64> lengths;
    qint64 at = h.soundEnd > 0 ? Magic.size() : 0;
    quint64 expected = 1;
    while (at > 0 && at < h.soundEnd) {
        const std::optional<Entry> e = r.at(at);
        if (!e) {
            h.problems
                << QStringLiteral(
                       "запись истории с позиции %1 повреждена (не сходится контрольная сумма)")
                       .arg(at);
            break;
        }
        if (e->number != expected)
            h.problems << QStringLiteral(
                              "запись истории № %1 с позиции %2 стоит на месте записи № %3")
                              .arg(e->number)
                              .arg(at)
                              .arg(expected);
        expected = e->number + 1;
        ++h.entries;
        if (withFiles) {
            for (const RecordChange &c : e->records)
                newest[{c.file, c.index}] = c.after;
            for (const FileLength &f : e->lengths)
                lengths[f.file] = f.after;
        }
        at = e->end;
    }
    if (!withFiles)
        return h;
    std::map<QString, std::unique_ptr<QFile>> open;
    for (const auto &[key, after] : newest) {
        const auto &[file, index] = key;
        auto &f = open[file];
        if (!f) {
            f = std::make_unique<QFile>(files::path(dataDir, file));
            if (!f->open(QIODevice::ReadOnly))
                continue;
        }
        if (!f->isOpen())
            continue;
        const int size = recordSize(file);
        const QByteArray now = readAt(*f, index * size, size);
        if (now != after.left(now.size()) || (now.size() < after.size()))
            h.problems
                << QStringLiteral(
                       "%1, запись %2: не такая, какой её оставила последняя операция истории — "
                       "файл изменён другой программой или восстановлен из копии")
                       .arg(file)
                       .arg(index);
    }
    return h;
}

QString repairTail(const QString &dataDir)
{
    qint64 sound = 0, length = 0;
    {
        Reader r(dataDir);
        if (!r.exists())
            return {};
        length = r.length();
        sound = r.soundEnd();
    }
    if (sound == length)
        return {};
    if (sound == 0 && length >= Magic.size())
        return QStringLiteral("Файл \"%1\" в папке данных не является историей операций программы; "
                              "он не изменён, "
                              "но операции не будут выполняться, пока он там. Переместите его из "
                              "папки данных.")
            .arg(FileName);
    const QString path = files::path(dataDir, FileName);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        throw Error(path, f.errorString());
    if (!disk::truncate(f, sound))
        throw Error(path, f.errorString());
    if (!disk::sync(f))
        throw Error(path, disk::reason());
    return QStringLiteral("Конец файла истории операций \"%1\" был повреждён (%2 байт) и отрезан; "
                          "записи до него "
                          "сохранены.")
        .arg(FileName)
        .arg(length - sound);
}

} // namespace vedaris::history
