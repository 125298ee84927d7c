// The store against an ordinary day's accidents, through real files and real
// processes: a crash met by a restored backup or by the old program's writes,
// a lock file deleted under a running copy, special files in the data folder,
// a folder that is truly read-only, damaged dates, a zero-filled Base.dat, old
// data brought in on the day of the first start.

#include "app/Startup.h"
#include "app/TFormGl.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "dialogs/TFormViewZap.h"
#include "operations/StockOperations.h"
#include "reports/Reports.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/DataLock.h"
#include "store/DiskIo.h"
#include "store/Error.h"
#include "store/IntegrityCheck.h"
#include "store/Journal.h"
#include "store/Records.h"
#include "store/ReferenceLists.h"
#include "support/Controls.h"
#include "support/OtherCopy.h"
#include "support/TempDataDir.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mount.h>
#endif

using namespace vedaris;

namespace {

using Files = QMap<QString, QByteArray>;

class Safety : public ::testing::Test
{
public:
    Safety()
    {
        Clock::setFixedToday(QDate(2024, 5, 6));
        Messages::startRecording();
    }
    ~Safety() override
    {
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }

    static ops::BatchInput input(const QString &name, const QString &qty)
    {
        ops::BatchInput in;
        in.drugName = name;
        in.unit = QStringLiteral("уп");
        in.quantityText = qty;
        in.priceText = QStringLiteral("2");
        in.receiptDate = QDate(2024, 5, 1);
        in.expiryDate = QDate(2026, 1, 1);
        return in;
    }
    // One batch of 10 and one department, made by the operations.
    void stock(const QString &folder) const
    {
        for (const QString &name : files::All)
            write(folder, name, {});
        ops::storeReceipt(folder, input(QStringLiteral("Анальгин"), QStringLiteral("10")));
        ReferenceList(folder, RefKind::Departments).add(QStringLiteral("Хирургия"));
    }
    void stock() const { stock(dir.path()); }
    static void write(const QString &folder, const QString &name, const QByteArray &bytes)
    {
        QFile f(QDir(folder).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    Files dataFiles() const
    {
        Files all;
        for (const QString &name : files::All)
            all[name] = dir.read(name);
        return all;
    }
    void put(const Files &files) const
    {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            dir.write(it.key(), it.value());
    }
    void issue(const QString &qty) const
    {
        ops::storeIssue(dir.path(), 0, ops::readBatch(dir.path(), 0), qty,
                        QStringLiteral("Хирургия"), QDate(2024, 5, 6));
    }
    // A clean folder for the next case.
    void clear() const
    {
        QDir d(dir.path());
        for (const QFileInfo &e :
             d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            e.isDir() && !e.isSymLink() ? QDir(e.filePath()).removeRecursively()
                                        : QFile::remove(e.filePath());
    }
    bool journalLeft() const { return QFile::exists(dir.file(Transaction::FileName)); }

    TempDataDir dir;
};

#ifndef _WIN32
// `fn` in a child process that dies at its n-th disk call, as in a crash.
void crashAt(qint64 n, const std::function<void()> &fn)
{
    const pid_t pid = fork();
    if (pid == 0) {
        disk::stopAt(n);
        try {
            fn();
        } catch (...) { }
        std::_Exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == disk::StoppedExit);
}
#endif

} // namespace

#ifndef _WIN32
TEST_F(Safety, JournalThatNoLongerFitsTheFilesIsNotPlayedBack)
{
    struct Case
    {
        const char *what;
        // Makes the crash and changes the files behind the journal's back.
        std::function<void(Safety &)> run;
    };
    const Case cases[] = {
        {"yesterday's backup restored over an issue cut short",
         [](Safety &t) {
             const Files backup = t.dataFiles();
             t.issue(QStringLiteral("1"));
             crashAt(5, [&] { t.issue(QStringLiteral("2")); }); // the issue written, the batch half
             t.put(backup);
         }},
        {"backup older than the crashed receipt restored",
         [](Safety &t) {
             const Files backup = t.dataFiles();
             ops::storeReceipt(t.dir.path(), input(QStringLiteral("Бинт"), QStringLiteral("5")));
             crashAt(4, [&] {
                 ops::storeReceipt(t.dir.path(), input(QStringLiteral("Йод"), QStringLiteral("3")));
             });
             t.put(backup);
         }},
        {"the old program appends five receipts and five issues",
         [](Safety &t) {
             crashAt(5, [&] { t.issue(QStringLiteral("2")); });
             QByteArray base = t.dir.read(files::Base), rashod = t.dir.read(files::Rashod);
             const QByteArray batch = base.left(StockRecord::Size);
             for (int i = 0; i < 5; ++i) {
                 base += batch;
                 rashod += rashod.left(IssueRecord::Size);
             }
             t.dir.write(files::Base, base);
             t.dir.write(files::Rashod, rashod);
         }},
        {"the old program issues from the batch in place",
         [](Safety &t) {
             crashAt(4, [&] { t.issue(QStringLiteral("2")); }); // the issue half written
             QByteArray base = t.dir.read(files::Base);
             const double left = 4;
             std::memcpy(base.data() + layout::Stock::Quantity, &left, sizeof left);
             t.dir.write(files::Base, base);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        clear();
        stock();
        c.run(*this);
        ASSERT_TRUE(journalLeft());
        const Files tampered = dataFiles();

        // vedaris-check names the journal and says it does not fit.
        const check::Result checked = check::run(dir.path());
        ASSERT_FALSE(checked.findings.isEmpty());
        EXPECT_TRUE(checked.findings.back().line().startsWith(QStringLiteral(
            "Vedaris.journal: журнал незавершённой операции не подходит к файлам данных")))
            << checked.findings.back().line().toStdString();

        {
            const auto session = startUp(dir.path());
            ASSERT_TRUE(session);
            EXPECT_EQ(session->forms->FormGl->windowTitle(),
                      QStringLiteral("Ведарис v4.3 — только просмотр"));
            const QStringList shown = Messages::takeRecordedTexts();
            ASSERT_EQ(shown.size(), 1) << shown.join('\n').toStdString();
            EXPECT_TRUE(shown[0].contains(
                QStringLiteral("журнал незавершённой операции \"%1\" не подходит к файлам "
                               "данных")
                    .arg(QDir::toNativeSeparators(dir.file(Transaction::FileName)))))
                << shown[0].toStdString();
            EXPECT_TRUE(shown[0].contains(
                QStringLiteral("переместите файл \"Vedaris.journal\" из папки данных")));
            EXPECT_THROW(issue(QStringLiteral("1")), Error);
        }
        EXPECT_EQ(dataFiles(), tampered) << "nothing written";
        EXPECT_TRUE(journalLeft());

        // Once the user has moved the journal aside the program runs as usual.
        QFile::rename(dir.file(Transaction::FileName), dir.file("Vedaris.journal.old"));
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
        EXPECT_EQ(session->forms->FormGl->windowTitle(), QStringLiteral("Ведарис v4.3"));
        Messages::takeRecordedTexts();
    }
}

TEST_F(Safety, JournalThatFitsIsReportedByTheCheckAndPlayedBack)
{
    stock();
    const Files before = dataFiles();
    crashAt(5, [&] { issue(QStringLiteral("2")); });
    const check::Result checked = check::run(dir.path());
    ASSERT_FALSE(checked.findings.isEmpty());
    EXPECT_EQ(
        checked.findings.back().line(),
        QStringLiteral(
            "Vedaris.journal: незавершённая операция: Выдача 2 уп препарата \"Анальгин\" в "
            "отделение \"Хирургия\" не была завершена и отменена. Журнал подходит к файлам данных: "
            "при следующем запуске программа отменит эту операцию."));
    EXPECT_TRUE(startUp(dir.path()));
    EXPECT_EQ(dataFiles(), before);
    EXPECT_FALSE(journalLeft());
    EXPECT_EQ(Messages::takeRecordedTexts().size(), 1);
}

TEST_F(Safety, DeletedOrReplacedLockStopsTheWritesAndSaysSo)
{
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced by a sync" : "deleted");
        stock();
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
        Messages::takeRecordedTexts();
        issue(QStringLiteral("1")); // the lock still holds
        ASSERT_TRUE(QFile::remove(dir.file(DataLock::FileName)));
        if (replaced)
            dir.write(DataLock::FileName, {});
        // Another copy could now take a lock of its own and write as well.
        {
            OtherCopy other(dir.path(), "hold");
            EXPECT_EQ(other.state(), "taken");
        }
        const Files before = dataFiles();
        try {
            issue(QStringLiteral("1"));
            ADD_FAILURE() << "written without the lock";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().startsWith(
                QStringLiteral("Файл блокировки \"%1\" удалён или заменён")
                    .arg(QDir::toNativeSeparators(dir.file(DataLock::FileName)))))
                << e.message().toStdString();
        }
        EXPECT_EQ(session->forms->FormGl->windowTitle(),
                  QStringLiteral("Ведарис v4.3 — только просмотр"));
        EXPECT_THROW(ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Терапия")),
                     Error);
        EXPECT_EQ(dataFiles(), before);
    }
}

TEST_F(Safety, SpecialFilesAreRefusedAtOnceAndTheProgramOpensForViewing)
{
    struct Case
    {
        const char *what;
        QString file;
        std::function<void(const QString &path)> make;
        const char *reason;
    };
    const auto fifo = [](const QString &path) {
        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    };
    const auto zero = [](const QString &path) {
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
    };
    const Case cases[] = {
        {"journal a FIFO", Transaction::FileName, fifo,
         "это именованный канал (FIFO), а не обычный файл"},
        {"journal a link to /dev/zero", Transaction::FileName, zero,
         "это устройство, а не обычный файл"},
        {"Base.dat a FIFO", files::Base, fifo, "это именованный канал (FIFO), а не обычный файл"},
        {"Otdelenie.dat a link to /dev/zero", files::Otdelenie, zero,
         "это устройство, а не обычный файл"},
        {"lock a FIFO", DataLock::FileName, fifo,
         "это именованный канал (FIFO), а не обычный файл"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        clear();
        stock();
        QFile::remove(dir.file(c.file));
        c.make(dir.file(c.file));
        QElapsedTimer took;
        took.start();
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
        EXPECT_LT(took.elapsed(), 10000);
        EXPECT_EQ(session->forms->FormGl->windowTitle(),
                  QStringLiteral("Ведарис v4.3 — только просмотр"));
        // The list cannot be filled from a special Base.dat: that is said too.
        const QStringList shown = Messages::takeRecordedTexts();
        const QStringList viewOnly =
            shown.filter(QStringLiteral("Программа открыта только для просмотра"));
        ASSERT_EQ(viewOnly.size(), 1) << shown.join('\n').toStdString();
        EXPECT_TRUE(viewOnly[0].contains(QString::fromUtf8(c.reason))) << viewOnly[0].toStdString();
        EXPECT_FALSE(QDir(dir.file("backup")).exists());
    }
}
#endif

#ifdef __linux__
TEST_F(Safety, ViewOnlyAndEveryReportOnATrulyReadOnlyFolder)
{
    // A small file system of the test's own, filled, then mounted read-only:
    // as root a chmod would not stop a single write.
    QTemporaryDir mountPoint;
    const QByteArray at = QFile::encodeName(mountPoint.path());
    if (geteuid() != 0 || mount("tmpfs", at.constData(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    struct Unmount
    {
        QByteArray at;
        ~Unmount() { umount2(at.constData(), MNT_DETACH); }
    } unmount{at};
    const QString data = mountPoint.path();
    stock(data);
    ops::storeIssue(data, 0, ops::readBatch(data, 0), QStringLiteral("3"),
                    QStringLiteral("Хирургия"), QDate(2024, 5, 2));
    ASSERT_EQ(mount("tmpfs", at.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=4m"), 0);

    const auto session = startUp(data);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->forms->FormGl->windowTitle(),
              QStringLiteral("Ведарис v4.3 — только просмотр"));
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 1) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("диск доступен только для чтения")))
        << shown[0].toStdString();
    EXPECT_EQ(control<ListView>(session->forms->FormGl, "RzListView1")->rowCount(), 1);

    // The department list of "По одному отделению..." and every report read the files.
    TFormOtchetOneOtdel *one = session->forms->FormOtchetOneOtdel;
    one->fillDepartments();
    EXPECT_EQ(control<QComboBox>(one, "RzComboBoxMoveOtd")->count(), 1);
    EXPECT_EQ(ReferenceList(data, RefKind::Departments).liveNames(), QStringList{"Хирургия"});
    reports::ReportParams params;
    params.date = params.finish = QDate(2024, 5, 6);
    params.start = QDate(2024, 5, 1);
    params.department = QStringLiteral("Хирургия");
    using K = reports::ReportKind;
    for (const K kind : {K::Expired, K::Stock, K::Consumption, K::Purchases, K::Department,
                         K::Departments, K::Movement, K::IssueDates}) {
        SCOPED_TRACE(int(kind));
        EXPECT_NO_THROW(reports::runReport(kind, data, params));
    }
    EXPECT_NO_THROW(check::run(data));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}
#endif

TEST_F(Safety, DateThatCannotBeShownIsEmptyAndKeptWhenTheEditSaves)
{
    dir.createEmptyFiles();
    ops::storeReceipt(dir.path(), input(QStringLiteral("Анальгин"), QStringLiteral("10")));
    ops::storeReceipt(dir.path(), input(QStringLiteral("Бинт"), QStringLiteral("5")));
    // Batch 1's dates: NaN and far out of range.
    QByteArray base = dir.read(files::Base);
    const double nan = std::numeric_limits<double>::quiet_NaN(), huge = 1e300;
    std::memcpy(base.data() + StockRecord::Size + layout::Stock::ReceiptDate, &nan, sizeof nan);
    std::memcpy(base.data() + StockRecord::Size + layout::Stock::ExpiryDate, &huge, sizeof huge);
    dir.write(files::Base, base);

    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    Messages::takeRecordedTexts();
    TFormGl *gl = session->forms->FormGl;
    auto *list = control<ListView>(gl, "RzListView1");
    const auto rowOf = [&](const QString &name) {
        for (int row = 0; row < list->rowCount(); ++row)
            if (list->cells(row).value(stockcol::DrugName) == name)
                return row;
        return -1;
    };

    // The view window after a sound record: not that record's dates.
    TFormViewZap *view = session->forms->FormViewZap;
    QStringList seen;
    for (const char *name : {"Анальгин", "Бинт"}) {
        list->setSelectedRow(rowOf(QString::fromUtf8(name)));
        QTimer::singleShot(0, [&] {
            seen << dateEdit(view, "RzDateTimeEditVDataPol")->text()
                 << dateEdit(view, "RzDateTimeEditVSrokGodn")->text();
            view->close();
        });
        gl->RzListView1DblClick();
    }
    EXPECT_EQ(seen, (QStringList{"01.05.2024", "01.01.2026", " ", " "}));

    // The edit changes the quantity only: the damaged dates are written back as they were.
    list->setSelectedRow(rowOf(QStringLiteral("Бинт")));
    TFormEdit *edit = session->forms->FormEdit;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(dateEdit(edit, "RzDateTimeEditEDataPoluch")->text(), QStringLiteral(" "));
        lineEdit(edit, "RzEditEKol")->setText(QStringLiteral("6"));
        pushButton(edit, "RzBitBtnESave")->click();
    });
    gl->BtnEditPrihodClick();
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    const QByteArray saved = dir.read(files::Base).mid(StockRecord::Size, StockRecord::Size);
    EXPECT_EQ(saved.mid(layout::Stock::ReceiptDate, 8),
              base.mid(StockRecord::Size + layout::Stock::ReceiptDate, 8));
    EXPECT_EQ(saved.mid(layout::Stock::ExpiryDate, 8),
              base.mid(StockRecord::Size + layout::Stock::ExpiryDate, 8));
    StockRecord r;
    decode(saved.constData(), r);
    EXPECT_EQ(r.Quantity, 6);
}

TEST_F(Safety, ZeroFilledBaseIsReportedOnceNotListed)
{
    stock();
    // 100,000 records of zeros after the batch, as a sparse or zero-filled file.
    QFile base(dir.file(files::Base));
    ASSERT_TRUE(base.open(QIODevice::ReadWrite));
    ASSERT_TRUE(base.resize(StockRecord::Size * 100001LL));
    base.close();

    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    EXPECT_EQ(control<ListView>(session->forms->FormGl, "RzListView1")->rowCount(), 1);
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown[0],
              QStringLiteral(
                  "Base.dat: пустые записи — возможно, след сбоя питания: записи с 1 по 100000 "
                  "(всего 100000) состоят из одних нулевых байтов. В списке они не "
                  "показываются; запустите vedaris-check, чтобы проверить файлы."));
    session->forms->FormGl->FillStockList();
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty()) << "once";
}

TEST_F(Safety, OldDataBroughtInOnTheFirstDayIsBackedUpAtTheNextStart)
{
    {
        const auto session = startUp(dir.path()); // the first start: empty files, copied
        ASSERT_TRUE(session);
    }
    ASSERT_EQ(dir.read("backup/2024-05-06/Base.dat"), QByteArray());
    // The old program's files copied in.
    TempDataDir old;
    stock(old.path());
    for (const QString &name : files::All)
        dir.write(name, old.read(name));
    {
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
    }
    EXPECT_EQ(dir.read("backup/2024-05-06-2/Base.dat"), old.read(files::Base));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    // The program's own writes are no reason for a further copy.
    {
        const auto session = startUp(dir.path());
        issue(QStringLiteral("1"));
    }
    EXPECT_TRUE(startUp(dir.path()));
    EXPECT_FALSE(QDir(dir.file("backup/2024-05-06-3")).exists());
}

TEST_F(Safety, RestoreFromTheFileMenuPutsTheChosenCopyBack)
{
    stock();
    const Files monday = dataFiles();
    const auto session = startUp(dir.path()); // makes the day's copy
    ASSERT_TRUE(session);
    TFormGl *gl = session->forms->FormGl;
    issue(QStringLiteral("4"));
    const Files later = dataFiles();

    // In "Файл", before "Выход", behind a separator.
    QAction *restore = gl->findChild<QAction *>(QStringLiteral("MenuRestore"));
    ASSERT_TRUE(restore);
    EXPECT_EQ(restore->text(), QStringLiteral("Восстановить из резервной копии..."));
    const QList<QAction *> file = gl->findChild<QMenu *>(QStringLiteral("MenuFile"))->actions();
    ASSERT_EQ(file.size(), 6);
    EXPECT_EQ(file[0], restore);
    EXPECT_TRUE(file[1]->isSeparator());
    EXPECT_EQ(file[2]->objectName(), QStringLiteral("MenuHistory"));
    EXPECT_EQ(file[3]->objectName(), QStringLiteral("MenuUndo"));
    EXPECT_TRUE(file[4]->isSeparator());
    EXPECT_EQ(file[5]->objectName(), QStringLiteral("MenuExit"));
    EXPECT_TRUE(restore->isEnabled());

    QStringList listed;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("RzListCopies"));
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        pushButton(dialog, "RzBitBtnRestore")->click();
    });
    restore->trigger();
    EXPECT_EQ(listed, QStringList{"2024-05-06"});
    EXPECT_EQ(dataFiles(), monday);
    EXPECT_EQ(control<ListView>(gl, "RzListView1")->cells(0).value(stockcol::Quantity),
              QStringLiteral("10"));
    EXPECT_EQ(dir.read("backup/2024-05-06-2/Base.dat"), later[files::Base]);
    EXPECT_EQ(
        Messages::takeRecordedTexts(),
        QStringList{
            "Данные восстановлены из резервной копии \"2024-05-06\". Файлы, какими они были до "
            "этого, сохранены в копии \"2024-05-06-2\"."});
    gl->setViewOnly();
    EXPECT_FALSE(restore->isEnabled());
}
