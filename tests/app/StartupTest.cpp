#include "app/Startup.h"
#include "app/TFormGl.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/TFormViewZap.h"
#include "operations/StockOperations.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/DataLock.h"
#include "store/DiskIo.h"
#include "store/Error.h"
#include "store/Journal.h"
#include "store/ReferenceLists.h"
#include "support/Controls.h"
#include "support/OtherCopy.h"
#include "support/TempDataDir.h"
#include "widgets/Desktop.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace vedaris;

namespace {

class Startup : public ::testing::Test
{
protected:
    Startup()
    {
        Clock::setFixedToday(QDate(2024, 5, 6));
        Messages::startRecording();
    }
    ~Startup() override
    {
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }
    QStringList entries(const QString &sub = {}) const
    {
        return QDir(dir.file(sub))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    // A store of one batch of 10 and one department, made by the operations.
    void stock() const
    {
        dir.createEmptyFiles();
        ops::BatchInput in;
        in.drugName = QStringLiteral("Анальгин");
        in.unit = QStringLiteral("уп");
        in.quantityText = QStringLiteral("10");
        in.priceText = QStringLiteral("2");
        ops::storeReceipt(dir.path(), in);
        ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    }
    QMap<QString, QByteArray> dataFiles() const
    {
        QMap<QString, QByteArray> all;
        for (const QString &name : files::All)
            all[name] = dir.read(name);
        return all;
    }
    void issue(const QString &qty) const
    {
        ops::storeIssue(dir.path(), 0, ops::readBatch(dir.path(), 0), qty,
                        QStringLiteral("Хирургия"), QDate(2024, 5, 6));
    }

    TempDataDir dir;
};

} // namespace

TEST_F(Startup, FirstStartLocksCreatesTheFilesAndBacksThemUp)
{
    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->forms->FormGl->isVisible());
    EXPECT_EQ(entries(),
              (QStringList{"Base.dat", "FirmaPostav.dat", "Izgotovitel.dat", "NamePreparat.dat",
                           "Otdelenie.dat", "Rashod.dat", "Vedaris.lock", "backup"}));
    EXPECT_EQ(entries("backup/2024-05-06").size(), 6);
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(Startup, TheLoadingWindowOpensCentredOverTheMainWindowAlreadyOnScreen)
{
    stock();
    // How things stand at the moment the loading window opens.
    struct Watch : QObject
    {
        int shown = 0;
        bool mainOnScreen = false;
        int rowsListed = -1;
        QPoint loadCentre, mainCentre;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (o->objectName() != QStringLiteral("FormLoad"))
                return false;
            auto *load = static_cast<QWidget *>(o);
            auto *main = load->parentWidget();
            if (e->type() == QEvent::Show) {
                ++shown;
                mainOnScreen = main->windowHandle() && main->windowHandle()->isExposed();
                rowsListed = control<ListView>(main, "RzListView1")->rowCount();
            } else if (e->type() == QEvent::Hide) { // placed by now
                loadCentre = load->frameGeometry().center();
                mainCentre = main->frameGeometry().center();
            }
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    const auto session = startUp(dir.path());
    qApp->removeEventFilter(&watch);
    ASSERT_TRUE(session);

    EXPECT_EQ(watch.shown, 1);
    EXPECT_TRUE(watch.mainOnScreen);
    EXPECT_EQ(watch.rowsListed, 0); // it opens before the list fills
    EXPECT_LE((watch.loadCentre - watch.mainCentre).manhattanLength(), 2);
    TFormGl *main = session->forms->FormGl;
    EXPECT_FALSE(control<QWidget>(main, "FormLoad")->isVisible());
    EXPECT_EQ(control<ListView>(main, "RzListView1")->rowCount(), 1);
    EXPECT_EQ(entries("backup/2024-05-06").size(), 6); // the backup comes after the list
}

TEST_F(Startup, SecondCopyOnTheFolderSaysSoAndTouchesNothing)
{
    DataLock running(dir.path());
    ASSERT_EQ(running.take(), DataLock::State::Taken);

    EXPECT_FALSE(startUp(dir.path()));
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{QStringLiteral("Программа уже запущена с этими данными.")});
    EXPECT_EQ(entries(), QStringList{"Vedaris.lock"});
}

TEST_F(Startup, FailedBackupIsShownOnceAndTheProgramRuns)
{
    dir.write("backup", "a file where the backup folder should be");
    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->forms->FormGl->isVisible());
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Не удалось сделать резервную копию данных")))
        << shown[0].toStdString();
    EXPECT_TRUE(QFile::exists(dir.file(files::Base)));
}

TEST_F(Startup, SecondCopyRunningInAnotherProcessIsRefused)
{
    stock();
    OtherCopy running(dir.path(), "hold");
    ASSERT_EQ(running.state(), "taken");
    const QStringList before = entries();
    EXPECT_FALSE(startUp(dir.path()));
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{DataLock::busyMessage()});
    EXPECT_EQ(entries(), before);
}

