#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/SelectionTarget.h"
#include "dialogs/TFormDelFirma.h"
#include "dialogs/TFormDelMove.h"
#include "dialogs/TFormDelPrep.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormNewFirma.h"
#include "dialogs/TFormNewFirmaIzg.h"
#include "dialogs/TFormNewMove.h"
#include "dialogs/TFormNewPrep.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormSelFirma.h"
#include "dialogs/TFormSelPrep.h"
#include "store/DataFiles.h"
#include "support/TempDataDir.h"
#include "widgets/Messages.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

QStringList captions(const ListView *list)
{
    QStringList out;
    for (int row = 0; row < list->rowCount(); ++row)
        out << list->cells(row).value(0);
    return out;
}

class ReferenceDialogsTest : public ::testing::Test
{
protected:
    ReferenceDialogsTest() : forms(dir.path()) { Messages::startRecording(); }
    ~ReferenceDialogsTest() override { Messages::stopRecording(); }

    TempDataDir dir;
    Forms forms;
};

struct NewEntryCase
{
    const char *title;
    RefKind kind;
    RefNewDialog *(*dialog)(Forms &);
    const char *field;
};

const NewEntryCase newEntryCases[] = {
    {"Новый препарат", RefKind::DrugNames, [](Forms &f) -> RefNewDialog * { return f.FormNewPrep; },
     "RzEditNamePrep"},
    {"Новая фирма-поставщик", RefKind::Suppliers,
     [](Forms &f) -> RefNewDialog * { return f.FormNewFirma; }, "RzEditNewFirma"},
    {"Новая фирма-изготовитель", RefKind::Manufacturers,
     [](Forms &f) -> RefNewDialog * { return f.FormNewFirmaIzg; }, "RzEditNewFirmaIzg"},
    {"Новое перемещение", RefKind::Departments,
     [](Forms &f) -> RefNewDialog * { return f.FormNewMove; }, "RzEditNewMove"},
};

TEST_F(ReferenceDialogsTest, NewEntryDialogsStoreOnceAndReportDuplicates)
{
    for (const NewEntryCase &c : newEntryCases) {
        SCOPED_TRACE(c.title);
        RefNewDialog *dialog = c.dialog(forms);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(c.title));
        auto *name = dialog->findChild<QLineEdit *>(QString::fromLatin1(c.field));
        ASSERT_NE(name, nullptr);

        dialog->show();
        EXPECT_TRUE(name->text().isEmpty());
        EXPECT_FALSE(dialog->RzBitBtnSave->isEnabled());
        QTest::keyClicks(name, QStringLiteral(" "));
        EXPECT_TRUE(dialog->RzBitBtnSave->isEnabled()); // spaces count as text
        name->clear();
        EXPECT_FALSE(dialog->RzBitBtnSave->isEnabled());

        name->setText(QStringLiteral("Анальгин 0,5"));
        dialog->RzBitBtnSave->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ReferenceList(dir.path(), c.kind).liveNames(), QStringList{"Анальгин 0,5"});

        dialog->show();
        EXPECT_TRUE(name->text().isEmpty()); // emptied at every showing
        name->setText(QStringLiteral(" АНАЛЬГИН0.5"));
        dialog->RzBitBtnSave->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(name->text(), QStringLiteral(" АНАЛЬГИН0.5"));
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Такая запись уже существует!"});
        dialog->RzBitBtnClose->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ReferenceList(dir.path(), c.kind).liveNames().size(), 1);
    }
}

TEST_F(ReferenceDialogsTest, NewDrugKeepsItsUnitAcrossShowings)
{
    TFormNewPrep *dialog = forms.FormNewPrep;
    QComboBox *units = dialog->RzComboBoxEdIzm;
    EXPECT_EQ(units->count(), 17);
    EXPECT_EQ(units->currentText(), QStringLiteral("Таблетки"));

    dialog->show();
    dialog->RzEditNamePrep->setText(QStringLiteral("Анальгин"));
    units->setCurrentText(QStringLiteral("Ампулы"));
    dialog->RzBitBtnSave->click();
    dialog->show();
    EXPECT_EQ(units->currentText(), QStringLiteral("Ампулы"));
    EXPECT_TRUE(dialog->RzEditNamePrep->text().isEmpty());

    // The same name with another unit is no duplicate; a unit typed by hand is kept.
    dialog->RzEditNamePrep->setText(QStringLiteral("Анальгин"));
    units->setCurrentText(QStringLiteral("Пакеты"));
    dialog->RzBitBtnSave->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->RzEditNamePrep->text().isEmpty()); // emptied on closing too
    const QVector<RefRow> rows = ReferenceList(dir.path(), RefKind::DrugNames).liveRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].unit, QStringLiteral("Пакеты"));
    EXPECT_EQ(units->count(), 17);
}

