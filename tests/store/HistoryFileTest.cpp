// Vedaris.history read byte by byte by a reader of the test's own, and a tail
// cut or damaged at every place.

#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/ReferenceLists.h"
#include "support/TempDataDir.h"

#include <QCryptographicHash>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

struct Bytes
{
    QByteArray b;
    qsizetype at = 0;
    template<class T> T n()
    {
        const T v = qFromLittleEndian<T>(b.constData() + at);
        at += sizeof(T);
        return v;
    }
    QByteArray take(qsizetype k)
    {
        const QByteArray out = b.mid(at, k);
        at += k;
        return out;
    }
};

struct Parsed
{
    quint64 number;
    qint64 msecs;
    qint64 undoes;
    QString kind, sentence;
    QStringList files;
    struct Rec
    {
        QString file;
        qint64 index;
        QByteArray before, after;
    };
    std::vector<Rec> records;
};

// One entry from `in.at`, checking its frame and checksum.
Parsed parseEntry(Bytes &in)
{
    const qsizetype start = in.at;
    EXPECT_EQ(in.take(4), QByteArray("VHE1"));
    const quint32 length = in.n<quint32>();
    const qsizetype body = in.at;
    Parsed p;
    p.number = in.n<quint64>();
    p.msecs = in.n<qint64>();
    p.undoes = in.n<qint64>();
    p.kind = QString::fromUtf8(in.take(in.n<quint16>()));
    p.sentence = QString::fromUtf8(in.take(in.n<quint16>()));
    const quint16 fileCount = in.n<quint16>();
    for (int i = 0; i < fileCount; ++i) {
        p.files << QString::fromLatin1(in.take(in.n<quint8>()));
        in.n<qint64>();
        in.n<qint64>();
    }
    const quint32 records = in.n<quint32>();
    for (quint32 i = 0; i < records; ++i) {
        Parsed::Rec r;
        r.file = p.files.value(in.n<quint16>());
        r.index = in.n<qint64>();
        r.before = in.take(in.n<quint32>());
        const quint32 afterLength = in.n<quint32>();
        r.after = r.before.leftJustified(afterLength, '\0', true);
        const quint16 runs = in.n<quint16>();
        for (int k = 0; k < runs; ++k) {
            const quint16 off = in.n<quint16>();
            const QByteArray run = in.take(in.n<quint16>());
            r.after.replace(off, run.size(), run);
        }
        p.records.push_back(r);
    }
    EXPECT_EQ(in.at - body, qsizetype(length));
    const QByteArray sum =
        QCryptographicHash::hash(in.b.mid(start, in.at - start), QCryptographicHash::Sha256);
    EXPECT_EQ(in.take(8), sum.left(8));
    EXPECT_EQ(in.n<quint32>(), length);
    EXPECT_EQ(in.take(4), QByteArray("VHEN"));
    return p;
}

class HistoryFile : public testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 30), Qt::UTC));
        dir.createEmptyFiles();
    }
    void TearDown() override { Clock::setFixedToday(std::nullopt); }
    TempDataDir dir;
};

TEST_F(HistoryFile, LayoutOfAnAdditionAndADeletion)
{
    const ReferenceList deps(dir.path(), RefKind::Departments);
    deps.add(QStringLiteral("Склад"));
    deps.remove(0);
    const QByteArray record = dir.read(files::Otdelenie);
    ASSERT_EQ(record.size(), 60);

    Bytes in{dir.read(history::FileName)};
    ASSERT_EQ(in.take(8), QByteArray("VEDHIST1"));
    const Parsed add = parseEntry(in);
    const Parsed del = parseEntry(in);
    EXPECT_EQ(in.at, in.b.size());

    EXPECT_EQ(add.number, 1u);
    EXPECT_EQ(del.number, 2u);
    EXPECT_EQ(add.msecs, QDateTime(QDate(2026, 12, 9), QTime(10, 30), Qt::UTC).toMSecsSinceEpoch());
    EXPECT_EQ(add.undoes, -1);
    EXPECT_EQ(add.kind, history::kind::ReferenceAdd);
    EXPECT_EQ(del.kind, history::kind::ReferenceDelete);
    EXPECT_TRUE(add.sentence.startsWith(QStringLiteral("Добавление отделения \"Склад\"")))
        << add.sentence.toStdString();
    EXPECT_EQ(add.files, QStringList{files::Otdelenie});
    ASSERT_EQ(add.records.size(), 1u);
    EXPECT_EQ(add.records[0].index, 0);
    EXPECT_TRUE(add.records[0].before.isEmpty());
    QByteArray live = record;
    live[56] = 0;
    EXPECT_EQ(add.records[0].after, live);
    ASSERT_EQ(del.records.size(), 1u);
    EXPECT_EQ(del.records[0].before, live);
    EXPECT_EQ(del.records[0].after, record);
    // The deletion stores its record once and the one changed byte.
    EXPECT_LT(del.records[0].before.size() + 20, in.b.size() / 2);
}

TEST_F(HistoryFile, DamagedTailIsCutBackToTheLastSoundEntry)
{
    const ReferenceList deps(dir.path(), RefKind::Departments);
    for (const char *name : {"Склад", "Хирургия", "Терапия"})
        deps.add(QString::fromUtf8(name));
    const QByteArray whole = dir.read(history::FileName);
    qint64 ends[3];
    {
        history::Reader r(dir.path());
        int i = 2;
        r.newestFirst([&](const history::Entry &e) {
            ends[i--] = e.end;
            return true;
        });
    }
    ASSERT_EQ(ends[2], whole.size());
    struct Damage
    {
        const char *name;
        QByteArray bytes;
        qint64 sound;
    };
    std::vector<Damage> damages;
    // Cut at every byte of the last entry: back to the one before.
    for (qint64 cut = ends[1] + 1; cut < ends[2]; ++cut)
        damages.push_back({"cut", whole.left(cut), ends[1]});
    QByteArray flipped = whole;
    flipped[ends[1] + 30] = char(flipped[ends[1] + 30] ^ 0x40);
    damages.push_back({"a flipped byte in the last entry", flipped, ends[1]});
    damages.push_back({"zeros after the end", whole + QByteArray(4096, '\0'), ends[2]});
    damages.push_back({"a torn first entry", whole.left(20), 8});
    for (const Damage &d : damages) {
        SCOPED_TRACE(std::string(d.name) + " at " + std::to_string(d.bytes.size()));
        dir.write(history::FileName, d.bytes);
        const history::Health h = history::verify(dir.path(), false);
        EXPECT_EQ(h.soundEnd, d.sound);
        EXPECT_FALSE(h.problems.isEmpty());
        EXPECT_FALSE(history::repairTail(dir.path()).isEmpty());
        EXPECT_EQ(dir.read(history::FileName), whole.left(d.sound));
        EXPECT_TRUE(history::repairTail(dir.path()).isEmpty());
        // The next operation carries on the numbering from the last sound entry.
        deps.remove(0);
        history::Reader r(dir.path());
        const auto last = r.endingAt(r.length());
        ASSERT_TRUE(last);
        EXPECT_EQ(last->number, d.sound == 8 ? 1u : d.sound == ends[1] ? 3u : 4u);
        deps.add(QStringLiteral("Склад"));
    }
    // A file that is not ours is left alone and stops the operations.
    dir.write(history::FileName, "not a history at all");
    EXPECT_FALSE(history::repairTail(dir.path()).isEmpty());
    EXPECT_EQ(dir.read(history::FileName), QByteArray("not a history at all"));
    EXPECT_THROW(deps.add(QStringLiteral("Лаборатория")), Error);
}

} // namespace
