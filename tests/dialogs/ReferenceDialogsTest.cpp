#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/ReferenceWindows.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormNewPrep.h"
#include "dialogs/TFormPrihod.h"
#include "store/DataFiles.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
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
        auto *name = control<QLineEdit>(dialog, c.field);
        auto *save = control<QPushButton>(dialog, "RzBitBtnSave");

        dialog->show();
        EXPECT_TRUE(name->text().isEmpty());
        EXPECT_FALSE(save->isEnabled());
        QTest::keyClicks(name, QStringLiteral(" "));
        EXPECT_TRUE(save->isEnabled()); // spaces count as text
        name->clear();
        EXPECT_FALSE(save->isEnabled());

        name->setText(QStringLiteral("Анальгин 0,5"));
        save->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ReferenceList(dir.path(), c.kind).liveNames(), QStringList{"Анальгин 0,5"});

        dialog->show();
        EXPECT_TRUE(name->text().isEmpty()); // emptied at every showing
        name->setText(QStringLiteral(" АНАЛЬГИН0.5"));
        save->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(name->text(), QStringLiteral(" АНАЛЬГИН0.5"));
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Такая запись уже существует!"});
        control<QPushButton>(dialog, "RzBitBtnClose")->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ReferenceList(dir.path(), c.kind).liveNames().size(), 1);
    }
}

