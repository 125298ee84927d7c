// "Журнал операций" and "Отменить последнюю операцию" through the real windows.

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/TFormHistory.h"
#include "operations/StockOperations.h"
#include "operations/StockRow.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/ReferenceLists.h"
#include "support/Batches.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/Desktop.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

ops::BatchInput input(const QString &name, const QString &qty)
{
    return test::batchInput(name, qty, QDate(2026, 11, 10), QDate(2028, 1, 1));
}

class HistoryWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Messages::startRecording();
        dir.createEmptyFiles();
        at(QDate(2026, 12, 7), 9);
        ops::storeReceipt(dir.path(), input(QStringLiteral("Анальгин"), QStringLiteral("10")));
        ops::storeIssue(dir.path(), 0, ops::readBatch(dir.path(), 0), QStringLiteral("2"),
                        QStringLiteral("Хирургия"), QDate(2026, 12, 7));
        at(QDate(2026, 12, 8), 10);
        ops::storeReceipt(dir.path(), input(QStringLiteral("Бинт"), QStringLiteral("5")));
        ops::storeEdit(dir.path(), 1,
                       input(QStringLiteral("Бинт стерильный"), QStringLiteral("6")));
        at(QDate(2026, 12, 9), 11);
        ops::deleteBatch(dir.path(), 0);
    }
    void TearDown() override
    {
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }
    void at(const QDate &day, int hour) { Clock::setFixedNow(QDateTime(day, QTime(hour, 15))); }

    static QStringList column(const QTreeWidget *list, int col)
    {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(col);
        return out;
    }
    // The changes shown for the entry in `row`: "record — change", then "field: before → after".
    static QStringList changes(TFormHistory &w, int row)
    {
        auto *list = control<QTreeWidget>(&w, "ListEntries");
        list->setCurrentItem(list->topLevelItem(row));
        QStringList out;
        auto *tree = control<QTreeWidget>(&w, "TreeChanges");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *top = tree->topLevelItem(i);
            out << top->text(0);
            for (int k = 0; k < top->childCount(); ++k)
                out << QStringLiteral("%1: %2 → %3")
                           .arg(top->child(k)->text(0), top->child(k)->text(1),
                                top->child(k)->text(2));
        }
        return out;
    }
    static void shoot(QWidget *w, const char *name)
    {
        // VEDARIS_SHOTS=DIR keeps a picture of the window for the notes.
        const QString shots = qEnvironmentVariable("VEDARIS_SHOTS");
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            w->grab().save(QDir(shots).filePath(QString::fromLatin1(name)));
        }
    }
    TempDataDir dir;
};

TEST_F(HistoryWindow, NewestFirstWithTheFieldsOfAnEditAndADeletion)
{
    TFormHistory w(dir.path());
    ASSERT_TRUE(w.load());
    w.show();
    auto *list = control<QTreeWidget>(&w, "ListEntries");
    EXPECT_EQ(column(list, 0), (QStringList{"5", "4", "3", "2", "1"}));
    EXPECT_EQ(column(list, 2),
              (QStringList{"Удаление", "Изменение", "Приход", "Выдача", "Приход"}));
    EXPECT_EQ(list->topLevelItem(0)->text(3),
              QStringLiteral("Удаление записи \"Анальгин\" вместе с её выдачами (1)"));
    EXPECT_EQ(list->topLevelItem(0)->text(1).left(16), QStringLiteral("09.12.2026 11:15"));

    const QStringList edit = changes(w, 1);
    shoot(&w, "history-edit.png");
    EXPECT_EQ(edit.value(0),
              QStringLiteral("Партия \"Бинт стерильный\" (Base.dat, запись 1) — изменена"));
    EXPECT_TRUE(edit.contains(QStringLiteral("Наименование: Бинт → Бинт стерильный")));
    EXPECT_TRUE(edit.contains(QStringLiteral("Количество: 5 → 6")));
    EXPECT_FALSE(edit.contains(QStringLiteral("Поставщик: Фарм → Фарм")));

    const QStringList del = changes(w, 0);
    shoot(&w, "history-deletion.png");
    // The batch first, then each issue removed with it, whole.
    EXPECT_EQ(del.value(0), QStringLiteral("Партия \"Анальгин\" (Base.dat, запись 0) — удалена"));
    EXPECT_TRUE(del.contains(QStringLiteral("Количество: 8 → ")));
    EXPECT_TRUE(del.contains(QStringLiteral("Удалена: 0 → 1")));
    EXPECT_TRUE(
        del.contains(QStringLiteral("Выдача \"Анальгин\" (Rashod.dat, запись 0) — удалена")));
    EXPECT_TRUE(del.contains(QStringLiteral("Отделение: Хирургия → ")));
}

