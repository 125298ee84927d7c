// The parameter dialogs and the desktop hand-over, through the real windows.

#include "reports/ReportTestData.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/ReportWindows.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "store/Clock.h"
#include "store/Error.h"
#include "support/Controls.h"
#include "widgets/Desktop.h"
#include "widgets/Messages.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace reporttest;
using namespace vedaris;

namespace {

class ReportDialogsTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        Clock::setFixedToday(day(15));
        Messages::startRecording();
        desktop::setOpener([this](const QUrl &url) {
            opened << url.toLocalFile();
            if (onOpen)
                onOpen();
            return openerSucceeds;
        });
        setReportsFolder(out.path());
    }
    void TearDown() override
    {
        forms.reset();
        Messages::stopRecording();
        desktop::setOpener({});
        setReportsFolder({});
        Clock::setFixedToday(std::nullopt);
    }

    void start(const Data &data)
    {
        data.writeTo(dir);
        forms = std::make_unique<Forms>(dir.path());
    }

    static Data sample()
    {
        Data d;
        d.addDepartment("Терапия");
        d.addDepartment("Архив", true);
        d.addDepartment("Хирургия");
        d.addDepartment("Аптека");
        d.add(Stock{.name = "Бинт", .received = day(10), .expiry = day(1)});
        d.add(Issue{0, day(12), 2, "Хирургия"});
        return d;
    }

    TempDataDir dir;
    QTemporaryDir out;
    std::unique_ptr<Forms> forms;
    QStringList opened;
    bool openerSucceeds = true;
    std::function<void()> onOpen;
};

} // namespace

TEST_F(ReportDialogsTest, EveryShowingStartsFromToday)
{
    start(sample());
    struct Case
    {
        ReportDialog *dialog;
        const char *caption;
    };
    const Case cases[] = {
        {forms->FormSrokGodnosti, "Отчёт о сроке годности"},
        {forms->FormAllRashod, "Общий расход медикаментов"},
        {forms->FormOtchetPrihodMedikamentov, "Приобретённые медикаменты"},
        {forms->FormOtchetOneOtdel, "Расход по отделению"},
        {forms->FormOtchetPolIzr, "Отчёт по всем отделениям"},
        {forms->FormOtchetDvijeniia, "Перемещение медикаментов"},
        {forms->FormRashodAllData, "Общий расход с выводом даты"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.dialog->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(pushButton(c.dialog, "RzBitBtnCreate")->text(), "Создать");
        EXPECT_EQ(pushButton(c.dialog, "RzBitBtnClose")->text(), "Закрыть");
        const QList<QDateEdit *> dates = c.dialog->findChildren<QDateEdit *>();
        ASSERT_FALSE(dates.isEmpty());
        c.dialog->show();
        for (QDateEdit *d : dates) {
            EXPECT_EQ(d->date(), day(15)) << qPrintable(d->objectName());
            d->setDate(day(1, 1));
        }
        pushButton(c.dialog, "RzBitBtnClose")->click();
        EXPECT_FALSE(c.dialog->isVisible());
        c.dialog->show();
        for (QDateEdit *d : dates)
            EXPECT_EQ(d->date(), day(15));
        c.dialog->close();
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_NE(forms->FormAllRashod->findChild<QDateEdit *>("RzDateTimeEditStart"), nullptr);
    EXPECT_NE(forms->FormSrokGodnosti->findChild<QDateEdit *>("RzDateTimeEdit1"), nullptr);
}

TEST_F(ReportDialogsTest, CreateHandsTheWorkbookToTheDesktopAndCloses)
{
    start(sample());
    TFormAllRashod *dialog = forms->FormAllRashod;
    dialog->show();
    dateEdit(dialog, "RzDateTimeEditStart")->setDate(day(12));
    dateEdit(dialog, "RzDateTimeEditFinish")->setDate(day(12));
    QProgressBar *bar = control<QProgressBar>(forms->FormGl->statusBar(), "RzProgressBar1");
    bool barShown = false;
    onOpen = [&] { barShown = !bar->isHidden(); };
    pushButton(dialog, "RzBitBtnCreate")->click();

    ASSERT_EQ(opened.size(), 1);
    const QFileInfo file(opened[0]);
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(file.absolutePath(), QFileInfo(out.path()).absoluteFilePath());
    EXPECT_TRUE(file.fileName().startsWith("Общий расход медикаментов "))
        << qPrintable(file.fileName());
    EXPECT_EQ(file.suffix(), "xlsx");
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(reportRunning());
}

TEST_F(ReportDialogsTest, OutcomesOtherThanAWorkbook)
{
    struct Case
    {
        const char *what;
        std::function<void(ReportDialogsTest &)> act;
        QString message;
    };
    const Case cases[] = {
        {"nothing to report",
         [](ReportDialogsTest &t) {
             t.forms->FormSrokGodnosti->show(); // today is before the expiry
             dateEdit(t.forms->FormSrokGodnosti, "RzDateTimeEdit1")->setDate(day(1, 1));
             pushButton(t.forms->FormSrokGodnosti, "RzBitBtnCreate")->click();
         },
         reports::messages::NoExpired},
        {"a data file that cannot be read",
         [](ReportDialogsTest &t) {
             QFile::remove(t.dir.file("Rashod.dat"));
             t.forms->FormOtchetDvijeniia->show();
             pushButton(t.forms->FormOtchetDvijeniia, "RzBitBtnCreate")->click();
         },
         "Rashod.dat"},
        {"no application opens the workbook",
         [](ReportDialogsTest &t) {
             t.openerSucceeds = false;
             t.forms->FormGl->BtnNalichieClick();
         },
         NoSpreadsheetMessage},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        forms.reset();
        sample().writeTo(dir);
        forms = std::make_unique<Forms>(dir.path());
        openerSucceeds = true;
        c.act(*this);
        const QStringList shown = Messages::takeRecordedTexts();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].contains(c.message)) << qPrintable(shown[0]);
        if (c.message != NoSpreadsheetMessage) {
            EXPECT_FALSE(shown[0].contains(NoSpreadsheetMessage));
        }
        EXPECT_TRUE(
            control<QProgressBar>(forms->FormGl->statusBar(), "RzProgressBar1")->isHidden());
    }
}