TEST_F(ReferenceDialogsTest, NewDrugKeepsItsUnitAcrossShowings)
{
    TFormNewPrep *dialog = forms.FormNewPrep;
    auto *units = control<QComboBox>(dialog, "RzComboBoxEdIzm");
    auto *name = control<QLineEdit>(dialog, "RzEditNamePrep");
    auto *save = control<QPushButton>(dialog, "RzBitBtnSave");
    EXPECT_EQ(units->count(), 17);
    EXPECT_EQ(units->currentText(), QStringLiteral("Таблетки"));

    dialog->show();
    name->setText(QStringLiteral("Анальгин"));
    units->setCurrentText(QStringLiteral("Ампулы"));
    save->click();
    dialog->show();
    EXPECT_EQ(units->currentText(), QStringLiteral("Ампулы"));
    EXPECT_TRUE(name->text().isEmpty());

    // The same name with another unit is no duplicate; a unit typed by hand is kept.
    name->setText(QStringLiteral("Анальгин"));
    units->setCurrentText(QStringLiteral("Пакеты"));
    save->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(name->text().isEmpty()); // emptied on closing too
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
    auto *list = control<ListView>(dialog, "RzListView1");
    auto *remove = control<QPushButton>(dialog, "RzBitBtnDel");
    auto *search = control<QLineEdit>(dialog, "RzEdit1");
    EXPECT_EQ(captions(list), (QStringList{"Альфа", "бета", "Фармация"}));
    EXPECT_EQ(list->cells(0).value(1), QStringLiteral("1")); // hidden EntryId
    EXPECT_TRUE(list->isColumnHidden(1));
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_TRUE(remove->isEnabled());

    remove->click(); // nothing selected: nothing happens
    EXPECT_EQ(list->rowCount(), 3);

    search->setText(QStringLiteral("БЕТ"));
    QTest::keyClick(search, Qt::Key_End);
    EXPECT_EQ(list->selectedRow(), 1);
    remove->click();
    EXPECT_EQ(captions(list), (QStringList{"Альфа", "Фармация"}));
    EXPECT_EQ(suppliers.liveNames(), (QStringList{"Фармация", "Альфа"}));
    EXPECT_EQ(list->selectedRow(), 1); // the focused row, which followed the deleted one

    remove->click();
    list->setSelectedRow(0);
    remove->click();
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_TRUE(suppliers.liveNames().isEmpty());
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(ReferenceDialogsTest, FailedDeletionLeavesTheRowInTheList)
{
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    TFormDelMove *dialog = forms.FormDelMove;
    dialog->show();
    auto *list = control<ListView>(dialog, "RzListView1");
    auto *remove = control<QPushButton>(dialog, "RzBitBtnDel");
    list->setSelectedRow(0);
    ASSERT_TRUE(QFile::remove(dir.file(files::Otdelenie)));

    remove->click();
    EXPECT_EQ(Messages::takeRecorded().size(), 1);
    EXPECT_EQ(captions(list), QStringList{"Хирургия"});
    EXPECT_TRUE(remove->isEnabled());
}

TEST_F(ReferenceDialogsTest, DrugDeletionListShowsTheUnit)
{
    const ReferenceList drugs(dir.path(), RefKind::DrugNames);
    drugs.add(QStringLiteral("Анальгин"), QStringLiteral("Таблетки"));
    drugs.add(QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
    forms.FormDelPrep->show();
    auto *list = control<ListView>(forms.FormDelPrep, "RzListView1");
    ASSERT_EQ(list->rowCount(), 2);
    list->setSelectedRow(0);
    const QString unit = list->cells(0).value(1);
    control<QPushButton>(forms.FormDelPrep, "RzBitBtnDel")->click();
    ASSERT_EQ(drugs.liveRows().size(), 1);
    EXPECT_NE(drugs.liveRows()[0].unit, unit);
}

TEST_F(ReferenceDialogsTest, SelectionDialogSearchesAndSelects)
{
    const ReferenceList drugs(dir.path(), RefKind::DrugNames);
    for (const char *name : {"Аспирин", "Анальгин", "Ампициллин"})
        drugs.add(QString::fromUtf8(name), QStringLiteral("Таблетки"));
    TFormSelPrep *dialog = forms.FormSelPrep;
    auto *select = control<QPushButton>(dialog, "RzBitBtnSel");
    auto *search = control<QLineEdit>(dialog, "RzEdit1");

    dialog->show(); // not filled yet: nothing to choose
    EXPECT_FALSE(select->isEnabled());
    select->click();
    dialog->hide();

    dialog->fillSelectionList();
    dialog->show();
    auto *list = control<ListView>(dialog, "RzListView1");
    EXPECT_EQ(captions(list), (QStringList{"Ампициллин", "Анальгин", "Аспирин"}));
    EXPECT_EQ(list->cells(0).value(1), QStringLiteral("Таблетки"));
    EXPECT_EQ(list->selectedRow(), 0);
    EXPECT_TRUE(select->isEnabled());

    struct Case
    {
        const char *typed;
        int row;
    };
    const Case cases[] = {{"ан", 1}, {"анал ", 1}, {"  АС", 2}, {"анальгинум", 2}, {"", 2}};
    for (const Case &c : cases) {
        search->setText(QString::fromUtf8(c.typed));
        QTest::keyClick(search, Qt::Key_End);
        EXPECT_EQ(list->selectedRow(), c.row) << c.typed;
    }

    // The search text stays for the next showing, and is not searched again.
    dialog->hide();
    search->setText(QStringLiteral("асп"));
    dialog->show();
    EXPECT_EQ(search->text(), QStringLiteral("асп"));
    EXPECT_EQ(list->selectedRow(), 0);

    select->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ReferenceDialogsTest, SelectionGoesBackToTheDialogThatOpenedIt)
{
    ReferenceList(dir.path(), RefKind::DrugNames)
        .add(QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
    ReferenceList(dir.path(), RefKind::Suppliers).add(QStringLiteral("Фарм"));
    ReferenceList(dir.path(), RefKind::Manufacturers).add(QStringLiteral("Завод"));
    struct Case
    {
        const char *field; // after "RzButtonEdit" and the opener's letter
        const char *button; // nullptr: the button inside the field
        QDialog *chooser;
        const char *chosen;
    };
    const Case cases[] = {
        {"NamePrep", "RzBitBtn1", forms.FormSelPrep, "Анальгин"},
        {"NamePost", nullptr, forms.FormSelFirma, "Фарм"},
        {"NameIzgot", nullptr, forms.FormSelFirmaIzg, "Завод"},
    };
    struct Opener
    {
        QDialog *dialog;
        const char *letter;
        QDialog *other;
        const char *otherLetter;
    };
    const Opener openers[] = {{forms.FormPrihod, "P", forms.FormEdit, "E"},
                              {forms.FormEdit, "E", forms.FormPrihod, "P"}};
    for (const Opener &o : openers) {
        o.dialog->show(); // fills the selection lists
        for (const Case &c : cases) {
            SCOPED_TRACE(c.chosen);
            const QByteArray name = QByteArray("RzButtonEdit") + o.letter + c.field;
            auto *field = control<QLineEdit>(o.dialog, name.constData());
            QTimer::singleShot(0, c.chooser,
                               [&] { control<QPushButton>(c.chooser, "RzBitBtnSel")->click(); });
            if (c.button)
                control<QToolButton>(o.dialog, c.button)->click();
            else
                field->actions().first()->trigger();
            EXPECT_EQ(field->text(), QString::fromUtf8(c.chosen)) << o.letter;
            const QByteArray otherName = QByteArray("RzButtonEdit") + o.otherLetter + c.field;
            EXPECT_TRUE(control<QLineEdit>(o.other, otherName.constData())->text().isEmpty());
        }
        const QByteArray unit = QByteArray("RzEdit") + o.letter + "EdinIzm";
        EXPECT_EQ(control<QLineEdit>(o.dialog, unit.constData())->text(), QStringLiteral("Ампулы"));
        o.dialog->reject(); // emptied on closing, before the other's turn
    }
}

} // namespace
