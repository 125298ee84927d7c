#include "store/DataFiles.h"
#include "store/History.h"
#include "store/Records.h"
#include "store/ReferenceLists.h"
#include "support/TempDataDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun check(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VEDARIS_DIST_DIR "/vedaris-check"), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray stock(qint32 id, double qty)
{
    StockRecord r;
    r.DrugName = QStringLiteral("Анальгин");
    r.ReceiptDate = r.ExpiryDate = 45292;
    r.Quantity = r.ReceivedQuantity = qty;
    r.UnitPrice = 2;
    r.TotalSum = r.ReceivedSum = 2 * qty;
    r.RecordId = id;
    QByteArray b(StockRecord::Size, Qt::Uninitialized);
    encode(r, b.data());
    return b;
}

} // namespace

TEST(CheckTool, ExitCodeTellsConsistentFindingsOrUnreadable)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    dir.write(files::Base, stock(0, 10) + stock(1, 5));

    ToolRun clean = check({"--data", dir.path()});
    EXPECT_EQ(clean.exitCode, 0) << clean.out.toStdString() << clean.err.toStdString();
    EXPECT_TRUE(clean.out.contains(QStringLiteral("Нарушений: 0")));

    // Record 1 claims to be record 7.
    dir.write(files::Base, stock(0, 10) + stock(7, 5));
    const QByteArray before = dir.read(files::Base);
    ToolRun found = check({"--data", dir.path()});
    EXPECT_EQ(found.exitCode, 1);
    EXPECT_TRUE(found.out.contains(QStringLiteral("Base.dat, запись 1: RecordId = 7")))
        << found.out.toStdString();
    EXPECT_EQ(dir.read(files::Base), before);

    QFile::remove(dir.file(files::Otdelenie));
    ToolRun missing = check({"--data", dir.path()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Otdelenie.dat"))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file(files::Otdelenie))) << "the check must never create a file";
    // A check that could not read every file never ends saying all is well.
    EXPECT_FALSE(missing.out.contains(QStringLiteral("Нарушений: 0"))) << missing.out.toStdString();
    EXPECT_TRUE(
        missing.out.trimmed().endsWith(QStringLiteral("не удалось прочитать файлов: 1 из 6; "
                                                      "нарушений в прочитанных: 1.")))
        << missing.out.toStdString();

    // No data folder at all: six unread files, the same last line.
    ToolRun none = check({"--data", dir.file(QStringLiteral("нет такой папки"))});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err.count(QStringLiteral("Не удалось прочитать")), 6) << none.err.toStdString();
    EXPECT_FALSE(none.out.contains(QStringLiteral("Нарушений: 0"))) << none.out.toStdString();
    EXPECT_TRUE(none.out.contains(
        QStringLiteral("Проверка не завершена: не удалось прочитать файлов: 6 из 6")))
        << none.out.toStdString();

    EXPECT_EQ(check({"--bogus"}).exitCode, 2);
}

// A data folder named as a user types it: Cyrillic letters and spaces, with the
// system's separators (backslashes on Windows), in the temporary folder and on
// the drive of the program itself (another drive letter under Windows).
TEST(CheckTool, FolderWithCyrillicSpacesAndNativeSeparators)
{
    TempDataDir temp;
    QTemporaryDir besideProgram(QCoreApplication::applicationDirPath()
                                + QStringLiteral("/check-XXXXXX"));
    for (const QString &root : {temp.path(), besideProgram.path()}) {
        const QString folder = root + QStringLiteral("/Склад №1/данные аптеки");
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const QString &name : files::All) {
            QFile f(folder + '/' + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            if (name == files::Base)
                f.write(stock(0, 10) + stock(1, 5));
        }
        const ToolRun run = check({"--data", QDir::toNativeSeparators(folder)});
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("Нарушений: 0"))) << run.out.toStdString();
    }
}

// The history in lines of its own: its entries' checksums, and the newest
// after-image of each record it names against the files.
TEST(CheckTool, HistoryChecksumsAndAfterImages)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    dir.write(files::Base, stock(0, 10));
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Склад"));
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    const QByteArray history = dir.read(history::FileName);
    const QByteArray departments = dir.read(files::Otdelenie);

    const ToolRun sound = check({"--data", dir.path()});
    EXPECT_EQ(sound.exitCode, 0) << sound.out.toStdString();
    EXPECT_TRUE(sound.out.contains(
        QStringLiteral("История операций (Vedaris.history): записей 2, нарушений 0.")))
        << sound.out.toStdString();

    struct Case
    {
        const char *name;
        std::function<void()> damage;
        const char *line;
    };
    const Case cases[] = {
        {"a byte of the first entry",
         [&] {
             QByteArray h = history;
             h[40] = char(h[40] ^ 1);
             dir.write(history::FileName, h);
         },
         "Vedaris.history: запись истории с позиции 8 повреждена"},
        {"a torn tail", [&] { dir.write(history::FileName, history.left(history.size() - 3)); },
         "Vedaris.history: конец файла"},
        {"a department renamed by another program",
         [&] {
             QByteArray d = departments;
             d[61] = char(0xC6); // "Ж" in code page 1251
             dir.write(files::Otdelenie, d);
         },
         "Vedaris.history: Otdelenie.dat, запись 1: не такая, какой её оставила последняя "
         "операция"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dir.write(history::FileName, history);
        dir.write(files::Otdelenie, departments);
        c.damage();
        const QByteArray before = dir.read(history::FileName);
        const ToolRun run = check({"--data", dir.path()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(c.line))) << run.out.toStdString();
        EXPECT_EQ(dir.read(history::FileName), before) << "the check writes nothing";
    }
}
