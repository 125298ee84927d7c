// What each operation leaves on disk when a write fails part way (an injected
// full disk at every interesting byte), when a file vanished after start-up or
// was replaced by a folder, when the file size limit stops an append, and when
// the process dies at any one of its disk calls.

#include "operations/StockOperations.h"
#include "operations/Stocktake.h"
#include "operations/Undo.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/CountFile.h"
#include "store/DataFiles.h"
#include "store/DiskIo.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/IntegrityCheck.h"
#include "store/Journal.h"
#include "store/RecordFile.h"
#include "store/ReferenceLists.h"
#include "support/Batches.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace vedaris;

namespace {

const QStringList &AllFiles = files::All;

const auto input = [](const QString &name, const QString &qty) {
    return test::batchInput(name, qty);
};
const auto issue = test::issueToSurgery;

void writeOff(const QString &dir, qint32 id, const QString &qty)
{
    ops::storeWriteOff(dir, id, ops::readBatch(dir, id), qty, QStringLiteral("Повреждение"),
                       QDate(2024, 2, 1));
}

// Batches 0..3 with batch 2 deleted (its slot free); issues from batches 0 and 1,
// and the issue of batch 2 deleted with it (its slot free too). Two departments,
// the first deleted. Built once by the operations themselves, then copied.
void build(const TempDataDir &dir)
{
    dir.createEmptyFiles();
    for (const char *name : {"Анальгин", "Бинт", "Вата", "Йод"})
        ops::storeReceipt(dir.path(), input(QString::fromUtf8(name), QStringLiteral("10")));
    issue(dir.path(), 0, QStringLiteral("1"));
    issue(dir.path(), 2, QStringLiteral("1"));
    issue(dir.path(), 0, QStringLiteral("2,5"));
    issue(dir.path(), 1, QStringLiteral("4"));
    issue(dir.path(), 0, QStringLiteral("1"));
    ops::deleteBatch(dir.path(), 2);
    const ReferenceList deps(dir.path(), RefKind::Departments);
    deps.add(QStringLiteral("Склад"));
    deps.add(QStringLiteral("Хирургия"));
    deps.remove(0);
}

using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const TempDataDir &dir)
{
    Snapshot s;
    for (const QString &f : AllFiles)
        s[f] = dir.read(f);
    return s;
}

void fill(const TempDataDir &dir)
{
    static const Snapshot built = [] {
        TempDataDir d;
        build(d);
        return snapshot(d);
    }();
    for (const QString &f : AllFiles)
        dir.write(f, built[f]);
}

int recordSize(const QString &file)
{
    return file == files::Base        ? StockRecord::Size
        : file == files::Rashod       ? IssueRecord::Size
        : file == files::NamePreparat ? DrugNameEntry::Size
                                      : ReferenceEntry::Size;
}

int deletedOffset(const QString &file)
{
    return recordSize(file) - 4;
}

// After a failed operation no live record differs from before and no new live
// record exists; an incomplete tail is allowed, and so is a deleted record
// where there was a deleted one or nothing. The files pass the check but for
// their tails.
void expectNothingLiveChanged(const Snapshot &before, const TempDataDir &dir)
{
    for (const QString &f : AllFiles) {
        const QByteArray now = dir.read(f);
        const int size = recordSize(f), del = deletedOffset(f);
        EXPECT_GE(now.size(), before[f].size()) << f.toStdString() << " shrank";
        for (qsizetype at = 0; at + size <= now.size(); at += size) {
            const QByteArray after = now.mid(at, size);
            const QByteArray was =
                at + size <= before[f].size() ? before[f].mid(at, size) : QByteArray();
            if (after == was)
                continue;
            const bool nowDeleted = after[del] == 1;
            const bool wasDeleted = was.isEmpty() || was[del] == 1;
            EXPECT_TRUE(nowDeleted && wasDeleted)
                << f.toStdString() << " record " << at / size << " changed";
        }
    }
    for (const check::Finding &x : check::run(dir.path()).findings)
        EXPECT_TRUE(x.record < 0 && x.text.contains(QStringLiteral("неполная запись")))
            << x.line().toStdString();
}