TEST_F(Startup, WithoutTheLockTheDataCanBeViewedButNothingWritten)
{
    stock();
    const auto before = dataFiles();
    const QStringList entriesBefore = entries();
    QTemporaryDir reports;
    setReportsFolder(reports.path());
    QList<QUrl> opened;
    desktop::setOpener([&](const QUrl &url) { return opened << url, true; });
    DataLock::failNextTake(QStringLiteral("файловая система не поддерживает блокировку файлов"));

    {
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
        TFormGl *gl = session->forms->FormGl;
        EXPECT_EQ(gl->windowTitle(), QStringLiteral("Ведарис v4.3 — только просмотр"));
        const QVector<Messages::Shown> shown = Messages::takeRecorded();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, Messages::Kind::Error);
        EXPECT_TRUE(
            shown[0].text.startsWith(QStringLiteral("Программа открыта только для просмотра")));
        EXPECT_TRUE(
            shown[0].text.contains(QDir::toNativeSeparators(QDir(dir.path()).absolutePath())));
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("не поддерживает блокировку файлов")));

        // The writing commands are off, in the toolbar and the menus alike.
        for (const char *name :
             {"BtnNewPrihod", "BtnRashod", "BtnEditPrihod", "BtnDeleteZapis", "BtnSpisanie",
              "BtnNewPrepar", "BtnDeletePrepar", "BtnNewFirmaPost", "BtnDeleteFirmaPost",
              "BtnNewIzgot", "BtnDeleteIzgot", "BtnNewMove", "BtnDeleteMove"}) {
            QToolButton *button = gl->findChild<QToolButton *>(QString::fromLatin1(name));
            ASSERT_TRUE(button) << name;
            EXPECT_FALSE(button->isEnabled()) << name;
            EXPECT_FALSE(button->defaultAction()->isEnabled()) << name;
        }
        int enabledMenuItems = 0;
        for (QAction *menu : gl->menuBar()->actions())
            for (QAction *item : menu->menu()->actions())
                enabledMenuItems += !item->isSeparator() && item->isEnabled();
        EXPECT_EQ(enabledMenuItems,
                  8 + 4 + 3); // the reports, the history, Exit, Help, About, the three documents
        EXPECT_FALSE(gl->findChild<QAction *>(QStringLiteral("MenuInventarizaciia"))->isEnabled());

        // The list, the view window and the reports work.
        ASSERT_EQ(control<ListView>(gl, "RzListView1")->rowCount(), 1);
        QString viewed;
        QTimer::singleShot(0, [&] {
            viewed = lineEdit(session->forms->FormViewZap, "RzEditVNamePrep")->text();
            session->forms->FormViewZap->close();
        });
        gl->RzListView1DblClick();
        EXPECT_EQ(viewed, QStringLiteral("Анальгин"));
        gl->findChild<QToolButton *>(QStringLiteral("BtnNalichie"))->click();
        EXPECT_EQ(opened.size(), 1);
        EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());

        // Not even a call past the windows writes.
        EXPECT_THROW(issue(QStringLiteral("1")), Error);
    }
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(entries(), entriesBefore);
    desktop::setOpener({});
    setReportsFolder({});
}

#ifndef _WIN32
TEST_F(Startup, IssueCutOffBetweenItsTwoWritesIsUndoneAndTheUserToldOnce)
{
    stock();
    const auto before = dataFiles();
    // The process dies as it writes the lowered batch: the issue is on disk, the batch is not.
    const pid_t pid = fork();
    if (pid == 0) {
        disk::stopAt(5); // journal written, synced, folder synced, issue written, batch half
        issue(QStringLiteral("2"));
        std::_Exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == disk::StoppedExit);
    ASSERT_TRUE(QFile::exists(dir.file(Transaction::FileName)));
    ASSERT_NE(dataFiles(), before);

    {
        const auto session = startUp(dir.path());
        ASSERT_TRUE(session);
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList{QStringLiteral(
                      "Выдача 2 уп препарата \"Анальгин\" в отделение \"Хирургия\" не "
                      "была завершена и отменена.\nФайлы данных возвращены к состоянию "
                      "до начала этой операции.")});
        EXPECT_EQ(dataFiles(), before);
        EXPECT_FALSE(QFile::exists(dir.file(Transaction::FileName)));
        EXPECT_EQ(control<ListView>(session->forms->FormGl, "RzListView1")
                      ->cells(0)
                      .value(stockcol::Quantity),
                  QStringLiteral("10"));
        // The backup of the day is of the files as they were put back.
        EXPECT_EQ(dir.read(QStringLiteral("backup/2024-05-06/Base.dat")), before[files::Base]);
    }
    EXPECT_TRUE(startUp(dir.path()));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty()) << "told once";
}
#endif

TEST_F(Startup, WritesWaitForTheBackupAndANewDayIsBackedUpBeforeItsFirstWrite)
{
    stock();
    for (const bool background : {false, true}) {
        SCOPED_TRACE(background ? "copied in the background" : "copied at once");
        QDir(dir.file("backup")).removeRecursively();
        Clock::setFixedToday(QDate(2024, 5, 6));
        const qint64 was = DailyBackup::backgroundFrom;
        if (background)
            DailyBackup::backgroundFrom = 0;
        const auto session = startUp(dir.path());
        DailyBackup::backgroundFrom = was;
        ASSERT_TRUE(session);

        const QByteArray monday = dir.read(files::Base);
        issue(QStringLiteral("1")); // waits for a copy still running
        EXPECT_FALSE(session->backup->copying());
        EXPECT_EQ(dir.read(QStringLiteral("backup/2024-05-06/Base.dat")), monday);

        // Past midnight, the first write of the day is preceded by its copy, once.
        Clock::setFixedToday(QDate(2024, 5, 7));
        const QByteArray tuesday = dir.read(files::Base);
        issue(QStringLiteral("1"));
        issue(QStringLiteral("1"));
        EXPECT_EQ(dir.read(QStringLiteral("backup/2024-05-07/Base.dat")), tuesday);
        EXPECT_EQ(backup::existing(dir.path()),
                  (QVector<QDate>{QDate(2024, 5, 6), QDate(2024, 5, 7)}));
        EXPECT_EQ(session->forms->FormGl->findChild<QWidget *>(QStringLiteral("BackupProgress")),
                  nullptr);
        EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    }
}
