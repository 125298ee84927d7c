// A failing data file seen through the real windows: the standard error box
// names the file and the reason in Russian, the dialog keeps its input, the
// stock list keeps its rows and the program goes on.

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/TFormDelZap.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormRashod.h"
#include "operations/StockOperations.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

void whenShown(QDialog *dialog, std::function<void()> step)
{
    QTimer::singleShot(0, dialog, [dialog, step] {
        step();
        if (dialog->isVisible())
            dialog->reject();
    });
}

class StockFaults : public testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setFixedToday(QDate(2024, 3, 15));
        dir.createEmptyFiles();
        ops::BatchInput in;
        in.drugName = QStringLiteral("Бинт");
        in.quantityText = QStringLiteral("10");
        in.priceText = QStringLiteral("3");
        ops::storeReceipt(dir.path(), in);
        Messages::startRecording();
        forms = std::make_unique<Forms>(dir.path());
        forms->FormGl->show();
        QCoreApplication::processEvents();
        control<ListView>(forms->FormGl, "RzListView1")->setSelectedRow(0);
    }
    void TearDown() override
    {
        RecordFile::failWritesAfter(-1);
        forms.reset();
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }
    QStringList row() const { return control<ListView>(forms->FormGl, "RzListView1")->cells(0); }
    void replaceByFolder(const QString &file) const
    {
        QFile::remove(dir.file(file));
        QDir(dir.path()).mkdir(file);
    }

    TempDataDir dir;
    std::unique_ptr<Forms> forms;
};

} // namespace

TEST_F(StockFaults, ReceiptIntoAFolderShowsTheFileAndKeepsTheDialog)
{
    replaceByFolder(files::Base);
    TFormPrihod *p = forms->FormPrihod;
    bool stillOpen = false;
    whenShown(p, [&] {
        lineEdit(p, "RzButtonEditPNamePrep")->setText(QStringLiteral("Анальгин"));
        lineEdit(p, "RzEditPEdinIzm")->setText(QStringLiteral("уп"));
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("5"));
        QTest::keyClicks(lineEdit(p, "RzEditPCEdin"), QStringLiteral("2"));
        pushButton(p, "RzBitBtnPSave")->click();
        stillOpen = p->isVisible() && lineEdit(p, "RzEditPKol")->text() == QStringLiteral("5");
    });
    forms->FormGl->BtnNewPrihodClick();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{QStringLiteral(
                  "Ошибка при работе с файлом \"Base.dat\": на месте файла находится папка")});
    EXPECT_EQ(control<ListView>(forms->FormGl, "RzListView1")->rowCount(), 1);
}

TEST_F(StockFaults, IssueOnAFullDiskLeavesRowAndFilesAsTheyWere)
{
    const QStringList before = row();
    const QByteArray base = dir.read(files::Base);
    TFormRashod *r = forms->FormRashod;
    whenShown(r, [&] {
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("4"));
        RecordFile::failWritesAfter(0);
        pushButton(r, "RzBitBtnRSave")->click();
        RecordFile::failWritesAfter(-1);
    });
    forms->FormGl->BtnRashodClick();
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{QStringLiteral(
                  "Ошибка при работе с файлом \"Rashod.dat\": на диске нет свободного места")});
    EXPECT_EQ(row(), before);
    EXPECT_EQ(dir.read(files::Base), base);
    EXPECT_EQ(dir.read(files::Rashod), QByteArray());

    // The program goes on: the same issue succeeds once there is room.
    whenShown(r, [&] {
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("4"));
        pushButton(r, "RzBitBtnRSave")->click();
    });
    forms->FormGl->BtnRashodClick();
    EXPECT_EQ(row().at(7), QStringLiteral("6"));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(StockFaults, DeleteWithTheIssueFileGoneKeepsTheRow)
{
    QFile::remove(dir.file(files::Rashod));
    TFormDelZap *d = forms->FormDelZap;
    whenShown(d, [&] { pushButton(d, "RzBitBtnDel")->click(); });
    forms->FormGl->BtnDeleteZapisClick();
    EXPECT_EQ(
        Messages::takeRecordedTexts(),
        QStringList{QStringLiteral("Ошибка при работе с файлом \"Rashod.dat\": файл не найден")});
    EXPECT_EQ(control<ListView>(forms->FormGl, "RzListView1")->rowCount(), 1);
    EXPECT_FALSE(QFile::exists(dir.file(files::Rashod))) << "a vanished file is not made again";
}
