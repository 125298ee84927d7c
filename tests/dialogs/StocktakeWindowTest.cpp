// The counting window, driven as the store-keeper drives it: counts typed into
// the table, the difference filter, the draft reopened, the posting.
#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/StocktakeDialogs.h"
#include "dialogs/TFormInventarizaciia.h"
#include "operations/BookQuantity.h"
#include "reports/ReportTestData.h"
#include "store/Clock.h"
#include "store/CountFile.h"
#include "support/Controls.h"
#include "widgets/Desktop.h"
#include "widgets/Messages.h"
#include "widgets/NumberFilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace reporttest;
using namespace vedaris;

namespace {

class StocktakeWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Data data;
        const qint32 a = data.add(
            Stock{.name = "Анальгин", .quantity = 5, .price = 2.5, .receivedQuantity = 10});
        const qint32 b =
            data.add(Stock{.name = "Бинт", .quantity = 15, .price = 3, .receivedQuantity = 20});
        data.add(Stock{.name = "Вата", .quantity = 7, .price = 1});
        data.add(Issue{a, day(5), 2});
        data.add(Issue{a, day(15), 3});
        data.add(Issue{b, day(3), 5});
        data.addDepartment(QStringLiteral("Хирургия"));
        data.writeTo(dir);
        Clock::setFixedToday(day(10));
        Messages::startRecording();
    }
    void TearDown() override
    {
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }

    // Types `text` into the counted cell of the table's row `row` and presses Enter.
    static void type(TFormInventarizaciia &w, int row, const char *text)
    {
        auto *table = control<QTableView>(&w, "RzListViewInv");
        const QModelIndex at = table->model()->index(row, 6);
        table->setCurrentIndex(at);
        table->edit(at);
        auto *editor = qobject_cast<QLineEdit *>(table->indexWidget(at));
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->objectName(), QStringLiteral("RzEditIFakt"));
        QTest::keyClicks(editor, QString::fromUtf8(text));
        QTest::keyClick(editor, Qt::Key_Return);
        // The view commits the count when it gets back to its loop; the move
        // to the next line follows that.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    static QString cell(TFormInventarizaciia &w, int row, int col)
    {
        auto *table = control<QTableView>(&w, "RzListViewInv");
        return table->model()->index(row, col).data().toString();
    }

    TempDataDir dir;
};

} // namespace

TEST_F(StocktakeWindowTest, CountsAreTypedFilteredKeptInTheDraftAndPosted)
{
    {
        TFormInventarizaciia w(dir.path());
        ASSERT_TRUE(w.load());
        auto *table = control<QTableView>(&w, "RzListViewInv");
        EXPECT_EQ(table->model()->rowCount(), 3);
        EXPECT_EQ(dateEdit(&w, "RzDateTimeEditIData")->date(), day(10));
        EXPECT_TRUE(dateEdit(&w, "RzDateTimeEditIData")->isEnabled());
        EXPECT_EQ(cell(w, 0, 5), "8"); // 10 received, 2 issued by the day, 3 after it

        // A letter is refused as in every quantity field; the digits go in.
        type(w, 0, "x6");
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{NumberFilter::refusal()});
        EXPECT_EQ(cell(w, 0, 6), "6");
        EXPECT_EQ(cell(w, 0, 7), "-2");
        EXPECT_EQ(cell(w, 0, 8), "-5");
        EXPECT_EQ(table->currentIndex().row(), 1); // Enter went on to the next line
        type(w, 1, "18.5");
        EXPECT_EQ(cell(w, 1, 6), "18,5");
        EXPECT_EQ(cell(w, 1, 8), "10,5");
        type(w, 2, "7");
        EXPECT_EQ(cell(w, 2, 7), "0");
        EXPECT_EQ(
            control<QLabel>(&w, "RzLabelItog")->text(),
            QStringLiteral(
                "Строк: 3, пересчитано: 3. Недостача: 5 (строк: 1). Излишки: 10,5 (строк: 1)."));
        // The first count fixed the date and started the draft.
        EXPECT_FALSE(dateEdit(&w, "RzDateTimeEditIData")->isEnabled());
        EXPECT_EQ(count::read(dir.path())->lines.size(), 3u);

        control<QCheckBox>(&w, "RzCheckBoxRaznica")->click();
        EXPECT_EQ(table->model()->rowCount(), 2);
        EXPECT_EQ(cell(w, 1, 0), "Бинт");
        control<QCheckBox>(&w, "RzCheckBoxRaznica")->click();
        EXPECT_EQ(table->model()->rowCount(), 3);

        // Search as in the main list: the first name starting with what is typed.
        auto *search = lineEdit(&w, "RzEditSearch");
        search->setText(QStringLiteral("ва"));
        QTest::keyRelease(search, Qt::Key_A);
        EXPECT_EQ(table->currentIndex().row(), 2);
    }
    Clock::setFixedToday(day(20)); // the count goes on days later

    TFormInventarizaciia w(dir.path());
    ASSERT_TRUE(w.load());
    EXPECT_EQ(dateEdit(&w, "RzDateTimeEditIData")->date(), day(10));
    EXPECT_EQ(cell(w, 0, 6), "6");
    EXPECT_EQ(cell(w, 1, 6), "18,5");
    EXPECT_EQ(control<QLabel>(&w, "RzLabelSostoianie")->text(),
              QStringLiteral("Черновик инвентаризации на 10.02.2024"));

    Messages::setAnswer(false);
    pushButton(&w, "RzBitBtnProvesti")->click();
    EXPECT_FALSE(count::read(dir.path())->posted);
    Messages::takeRecorded();
    Messages::setAnswer(true);
    pushButton(&w, "RzBitBtnProvesti")->click();
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Провести инвентаризацию на 10.02.2024?")));
    EXPECT_EQ(shown[1],
              QStringLiteral("Инвентаризация на 10.02.2024 проведена. Списано недостачи: 5, "
                             "оприходовано излишков: 10,5."));
    EXPECT_TRUE(count::read(dir.path())->posted);
    QMap<QString, double> book; // a surplus is a batch of its own
    for (const ops::BookLine &l : ops::bookQuantities(dir.path(), day(10)))
        book[l.batch.DrugName] += l.quantity;
    EXPECT_EQ(book, (QMap<QString, double>{{"Анальгин", 6}, {"Бинт", 18.5}, {"Вата", 7}}));

    // The posted count stays for its forms, read-only.
    EXPECT_FALSE(pushButton(&w, "RzBitBtnProvesti")->isEnabled());
    auto *table = control<QTableView>(&w, "RzListViewInv");
    EXPECT_FALSE(table->model()->flags(table->model()->index(0, 6)) & Qt::ItemIsEditable);
    EXPECT_EQ(cell(w, 0, 5), "8");
    EXPECT_EQ(cell(w, 0, 6), "6");
    EXPECT_EQ(control<QLabel>(&w, "RzLabelSostoianie")->text(),
              QStringLiteral("Инвентаризация на 10.02.2024 проведена"));
}