struct OpCase
{
    const char *name;
    std::function<void(const QString &dir)> prepare; // runs without a fault
    std::function<void(const QString &dir)> run;
};

const std::vector<OpCase> &opCases()
{
    static const std::vector<OpCase> cases = {
        {"receipt into a free slot",
         {},
         [](const QString &d) { ops::storeReceipt(d, input("Новый", "5")); }},
        {"receipt appended", [](const QString &d) { ops::storeReceipt(d, input("Первый", "5")); },
         [](const QString &d) { ops::storeReceipt(d, input("Новый", "5")); }},
        {"edit", {}, [](const QString &d) { ops::storeEdit(d, 3, input("Правка", "7")); }},
        {"issue into a free slot", {}, [](const QString &d) { issue(d, 1, "2"); }},
        {"issue appended", [](const QString &d) { issue(d, 3, "1"); },
         [](const QString &d) { issue(d, 1, "2"); }},
        {"delete with three issues", {}, [](const QString &d) { ops::deleteBatch(d, 0); }},
        {"write-off adding its department", {}, [](const QString &d) { writeOff(d, 3, "2"); }},
        {"write-off to its department", [](const QString &d) { writeOff(d, 3, "1"); },
         [](const QString &d) { writeOff(d, 1, "2"); }},
        {"department added",
         {},
         [](const QString &d) {
             ReferenceList(d, RefKind::Departments).add(QStringLiteral("Терапия"));
         }},
        {"drug name appended",
         {},
         [](const QString &d) {
             ReferenceList(d, RefKind::DrugNames).add(QStringLiteral("Йод"), "фл");
         }},
        {"department removed",
         {},
         [](const QString &d) { ReferenceList(d, RefKind::Departments).remove(1); }},
        {"drug name removed",
         [](const QString &d) {
             ReferenceList(d, RefKind::DrugNames).add(QStringLiteral("Бинт"), "шт");
         },
         [](const QString &d) { ReferenceList(d, RefKind::DrugNames).remove(0); }},
    };
    return cases;
}

// The operations and the restore of a backup, which the crash sweep also runs.
[[maybe_unused]] const std::vector<OpCase> &sweptCases() // the sweep is POSIX only
{
    static const std::vector<OpCase> cases = [] {
        std::vector<OpCase> all = opCases();
        all.push_back(
            // The six files of the folder as built put back from a copy, after a
            // receipt into the free slot and one appended (Base.dat gets shorter).
            {"restore of an earlier copy",
             [](const QString &d) {
                 const QString copy = backup::folder(d) + QStringLiteral("/2020-01-01");
                 QDir().mkpath(copy);
                 for (const QString &f : AllFiles)
                     QFile::copy(files::path(d, f), copy + QLatin1Char('/') + f);
                 ops::storeReceipt(d, input("Первый", "5"));
                 ops::storeReceipt(d, input("Второй", "5"));
                 ReferenceList(d, RefKind::Departments).add(QStringLiteral("Терапия"));
             },
             [](const QString &d) { backup::restore(d, QStringLiteral("2020-01-01")); }});
        // Undo is an operation of its own: of a deletion (records put back)
        // and of an appended receipt (the file cut back).
        all.push_back({"undo of a deletion", [](const QString &d) { ops::deleteBatch(d, 0); },
                       [](const QString &d) { ASSERT_TRUE(ops::undoLast(d).done); }});
        all.push_back({"undo of a receipt appended",
                       [](const QString &d) {
                           ops::storeReceipt(d, input("Первый", "5"));
                           ops::storeReceipt(d, input("Новый", "5"));
                       },
                       [](const QString &d) { ASSERT_TRUE(ops::undoLast(d).done); }});
        all.push_back(
            // A shortage of batch 0 (5,5 left), a surplus of batch 1 (6) and a
            // line that agrees: a write-off, a receipt into the free slot, and
            // the count marked posted.
            {"stock-take posted",
             [](const QString &d) {
                 const QDate day(2024, 3, 1);
                 std::vector<ops::CountRow> rows = ops::countRows(d, count::Count{day, false, {}});
                 for (ops::CountRow &r : rows)
                     r.counted = r.book.batch.RecordId == 0 ? QStringLiteral("5")
                         : r.book.batch.RecordId == 1       ? QStringLiteral("7")
                                                            : QStringLiteral("10");
                 count::save(d, ops::draftOf(day, rows));
             },
             [](const QString &d) { ops::postCount(d); }});
        return all;
    }();
    return cases;
}