TEST_F(ReportDialogsTest, StockReportStartsAtOnceAndNoSecondReportInsideARunningOne)
{
    start(sample());
    onOpen = [&] {
        // Still inside the first report: another one is refused.
        forms->FormGl->BtnNalichieClick();
        forms->FormAllRashod->show();
        pushButton(forms->FormAllRashod, "RzBitBtnCreate")->click();
    };
    forms->FormGl->BtnNalichieClick();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(QFileInfo(opened.value(0)).fileName().startsWith("Наличие медикаментов "));
    onOpen = {};
    forms->FormGl->BtnNalichieClick();
    EXPECT_EQ(opened.size(), 2);
    EXPECT_NE(opened[0], opened[1]);
}

TEST_F(ReportDialogsTest, DepartmentListAndTypedDepartment)
{
    start(sample());
    TFormOtchetOneOtdel *dialog = forms->FormOtchetOneOtdel;
    auto *departments = control<QComboBox>(dialog, "RzComboBoxMoveOtd");
    dialog->fillDepartments();
    QStringList items;
    for (int i = 0; i < departments->count(); ++i)
        items << departments->itemText(i);
    EXPECT_EQ(items, (QStringList{"Аптека", "Терапия", "Хирургия"}));
    EXPECT_EQ(departments->currentIndex(), 0);

    dialog->show();
    dateEdit(dialog, "RzDateTimeEditStart")->setDate(day(1));
    departments->setEditText("хирургия"); // another spelling matches nothing
    EXPECT_EQ(dialog->params().department, "хирургия");
    pushButton(dialog, "RzBitBtnCreate")->click();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{reports::messages::NoConsumption});

    dialog->show();
    dateEdit(dialog, "RzDateTimeEditStart")->setDate(day(1));
    departments->setCurrentIndex(2);
    pushButton(dialog, "RzBitBtnCreate")->click();
    EXPECT_EQ(opened.size(), 1);

    QFile::remove(dir.file("Otdelenie.dat"));
    EXPECT_THROW(dialog->fillDepartments(), vedaris::Error);
    EXPECT_EQ(departments->count(), 0);
}

TEST_F(ReportDialogsTest, AWorkbookNoApplicationOpensIsNamedWithItsFolder)
{
    start(sample());
    openerSucceeds = false;
    forms->FormGl->BtnNalichieClick();
    QVector<Messages::Shown> shown = Messages::takeRecorded();
    ASSERT_EQ(shown.size(), 1);
    ASSERT_EQ(opened.size(), 1);
    const QString saved = opened[0];
    EXPECT_TRUE(QFileInfo(saved).isFile());
    EXPECT_EQ(shown[0].text, NoSpreadsheetMessage + "\n" + QDir::toNativeSeparators(saved));
    EXPECT_EQ(shown[0].button, "Открыть папку");
    shown[0].press();
    EXPECT_EQ(opened.value(1), QFileInfo(out.path()).absoluteFilePath());
    // Nothing opens the folder either: that is said too.
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{"Не удалось открыть папку "
                          + QDir::toNativeSeparators(QFileInfo(out.path()).absoluteFilePath())});

    // A workbook that cannot be saved has nothing to show: the one line stays.
    const QString notAFolder = QDir(out.path()).filePath("file");
    QFile(notAFolder).open(QIODevice::WriteOnly);
    setReportsFolder(notAFolder);
    forms->FormGl->BtnNalichieClick();
    shown = Messages::takeRecorded();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, NoSpreadsheetMessage);
    EXPECT_TRUE(shown[0].button.isEmpty());
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(ReportDialogsTest, ReportsAreSavedInTheDocumentsFolder)
{
#ifndef Q_OS_LINUX
    GTEST_SKIP() << "the desktop's folders are named by XDG only on Linux";
#endif
    struct Restore
    {
        QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
        ~Restore()
        {
            qputenv("HOME", home);
            config.isEmpty() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
        }
    } restore;
    struct Case
    {
        const char *desktop;
        const char *userDirs; // the desktop's names for its folders, if any
        const char *documents; // the folder that exists, if any
        const char *expected;
    };
    const Case cases[] = {
        {"Russian", "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n", "Документы",
         "Документы/Ведарис отчёты"},
        {"English", nullptr, "Documents", "Documents/Ведарис отчёты"},
        {"without documents", nullptr, nullptr, "Ведарис отчёты"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.desktop);
        const QString home = QDir(out.path()).filePath(c.desktop);
        QDir().mkpath(home + "/.config");
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
        if (c.userDirs) {
            QFile dirs(home + "/.config/user-dirs.dirs");
            ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
            dirs.write(c.userDirs);
        }
        if (c.documents)
            QDir(home).mkdir(QString::fromUtf8(c.documents));
        setReportsFolder({});
        EXPECT_EQ(reportsFolder(), QDir(home).filePath(QString::fromUtf8(c.expected)));
    }
    // The report itself goes there.
    start(sample());
    forms->FormGl->BtnNalichieClick();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened[0]).absolutePath(),
              QDir(out.path()).filePath(QStringLiteral("without documents/Ведарис отчёты")));
}
