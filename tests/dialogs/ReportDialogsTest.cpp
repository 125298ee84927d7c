// The parameter dialogs and the desktop hand-over, through the real windows.

#include "reports/ReportTestData.h"

#include "app/Desktop.h"
#include "app/Forms.h"
#include "app/Messages.h"
#include "app/TFormGl.h"
#include "reports/dialogs/ReportLauncher.h"
#include "reports/dialogs/TFormAllRashod.h"
#include "reports/dialogs/TFormOtchetDvijeniia.h"
#include "reports/dialogs/TFormOtchetOneOtdel.h"
#include "reports/dialogs/TFormOtchetPolIzr.h"
#include "reports/dialogs/TFormOtchetPrihodMedikamentov.h"
#include "reports/dialogs/TFormRashodAllData.h"
#include "reports/dialogs/TFormSrokGodnosti.h"
#include "store/Clock.h"
#include "store/Error.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
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
        EXPECT_EQ(c.dialog->RzBitBtnCreate->text(), "Создать");
        EXPECT_EQ(c.dialog->RzBitBtnClose->text(), "Закрыть");
        const QList<QDateEdit *> dates = c.dialog->findChildren<QDateEdit *>();
        ASSERT_FALSE(dates.isEmpty());
        c.dialog->show();
        for (QDateEdit *d : dates) {
            EXPECT_EQ(d->date(), day(15)) << qPrintable(d->objectName());
            d->setDate(day(1, 1));
        }
        c.dialog->RzBitBtnClose->click();
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
    dialog->RzDateTimeEditStart->setDate(day(12));
    dialog->RzDateTimeEditFinish->setDate(day(12));
    QProgressBar *bar = forms->FormGl->progressBar();
    bool barShown = false;
    onOpen = [&] { barShown = !bar->isHidden(); };
    dialog->RzBitBtnCreate->click();

    ASSERT_EQ(opened.size(), 1);
    const QFileInfo file(opened[0]);
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(file.absolutePath(), QFileInfo(out.path()).absoluteFilePath());
    EXPECT_TRUE(file.fileName().startsWith("Общий расход медикаментов ")) << qPrintable(file.fileName());
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
             t.forms->FormSrokGodnosti->RzDateTimeEdit1->setDate(day(1, 1));
             t.forms->FormSrokGodnosti->RzBitBtnCreate->click();
         },
         reports::messages::NoExpired},
        {"a data file that cannot be read",
         [](ReportDialogsTest &t) {
             QFile::remove(t.dir.file("Rashod.dat"));
             t.forms->FormOtchetDvijeniia->show();
             t.forms->FormOtchetDvijeniia->RzBitBtnCreate->click();
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
        EXPECT_TRUE(forms->FormGl->progressBar()->isHidden());
    }
}

TEST_F(ReportDialogsTest, StockReportStartsAtOnceAndNoSecondReportInsideARunningOne)
{
    start(sample());
    onOpen = [&] {
        // Still inside the first report: another one is refused.
        forms->FormGl->BtnNalichieClick();
        forms->FormAllRashod->show();
        forms->FormAllRashod->RzBitBtnCreate->click();
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
    dialog->fillDepartments();
    QStringList items;
    for (int i = 0; i < dialog->RzComboBoxMoveOtd->count(); ++i)
        items << dialog->RzComboBoxMoveOtd->itemText(i);
    EXPECT_EQ(items, (QStringList{"Аптека", "Терапия", "Хирургия"}));
    EXPECT_EQ(dialog->RzComboBoxMoveOtd->currentIndex(), 0);

    dialog->show();
    dialog->RzDateTimeEditStart->setDate(day(1));
    dialog->RzComboBoxMoveOtd->setEditText("хирургия"); // another spelling matches nothing
    EXPECT_EQ(dialog->params().department, "хирургия");
    dialog->RzBitBtnCreate->click();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{reports::messages::NoConsumption});

    dialog->show();
    dialog->RzDateTimeEditStart->setDate(day(1));
    dialog->RzComboBoxMoveOtd->setCurrentIndex(2);
    dialog->RzBitBtnCreate->click();
    EXPECT_EQ(opened.size(), 1);

    QFile::remove(dir.file("Otdelenie.dat"));
    EXPECT_THROW(dialog->fillDepartments(), vedaris::Error);
    EXPECT_EQ(dialog->RzComboBoxMoveOtd->count(), 0);
}