struct Disarm
{
    ~Disarm() { RecordFile::failWritesAfter(-1); }
};

} // namespace

TEST(Faults, DiskFullAtAnyByteLeavesNoHalfRecordAndNoChangedLiveRecord)
{
    // Every byte count up to past the largest operation's writes: each write is
    // cut at every place once.
    for (const OpCase &c : opCases()) {
        int failures = 0;
        // Around both ends of every record size, and between.
        for (qint64 after :
             {0,   1,   2,   3,   5,   8,   30,   51,   52,   56,   57,   59,   60,  61,
              100, 256, 295, 296, 297, 400, 499,  503,  504,  552,  556,  559,  560, 561,
              600, 604, 607, 608, 609, 700, 1000, 1119, 1120, 1167, 1168, 1169, 1300}) {
            SCOPED_TRACE(std::string(c.name) + ", fails after " + std::to_string(after) + " bytes");
            TempDataDir dir;
            fill(dir);
            if (c.prepare)
                c.prepare(dir.path());
            const Snapshot before = snapshot(dir);
            Disarm disarm;
            RecordFile::failWritesAfter(after);
            try {
                c.run(dir.path());
            } catch (const Error &e) {
                ++failures;
                EXPECT_TRUE(e.message().contains(QStringLiteral("на диске нет свободного места")))
                    << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(QStringLiteral(".dat\"")))
                    << e.message().toStdString();
                RecordFile::failWritesAfter(-1);
                expectNothingLiveChanged(before, dir);
                continue;
            }
            // The fault came after the operation's last write: it is complete.
            for (const check::Finding &x : check::run(dir.path()).findings)
                ADD_FAILURE() << x.line().toStdString();
        }
        EXPECT_GT(failures, 0) << c.name;
    }
}

TEST(Faults, FileGoneOrAFolderInItsPlaceIsNamedAndNothingIsCreated)
{
    struct Damage
    {
        const char *name;
        const char *reason;
        std::function<void(const TempDataDir &, const QString &file)> apply;
    };
    const Damage damages[] = {
        {"missing", "файл не найден",
         [](const TempDataDir &d, const QString &f) { QFile::remove(d.file(f)); }},
        {"folder", "на месте файла находится папка",
         [](const TempDataDir &d, const QString &f) {
             QFile::remove(d.file(f));
             QDir(d.path()).mkdir(f);
         }},
    };
    for (const Damage &damage : damages)
        for (const QString &file :
             {files::Base, files::Rashod, files::Otdelenie, files::NamePreparat})
            for (const OpCase &c : opCases()) {
                SCOPED_TRACE(std::string(c.name) + ", " + file.toStdString() + " " + damage.name);
                TempDataDir dir;
                fill(dir);
                if (c.prepare)
                    c.prepare(dir.path());
                const Snapshot before = snapshot(dir);
                damage.apply(dir, file);
                try {
                    c.run(dir.path());
                } catch (const Error &e) {
                    EXPECT_TRUE(e.message().contains(
                        QStringLiteral("\"%1\": %2").arg(file, QString::fromUtf8(damage.reason))))
                        << e.message().toStdString();
                }
                // Whether it needed the file or not, every other file is as
                // before, or changed by a complete operation.
                EXPECT_EQ(QFileInfo(dir.file(file)).isFile(), false);
                for (const QString &f : AllFiles) {
                    if (f != file && dir.read(f) != before[f]) {
                        EXPECT_EQ(dir.read(f).size() % recordSize(f), 0) << f.toStdString();
                    }
                }
            }
}