TEST_F(HistoryWindow, FiltersByPeriodKindAndDrug)
{
    TFormHistory w(dir.path());
    ASSERT_TRUE(w.load());
    auto *list = control<QTreeWidget>(&w, "ListEntries");
    struct Case
    {
        bool period;
        QDate from, to;
        QString kind, drug;
        QStringList numbers;
    };
    const Case cases[] = {
        {false, {}, {}, QStringLiteral("Приход"), {}, {"3", "1"}},
        {false, {}, {}, {}, QStringLiteral("бинт"), {"4", "3"}},
        {true, QDate(2026, 12, 8), QDate(2026, 12, 8), {}, {}, {"4", "3"}},
        {true,
         QDate(2026, 12, 7),
         QDate(2026, 12, 8),
         QStringLiteral("Выдача"),
         QStringLiteral("Анальг"),
         {"2"}},
        {true, QDate(2026, 12, 10), QDate(2026, 12, 31), {}, {}, {}},
    };
    for (const Case &c : cases) {
        control<QCheckBox>(&w, "CheckPeriod")->setChecked(c.period);
        if (c.period) {
            dateEdit(&w, "DateFrom")->setDate(c.from);
            dateEdit(&w, "DateTo")->setDate(c.to);
        }
        auto *kind = control<QComboBox>(&w, "ComboKind");
        kind->setCurrentIndex(c.kind.isEmpty() ? 0 : kind->findData(c.kind));
        lineEdit(&w, "EditDrug")->setText(c.drug);
        pushButton(&w, "BtnShow")->click();
        EXPECT_EQ(column(list, 0), c.numbers)
            << c.kind.toStdString() << " " << c.drug.toStdString();
    }
}

TEST_F(HistoryWindow, TheDeletionReportOfThePeriod)
{
    QTemporaryDir reports;
    setReportsFolder(reports.path());
    QList<QUrl> opened;
    desktop::setOpener([&](const QUrl &url) {
        opened << url;
        return true;
    });
    TFormHistory w(dir.path());
    ASSERT_TRUE(w.load());
    dateEdit(&w, "DateFrom")->setDate(QDate(2026, 12, 1));
    dateEdit(&w, "DateTo")->setDate(QDate(2026, 12, 8));
    pushButton(&w, "BtnDeletions")->click();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{"За этот период не удалено ни одной партии!"});
    dateEdit(&w, "DateTo")->setDate(QDate(2026, 12, 9));
    pushButton(&w, "BtnDeletions")->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral(".xlsx")))
        << opened[0].toString().toStdString();
    EXPECT_TRUE(QFile::exists(opened[0].toLocalFile()));
    desktop::setOpener({});
    setReportsFolder({});
}

TEST_F(HistoryWindow, UndoFromTheFileMenuRefillsTheListAndIsOffWhenViewOnly)
{
    Forms forms(dir.path());
    TFormGl *gl = forms.FormGl;
    gl->show();
    auto *stock = control<ListView>(gl, "RzListView1");
    ASSERT_EQ(stock->rowCount(), 1);
    Messages::takeRecordedTexts();

    QAction *undo = control<QAction>(gl, "MenuUndo");
    EXPECT_EQ(undo->text(), QStringLiteral("Отменить последнюю операцию"));
    EXPECT_EQ(control<QAction>(gl, "MenuHistory")->text(), QStringLiteral("Журнал операций..."));
    Messages::setAnswer(false);
    undo->trigger();
    EXPECT_EQ(stock->rowCount(), 1);
    EXPECT_EQ(
        Messages::takeRecordedTexts(),
        QStringList{"Отменить операцию \"Удаление записи \"Анальгин\" вместе с её выдачами (1)\" "
                    "(09.12.2026 11:15)?"});
    Messages::setAnswer(true);
    undo->trigger();
    EXPECT_EQ(stock->rowCount(), 2);
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].endsWith(QStringLiteral("отменена."))) << shown[1].toStdString();

    // The edit next: refused once another program changed the batch.
    QByteArray base = dir.read(files::Base);
    base[StockRecord::Size + 1] = 'X';
    dir.write(files::Base, base);
    undo->trigger();
    const QStringList refused = Messages::takeRecordedTexts();
    ASSERT_EQ(refused.size(), 2);
    EXPECT_TRUE(refused[1].contains(QStringLiteral("отменить нельзя"))) << refused[1].toStdString();
    EXPECT_TRUE(refused[1].contains(QStringLiteral("другой программой")))
        << refused[1].toStdString();
    EXPECT_EQ(dir.read(files::Base), base);

    gl->setViewOnly();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(control<QAction>(gl, "MenuHistory")->isEnabled());
}

} // namespace