TEST_F(ReferenceDialogsTest, DeletionDialogRemovesEntriesUntilEmpty)
{
    const ReferenceList suppliers(dir.path(), RefKind::Suppliers);
    for (const char *name : {"Фармация", "Альфа", "бета"})
        suppliers.add(QString::fromUtf8(name));
    TFormDelFirma *dialog = forms.FormDelFirma;
    dialog->show();
    ListView *list = dialog->RzListView1;
    EXPECT_EQ(captions(list), (QStringList{"Альфа", "бета", "Фармация"}));
    EXPECT_EQ(list->cells(0).value(1), QStringLiteral("1")); // hidden EntryId
    EXPECT_TRUE(list->isColumnHidden(1));
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_TRUE(dialog->RzBitBtnDel->isEnabled());

    dialog->RzBitBtnDel->click(); // nothing selected: nothing happens
    EXPECT_EQ(list->rowCount(), 3);

    dialog->RzEdit1->setText(QStringLiteral("БЕТ"));
    QTest::keyClick(dialog->RzEdit1, Qt::Key_End);
    EXPECT_EQ(list->selectedRow(), 1);
    dialog->RzBitBtnDel->click();
    EXPECT_EQ(captions(list), (QStringList{"Альфа", "Фармация"}));
    EXPECT_EQ(suppliers.liveNames(), (QStringList{"Фармация", "Альфа"}));
    EXPECT_EQ(list->selectedRow(), 1); // the focused row, which followed the deleted one

    dialog->RzBitBtnDel->click();
    list->setSelectedRow(0);
    dialog->RzBitBtnDel->click();
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_FALSE(dialog->RzBitBtnDel->isEnabled());
    EXPECT_TRUE(suppliers.liveNames().isEmpty());
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(ReferenceDialogsTest, FailedDeletionLeavesTheRowInTheList)
{
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    TFormDelMove *dialog = forms.FormDelMove;
    dialog->show();
    dialog->RzListView1->setSelectedRow(0);
    ASSERT_TRUE(QFile::remove(dir.file(files::Otdelenie)));

    dialog->RzBitBtnDel->click();
    EXPECT_EQ(Messages::takeRecorded().size(), 1);
    EXPECT_EQ(captions(dialog->RzListView1), QStringList{"Хирургия"});
    EXPECT_TRUE(dialog->RzBitBtnDel->isEnabled());
}

TEST_F(ReferenceDialogsTest, DrugDeletionListShowsTheUnit)
{
    const ReferenceList drugs(dir.path(), RefKind::DrugNames);
    drugs.add(QStringLiteral("Анальгин"), QStringLiteral("Таблетки"));
    drugs.add(QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
    forms.FormDelPrep->show();
    ListView *list = forms.FormDelPrep->RzListView1;
    ASSERT_EQ(list->rowCount(), 2);
    list->setSelectedRow(0);
    const QString unit = list->cells(0).value(1);
    forms.FormDelPrep->RzBitBtnDel->click();
    ASSERT_EQ(drugs.liveRows().size(), 1);
    EXPECT_NE(drugs.liveRows()[0].unit, unit);
}

TEST_F(ReferenceDialogsTest, SelectionDialogSearchesAndSelects)
{
    const ReferenceList drugs(dir.path(), RefKind::DrugNames);
    for (const char *name : {"Аспирин", "Анальгин", "Ампициллин"})
        drugs.add(QString::fromUtf8(name), QStringLiteral("Таблетки"));
    TFormSelPrep *dialog = forms.FormSelPrep;

    dialog->show(); // not filled yet: nothing to choose
    EXPECT_FALSE(dialog->RzBitBtnSel->isEnabled());
    dialog->RzBitBtnSel->click();
    dialog->hide();

    dialog->fillSelectionList();
    dialog->show();
    ListView *list = dialog->RzListView1;
    EXPECT_EQ(captions(list), (QStringList{"Ампициллин", "Анальгин", "Аспирин"}));
    EXPECT_EQ(list->cells(0).value(1), QStringLiteral("Таблетки"));
    EXPECT_EQ(list->selectedRow(), 0);
    EXPECT_TRUE(dialog->RzBitBtnSel->isEnabled());

    struct Case
    {
        const char *typed;
        int row;
    };
    const Case cases[] = {{"ан", 1}, {"анал ", 1}, {"  АС", 2}, {"анальгинум", 2}, {"", 2}};
    for (const Case &c : cases) {
        dialog->RzEdit1->setText(QString::fromUtf8(c.typed));
        QTest::keyClick(dialog->RzEdit1, Qt::Key_End);
        EXPECT_EQ(list->selectedRow(), c.row) << c.typed;
    }

    // The search text stays for the next showing, and is not searched again.
    dialog->hide();
    dialog->RzEdit1->setText(QStringLiteral("асп"));
    dialog->show();
    EXPECT_EQ(dialog->RzEdit1->text(), QStringLiteral("асп"));
    EXPECT_EQ(list->selectedRow(), 0);

    dialog->RzBitBtnSel->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ReferenceDialogsTest, SelectionGoesToTheReceiptWhileItShowsElseToTheEdit)
{
    EXPECT_EQ(receiptOrEditTarget(forms), static_cast<ReferenceTarget *>(forms.FormEdit));
    forms.FormPrihod->show();
    EXPECT_EQ(receiptOrEditTarget(forms), static_cast<ReferenceTarget *>(forms.FormPrihod));
    forms.FormPrihod->hide();
}

} // namespace