#ifndef _WIN32
TEST(Faults, FileSizeLimitStopsAnAppendAndTheFileIsCutBack)
{
    TempDataDir dir;
    fill(dir);
    ops::storeReceipt(dir.path(), input("Вата", "3")); // takes the free slot
    const Snapshot before = snapshot(dir);
    const qint64 baseSize = before[files::Base].size();

    // The limit falls inside the next record, as a nearly full disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(baseSize + 100);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString message;
    try {
        ops::storeReceipt(dir.path(), input("Новый", "1"));
    } catch (const Error &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(message,
              QStringLiteral("Ошибка при работе с файлом \"Base.dat\": файл достиг "
                             "предельного размера, запись не поместилась"));
    // The 100 bytes that fitted are taken back with the rest of the receipt.
    EXPECT_EQ(dir.read(files::Base), before[files::Base]);
    expectNothingLiveChanged(before, dir);

    // With room again the receipt goes through.
    ops::storeReceipt(dir.path(), input("Новый", "1"));
    EXPECT_EQ(dir.read(files::Base).size(), baseSize + StockRecord::Size);
    EXPECT_TRUE(check::run(dir.path()).findings.isEmpty());
}
#endif

#ifndef _WIN32
namespace {

// The data files, the journal, the history and the stock-take's count, when
// there are; an empty history (made before the journal of the first
// operation) is none.
Snapshot folderState(const TempDataDir &dir)
{
    Snapshot s = snapshot(dir);
    for (const QString &name : {Transaction::FileName, count::FileName})
        if (QFile::exists(dir.file(name)))
            s[name] = dir.read(name);
    if (const QByteArray h = dir.read(history::FileName); !h.isEmpty())
        s[history::FileName] = h;
    return s;
}

void restore(const TempDataDir &dir, const Snapshot &s)
{
    QFile::remove(dir.file(Transaction::FileName));
    QFile::remove(dir.file(history::FileName));
    QFile::remove(dir.file(count::FileName));
    for (auto it = s.cbegin(); it != s.cend(); ++it)
        dir.write(it.key(), it.value());
}

// `fn` in a child process stopped at its n-th disk call (nothing flushed, no
// destructor run). Its exit status: disk::StoppedExit when it stopped there.
int stoppedAt(qint64 n, const std::function<void()> &fn)
{
    const pid_t pid = fork();
    if (pid == 0) {
        disk::stopAt(n);
        try {
            fn();
        } catch (...) {
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Counts fn's disk calls (and what they were) without stopping it.
QStringList callsOf(const std::function<void()> &fn)
{
    disk::stopAt(0);
    disk::recordCalls(true);
    fn();
    const QStringList calls = disk::recordedCalls();
    disk::recordCalls(false);
    EXPECT_EQ(calls.size(), disk::calls());
    return calls;
}

} // namespace

TEST(Faults, CrashAtAnyDiskCallLeavesTheFolderAsBeforeOrAsAfterOnceRecovered)
{
    // VEDARIS_CRASH_TABLE=1 prints the state each crash point left.
    const bool table = qEnvironmentVariableIsSet("VEDARIS_CRASH_TABLE");
    disk::skipSyncs(true);
    // The history's entries carry the time: the same in every child.
    Clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    struct Syncs
    {
        ~Syncs()
        {
            disk::skipSyncs(false);
            Clock::setFixedToday(std::nullopt);
        }
    } syncs;
    for (const OpCase &c : sweptCases()) {
        SCOPED_TRACE(c.name);
        TempDataDir dir;
        fill(dir);
        if (c.prepare)
            c.prepare(dir.path());
        const Snapshot before = folderState(dir);
        const QStringList calls = callsOf([&] { c.run(dir.path()); });
        const Snapshot after = folderState(dir);
        ASSERT_NE(before, after);
        ASSERT_FALSE(after.contains(Transaction::FileName));

        auto expectBeforeOrAfter = [&](const std::string &where) {
            const Snapshot now = folderState(dir);
            EXPECT_TRUE(now == before || now == after) << where << " left a state between";
            for (const check::Finding &x : check::run(dir.path()).findings)
                ADD_FAILURE() << where << ": " << x.line().toStdString();
            // History and data agree: every entry sound, the newest after-images in the files.
            for (const QString &p : history::verify(dir.path()).problems)
                ADD_FAILURE() << where << ": " << p.toStdString();
            return now == before ? "before" : now == after ? "after" : "BETWEEN";
        };
        for (qint64 n = 1; n <= calls.size(); ++n) {
            const std::string where =
                "stopped at call " + std::to_string(n) + ", " + calls[n - 1].toStdString();
            restore(dir, before);
            ASSERT_EQ(stoppedAt(n, [&] { c.run(dir.path()); }), disk::StoppedExit) << where;
            const Snapshot crashed = folderState(dir);
            // The recovery may die too, at any of its own calls; the next one finishes it.
            const QStringList recovery = callsOf([&] { journal::recover(dir.path()); });
            const char *state = expectBeforeOrAfter(where);
            for (qint64 m = 1; m <= recovery.size(); ++m) {
                restore(dir, crashed);
                ASSERT_EQ(stoppedAt(m, [&] { journal::recover(dir.path()); }), disk::StoppedExit);
                journal::recover(dir.path());
                expectBeforeOrAfter(where + ", recovery stopped at " + std::to_string(m) + ", "
                                    + recovery[m - 1].toStdString());
            }
            if (table)
                std::printf("%-26s %2lld %-26s -> %-6s (recovery: %lld calls)\n", c.name, n,
                            qPrintable(calls[n - 1]), state, qint64(recovery.size()));
        }
        // Right after the last call the operation stands.
        restore(dir, before);
        ASSERT_EQ(stoppedAt(calls.size() + 1, [&] { c.run(dir.path()); }), 0);
        journal::recover(dir.path());
        const char *state = expectBeforeOrAfter("after the last call");
        EXPECT_STREQ(state, "after");
        if (table)
            std::printf("%-26s    %-26s -> %s\n", c.name, "(after the last call)", state);
    }
}

TEST(Faults, CrashWhileTheDraftIsSavedLeavesTheOldDraftOrTheNewWhole)
{
    TempDataDir dir;
    fill(dir);
    const QDate day(2024, 3, 1);
    std::vector<ops::CountRow> rows = ops::countRows(dir.path(), count::Count{day, false, {}});
    ASSERT_FALSE(rows.empty());
    rows[0].counted = QStringLiteral("1");
    const count::Count old = ops::draftOf(day, rows);
    for (ops::CountRow &r : rows)
        r.counted = QStringLiteral("2,5");
    const count::Count now = ops::draftOf(day, rows);
    const QByteArray oldBytes = count::encode(old), newBytes = count::encode(now);

    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "the first draft" : "a draft over another");
        QFile::remove(dir.file(count::FileName));
        if (!first)
            count::save(dir.path(), old);
        const QStringList calls = callsOf([&] { count::save(dir.path(), now); });
        ASSERT_EQ(calls.size(), 3); // write, sync, rename
        for (qint64 n = 1; n <= calls.size(); ++n) {
            SCOPED_TRACE("stopped at " + calls[n - 1].toStdString());
            QFile::remove(dir.file(count::FileName));
            if (!first)
                count::save(dir.path(), old);
            ASSERT_EQ(stoppedAt(n, [&] { count::save(dir.path(), now); }), disk::StoppedExit);
            if (first && !QFile::exists(dir.file(count::FileName)))
                continue; // no draft yet: the window starts afresh
            const QByteArray left = dir.read(count::FileName);
            EXPECT_TRUE(left == (first ? newBytes : oldBytes) || left == newBytes);
            EXPECT_NO_THROW(count::read(dir.path()));
        }
        // A save after the crash puts the new draft down whole.
        count::save(dir.path(), now);
        EXPECT_EQ(dir.read(count::FileName), newBytes);
    }
}
#endif