TEST_F(StocktakeWindowTest, TheDocumentsFollowTheReportsAndMakeTheirForms)
{
    QStringList opened;
    desktop::setOpener([&](const QUrl &url) {
        opened << QFileInfo(url.toLocalFile()).fileName();
        return true;
    });
    QTemporaryDir out;
    setReportsFolder(out.path());
    {
        Forms forms(dir.path());
        QStringList items;
        for (QAction *item : control<QMenu>(forms.FormGl, "MenuReports")->actions())
            items << (item->isSeparator() ? QStringLiteral("|") : item->text());
        ASSERT_EQ(items.size(), 12);
        EXPECT_EQ(items.mid(7),
                  (QStringList{"О движении...", "|", "Инвентаризационная опись...",
                               "Акт о списании...", "Требование-накладная..."}));

        struct Case
        {
            const char *title;
            std::function<std::unique_ptr<ReportDialog>()> dialog;
        };
        const Case cases[] = {
            {"Инвентаризационная опись",
             [&] {
                 auto d = std::make_unique<TFormOpis>(dir.path(), ReportProgress{}, forms.FormGl);
                 control<QCheckBox>(d.get(), "RzCheckBoxSlepaia")->setChecked(true);
                 return std::unique_ptr<ReportDialog>(std::move(d));
             }},
            {"Акт о списании",
             [&] {
                 // The posting below writes off the shortage on the 10th.
                 auto d = std::make_unique<TFormAktSpisaniia>(dir.path(), ReportProgress{},
                                                              forms.FormGl);
                 return std::unique_ptr<ReportDialog>(std::move(d));
             }},
            {"Требование-накладная",
             [&] {
                 auto d =
                     std::make_unique<TFormTrebovanie>(dir.path(), ReportProgress{}, forms.FormGl);
                 d->fillDepartments();
                 control<QComboBox>(d.get(), "RzComboBoxMoveOtd")
                     ->setCurrentText(QStringLiteral("Хирургия"));
                 return std::unique_ptr<ReportDialog>(std::move(d));
             }},
        };
        // A write-off on the day, for the act.
        TFormInventarizaciia w(dir.path());
        ASSERT_TRUE(w.load());
        type(w, 0, "7");
        Messages::setAnswer(true);
        pushButton(&w, "RzBitBtnProvesti")->click();
        Messages::takeRecorded();
        for (const Case &c : cases) {
            SCOPED_TRACE(c.title);
            const std::unique_ptr<ReportDialog> d = c.dialog();
            d->show();
            for (QDateEdit *date : d->findChildren<QDateEdit *>())
                if (date->objectName() == QStringLiteral("RzDateTimeEditStart"))
                    date->setDate(day(1));
            opened.clear();
            pushButton(d.get(), "RzBitBtnCreate")->click();
            EXPECT_EQ(Messages::takeRecordedTexts(), QStringList());
            ASSERT_EQ(opened.size(), 1);
            EXPECT_TRUE(opened[0].startsWith(QString::fromUtf8(c.title)))
                << opened[0].toStdString();
        }
    }
    desktop::setOpener({});
    setReportsFolder({});
}
