#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/ReferenceWindows.h"
#include "dialogs/TFormDelZap.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormRashod.h"
#include "dialogs/TFormSpisanie.h"
#include "dialogs/TFormViewZap.h"
#include "operations/StockOperations.h"
#include "operations/StockRow.h"
#include "store/Clock.h"
#include "store/Records.h"
#include "store/ReferenceLists.h"
#include "store/TextFormats.h"
#include "support/Controls.h"
#include "support/RecordBytes.h"
#include "support/TempDataDir.h"
#include "widgets/DialogParts.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace vedaris;

namespace {

const QDate Today(2024, 3, 15);

StockRecord batch(const QString &name, double quantity, double price)
{
    StockRecord r;
    r.DrugName = name;
    r.ReceiptDate = text::dateToSerial(QDate(2024, 1, 10));
    r.Unit = QStringLiteral("Таблетки");
    r.Supplier = QStringLiteral("Поставщик");
    r.Manufacturer = QStringLiteral("Изготовитель");
    r.Quantity = r.ReceivedQuantity = quantity;
    r.UnitPrice = price;
    r.TotalSum = r.ReceivedSum = quantity * price;
    r.ExpiryDate = text::dateToSerial(QDate(2026, 1, 1));
    return r;
}

// The drug name and unit as the drug-name selection writes them into the
// receipt (P) or edit (E) dialog.
void putDrug(QDialog *dialog, const char *letter, const QString &name, const QString &unit)
{
    lineEdit(dialog, (QByteArray("RzButtonEdit") + letter + "NamePrep").constData())->setText(name);
    lineEdit(dialog, (QByteArray("RzEdit") + letter + "EdinIzm").constData())->setText(unit);
}

// Runs `step` once the next modal dialog's loop is running; the dialog is
// closed afterwards whatever the step did, so a failing test cannot hang.
void whenShown(QDialog *dialog, std::function<void()> step)
{
    QTimer::singleShot(0, dialog, [dialog, step] {
        EXPECT_TRUE(dialog->isVisible());
        step();
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Runs `step` the next time `dialog` is on screen: after a dialog that closes
// itself to be opened again.
void whenShownAgain(QDialog *dialog, std::function<void()> step, int tries = 100)
{
    QTimer::singleShot(0, dialog, [=] {
        if (!dialog->isVisible() && tries > 0)
            return whenShownAgain(dialog, step, tries - 1);
        whenShown(dialog, step);
    });
}

class StockDialogs : public testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setFixedToday(Today);
        dir.createEmptyFiles();
        Messages::startRecording();
    }
    void TearDown() override
    {
        forms.reset();
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }

    void writeStock(const std::vector<StockRecord> &records)
    {
        dir.write(QStringLiteral("Base.dat"), encodeAll(records, true));
    }
    void writeIssues(const std::vector<qint32> &stockIds)
    {
        std::vector<IssueRecord> records(stockIds.size());
        for (size_t i = 0; i < stockIds.size(); ++i)
            records[i].StockRecordId = stockIds[i];
        dir.write(QStringLiteral("Rashod.dat"), encodeAll(records, false));
    }
    // Forty batches named "Препарат 10" .. "Препарат 49", so the list scrolls.
    void writeManyBatches()
    {
        std::vector<StockRecord> records;
        for (int i = 10; i < 50; ++i)
            records.push_back(batch(QStringLiteral("Препарат %1").arg(i), 10, 3));
        writeStock(records);
    }
    void open()
    {
        forms = std::make_unique<Forms>(dir.path());
        gl()->resize(900, 400);
        gl()->show();
        QCoreApplication::processEvents();
    }
    TFormGl *gl() const { return forms->FormGl; }
    ListView *list() const { return control<ListView>(gl(), "RzListView1"); }
    int rowOf(const QString &name) const
    {
        for (int r = 0; r < list()->rowCount(); ++r)
            if (list()->cells(r).at(stockcol::DrugName) == name)
                return r;
        return -1;
    }
    std::vector<StockRecord> stock() const
    {
        return decodeAll<StockRecord>(dir.read(QStringLiteral("Base.dat")));
    }
    std::vector<IssueRecord> issues() const
    {
        return decodeAll<IssueRecord>(dir.read(QStringLiteral("Rashod.dat")));
    }
    // The status bar's figures, and those a fresh fill from the files gives.
    QString shownFigures() const { return control<QLabel>(gl(), "RzLabelSklad")->text(); }
    QString fileFigures() const
    {
        ops::StockFigures figures;
        ops::readStock(dir.path(),
                       [&](qint64 slot, const StockRecord &r) { figures.set(slot, r); });
        return ops::statusText(figures.totals(Today));
    }

    TempDataDir dir;
    std::unique_ptr<Forms> forms;
};

using StockDialogsKeyboard = StockDialogs;

// --- receipt -------------------------------------------------------------

TEST_F(StockDialogs, ReceiptTypedAndSavedIsSelectedAtTheTopOfTheView)
{
    writeManyBatches();
    ReferenceList(dir.path(), RefKind::DrugNames)
        .add(QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
    ReferenceList(dir.path(), RefKind::DrugNames)
        .add(QStringLiteral("Препарат 33,5"), QStringLiteral("Флаконы"));
    ReferenceList(dir.path(), RefKind::Suppliers).add(QStringLiteral("Фирма-П"));
    open();
    TFormPrihod *p = forms->FormPrihod;

    whenShown(p, [&] {
        EXPECT_EQ(dateEdit(p, "RzDateTimeEditPDataPoluch")->date(), Today);
        EXPECT_EQ(dateEdit(p, "RzDateTimeEditPSrokGodn")->date(), Today);
        EXPECT_FALSE(pushButton(p, "RzBitBtnPSave")->isEnabled());
        // The drug comes from the selection dialog, filled when this one opened.
        whenShown(forms->FormSelPrep, [&] {
            ListView *choices = control<ListView>(forms->FormSelPrep, "RzListView1");
            ASSERT_EQ(choices->rowCount(), 2);
            choices->setSelectedRow(1);
            pushButton(forms->FormSelPrep, "RzBitBtnSel")->click();
        });
        control<QToolButton>(p, "RzBitBtn1")->click();
        EXPECT_EQ(lineEdit(p, "RzButtonEditPNamePrep")->text(), QStringLiteral("Препарат 33,5"));
        EXPECT_EQ(lineEdit(p, "RzEditPEdinIzm")->text(), QStringLiteral("Флаконы"));
        EXPECT_FALSE(pushButton(p, "RzBitBtnPSave")->isEnabled());

        lineEdit(p, "RzButtonEditPNamePost")->setText(QStringLiteral("Фирма-Х"));
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("2.5"));
        EXPECT_EQ(lineEdit(p, "RzEditPKol")->text(), QStringLiteral("2,5"));
        EXPECT_FALSE(pushButton(p, "RzBitBtnPSave")->isEnabled());
        QTest::keyClicks(lineEdit(p, "RzEditPCEdin"), QStringLiteral("0,10"));
        EXPECT_TRUE(pushButton(p, "RzBitBtnPSave")->isEnabled());
        pushButton(p, "RzBitBtnPSave")->click();
        EXPECT_FALSE(p->isVisible());
    });
    gl()->BtnNewPrihodClick();

    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    ASSERT_EQ(list()->rowCount(), 41);
    const int row = list()->selectedRow();
    EXPECT_EQ(row, rowOf(QStringLiteral("Препарат 33,5")));
    EXPECT_EQ(row, 24); // after Препарат 10 .. Препарат 33
    EXPECT_EQ(list()->topRow(), row);
    const QStringList cells = list()->cells(row);
    EXPECT_EQ(cells.at(stockcol::Supplier), QStringLiteral("Фирма-Х"));
    EXPECT_EQ(cells.at(stockcol::Quantity), QStringLiteral("2,5"));
    EXPECT_EQ(cells.at(stockcol::UnitPrice), QStringLiteral("0,10"));
    EXPECT_EQ(cells.at(stockcol::TotalSum), QStringLiteral("0,25"));
    EXPECT_EQ(cells.at(stockcol::RecordId), QStringLiteral("40"));

    const auto onDisk = stock();
    ASSERT_EQ(onDisk.size(), 41u);
    EXPECT_EQ(onDisk[40].DrugName, QStringLiteral("Препарат 33,5"));
    EXPECT_EQ(onDisk[40].Unit, QStringLiteral("Флаконы"));
    EXPECT_EQ(onDisk[40].Quantity, 2.5);
    EXPECT_EQ(onDisk[40].ReceiptDate, text::dateToSerial(Today));

    // Closing emptied the dialog: the next showing starts afresh.
    EXPECT_TRUE(lineEdit(p, "RzButtonEditPNamePrep")->text().isEmpty());
    EXPECT_TRUE(lineEdit(p, "RzEditPKol")->text().isEmpty());
    EXPECT_FALSE(pushButton(p, "RzBitBtnPSave")->isEnabled());
}

TEST_F(StockDialogs, ReceiptRowShowsWhatTheFileHolds)
{
    open();
    TFormPrihod *p = forms->FormPrihod;
    whenShown(p, [&] {
        putDrug(p, "P", QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
        lineEdit(p, "RzButtonEditPNamePost")->setText(QString(60, QChar(u'Ж')));
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("10,50"));
        QTest::keyClicks(lineEdit(p, "RzEditPCEdin"), QStringLiteral("2"));
        pushButton(p, "RzBitBtnPSave")->click();
    });
    gl()->BtnNewPrihodClick();
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->cells(0).at(stockcol::Supplier), QString(50, QChar(u'Ж')));
    EXPECT_EQ(list()->cells(0).at(stockcol::Quantity), QStringLiteral("10,50"));
    EXPECT_EQ(stock().at(0).Supplier, QString(50, QChar(u'Ж')));
}

TEST_F(StockDialogs, NumberFieldsRefuseForeignCharacters)
{
    open();
    TFormPrihod *p = forms->FormPrihod;
    const QString refusal = QStringLiteral("В этом поле должны быть только цифры!");
    whenShown(p, [&] {
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("1a-2"));
        EXPECT_EQ(lineEdit(p, "RzEditPKol")->text(), QStringLiteral("12"));
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList({refusal, refusal}));

        QTest::keyClick(lineEdit(p, "RzEditPCEdin"), Qt::Key_Return);
        QTest::keyClick(lineEdit(p, "RzEditPCEdin"), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList({refusal, refusal}));
        EXPECT_TRUE(p->isVisible());

        // Pasted text is held to the same rule, whole.
        QApplication::clipboard()->setText(QStringLiteral("-5"));
        lineEdit(p, "RzEditPKol")->paste();
        EXPECT_EQ(lineEdit(p, "RzEditPKol")->text(), QStringLiteral("12"));
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList({refusal}));
        QApplication::clipboard()->setText(QStringLiteral("1e5"));
        lineEdit(p, "RzEditPCEdin")->paste();
        EXPECT_EQ(lineEdit(p, "RzEditPCEdin")->text(), QString());
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList({refusal}));
        QApplication::clipboard()->setText(QStringLiteral("3.75"));
        lineEdit(p, "RzEditPCEdin")->paste();
        EXPECT_EQ(lineEdit(p, "RzEditPCEdin")->text(), QStringLiteral("3,75"));
        EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    });
    gl()->BtnNewPrihodClick();
}

TEST_F(StockDialogs, ReceiptRefusalsWriteNothing)
{
    open();
    TFormPrihod *p = forms->FormPrihod;
    whenShown(p, [&] {
        // The required fields, each missing in turn.
        p->RzBitBtnPSaveClick();
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("1"));
        QTest::keyClicks(lineEdit(p, "RzEditPCEdin"), QStringLiteral("1"));
        p->RzBitBtnPSaveClick();
        const QString required = QStringLiteral(
            "Поля \"Наименование препарата\", \"Количество\", \"Цена\", должны быть заполнены!");
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList({required, required}));

        // A text of digits and commas that is still no number.
        putDrug(p, "P", QStringLiteral("Анальгин"), QStringLiteral("Ампулы"));
        QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral(",2,"));
        pushButton(p, "RzBitBtnPSave")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList({QStringLiteral("'1,2,' is not a valid floating point value")}));
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(lineEdit(p, "RzEditPKol")->text(), QStringLiteral("1,2,"));
    });
    gl()->BtnNewPrihodClick();
    EXPECT_TRUE(dir.read(QStringLiteral("Base.dat")).isEmpty());
    EXPECT_EQ(list()->rowCount(), 0);
}

// --- issue ---------------------------------------------------------------

TEST_F(StockDialogs, IssueLowersTheRow)
{
    StockRecord b = batch(QStringLiteral("Препарат 20"), 7.5, 2);
    b.ReceivedQuantity = 10;
    auto records = std::vector<StockRecord>{};
    for (int i = 10; i < 50; ++i)
        records.push_back(i == 20 ? b : batch(QStringLiteral("Препарат %1").arg(i), 10, 3));
    writeStock(records);
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    open();
    const int row = rowOf(QStringLiteral("Препарат 20"));
    list()->setSelectedRow(row);
    const int top = list()->topRow();
    TFormRashod *r = forms->FormRashod;

    whenShown(r, [&] {
        EXPECT_EQ(lineEdit(r, "RzEditRNamePrep")->text(), QStringLiteral("Препарат 20"));
        EXPECT_EQ(lineEdit(r, "RzEditRKol")->text(), QStringLiteral("7,5"));
        EXPECT_EQ(lineEdit(r, "RzEditRCEdin")->text(), QStringLiteral("2"));
        EXPECT_TRUE(lineEdit(r, "RzEditRNamePrep")->isReadOnly());
        EXPECT_FALSE(pushButton(r, "RzBitBtnRSave")->isEnabled());
        whenShown(forms->FormSelMove,
                  [&] { pushButton(forms->FormSelMove, "RzBitBtnSel")->click(); });
        control<QToolButton>(r, "RzBitBtn1")->click();
        EXPECT_EQ(lineEdit(r, "RzButtonEditRMove")->text(), QStringLiteral("Хирургия"));

        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("10.5"));
        pushButton(r, "RzBitBtnRSave")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList({QStringLiteral(
                      "Введённое значение превышает количество, либо оно равно нулю!")}));
        lineEdit(r, "RzEditRIzrash")->clear();
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("1,,2"));
        pushButton(r, "RzBitBtnRSave")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList({QStringLiteral("'1,,2' is not a valid floating point value")}));
        EXPECT_TRUE(issues().empty());

        lineEdit(r, "RzEditRIzrash")->clear();
        r->RzBitBtnRSaveClick();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList({QStringLiteral("Вы не заполнили поле \"Расход\"!")}));
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("2,5"));
        pushButton(r, "RzBitBtnRSave")->click();
        EXPECT_FALSE(r->isVisible());
    });
    gl()->BtnRashodClick();

    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    EXPECT_EQ(list()->selectedRow(), row);
    EXPECT_EQ(list()->topRow(), top);
    const QStringList cells = list()->cells(row);
    EXPECT_EQ(cells.at(stockcol::DrugName), QStringLiteral("Препарат 20"));
    EXPECT_EQ(cells.at(stockcol::Quantity), QStringLiteral("5"));
    EXPECT_EQ(cells.at(stockcol::TotalSum), QStringLiteral("10"));
    const auto issued = issues();
    ASSERT_EQ(issued.size(), 1u);
    EXPECT_EQ(issued[0].IssuedQuantity, 2.5);
    EXPECT_EQ(issued[0].IssuedSum, 5);
    EXPECT_EQ(issued[0].Department, QStringLiteral("Хирургия"));
    EXPECT_EQ(issued[0].IssueDate, text::dateToSerial(Today));
    EXPECT_EQ(issued[0].StockRecordId, 10);
    EXPECT_EQ(stock().at(10).Quantity, 5);
    EXPECT_EQ(stock().at(10).ReceivedQuantity, 10);
    EXPECT_TRUE(lineEdit(r, "RzButtonEditRMove")->text().isEmpty());
}

// Thirty batches of one name between others: an issue or an edit leaves the
// row where it was among its namesakes and the list where it was scrolled.
TEST_F(StockDialogs, IssueAndEditKeepTheRowsPlaceAndTheListUnscrolled)
{
    std::vector<StockRecord> records;
    for (int i = 0; i < 5; ++i)
        records.push_back(batch(QStringLiteral("Аспирин"), 10, 3));
    for (int i = 0; i < 30; ++i)
        records.push_back(batch(QStringLiteral("Бромгексин"), 10 + i, 3));
    for (int i = 0; i < 20; ++i)
        records.push_back(batch(QStringLiteral("Валидол"), 10, 3));
    writeStock(records);
    open();
    ASSERT_EQ(list()->rowCount(), 55);
    const auto idAt = [&](int row) { return list()->cell(row, stockcol::RecordId); };

    struct Case
    {
        const char *what;
        int row; // selected, within the Бромгексин rows 5..34
        int top; // the first visible row before
    };
    const Case cases[] = {{"first of its name", 5, 3},
                          {"middle", 20, 12},
                          {"last", 34, 30},
                          {"above the view", 8, 14}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        list()->setSelectedRow(c.row);
        list()->verticalScrollBar()->setValue(c.top);
        ASSERT_EQ(list()->topRow(), c.top);
        const QString id = idAt(c.row);
        TFormRashod *r = forms->FormRashod;
        whenShown(r, [&] {
            QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("1"));
            pushButton(r, "RzBitBtnRSave")->click();
        });
        gl()->BtnRashodClick();
        EXPECT_EQ(list()->selectedRow(), c.row);
        EXPECT_EQ(idAt(c.row), id);
        EXPECT_EQ(list()->topRow(), c.top);
    }

    // An edit keeps the place too; the batch must have no issue to be edited.
    for (const Case &c : {Case{"edited", 6, 2}, Case{"edited below the view", 33, 10}}) {
        SCOPED_TRACE(c.what);
        list()->setSelectedRow(c.row);
        list()->verticalScrollBar()->setValue(c.top);
        const QString id = idAt(c.row);
        TFormEdit *e = forms->FormEdit;
        whenShown(e, [&] {
            lineEdit(e, "RzEditECEdin")->selectAll();
            QTest::keyClicks(lineEdit(e, "RzEditECEdin"), QStringLiteral("4"));
            pushButton(e, "RzBitBtnESave")->click();
        });
        gl()->BtnEditPrihodClick();
        EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
        EXPECT_EQ(list()->selectedRow(), c.row);
        EXPECT_EQ(idAt(c.row), id);
        EXPECT_EQ(list()->cell(c.row, stockcol::UnitPrice), QStringLiteral("4"));
        EXPECT_EQ(list()->topRow(), c.top);
    }

    // A renamed batch goes to the top of its new name's rows; still no scroll.
    list()->setSelectedRow(7);
    list()->verticalScrollBar()->setValue(4);
    const QString id = idAt(7);
    TFormEdit *e = forms->FormEdit;
    whenShown(e, [&] {
        putDrug(e, "E", QStringLiteral("Валидол"), QStringLiteral("Таблетки"));
        pushButton(e, "RzBitBtnESave")->click();
    });
    gl()->BtnEditPrihodClick();
    EXPECT_EQ(list()->selectedRow(), 34);
    EXPECT_EQ(idAt(34), id);
    EXPECT_EQ(list()->cell(33, stockcol::DrugName), QStringLiteral("Бромгексин"));
    EXPECT_EQ(list()->topRow(), 4);
}

// The keyboard alone: F4 and Alt+Down open the supplier and manufacturer
// lists, their "…" follows the field in the tab order, Enter chooses in a
// list and presses a focused button; the issue dialog opens on its quantity.
TEST_F(StockDialogsKeyboard, ChoosersEnterAndTheIssueQuantity)
{
    ReferenceList(dir.path(), RefKind::Suppliers).add(QStringLiteral("Фармация"));
    ReferenceList(dir.path(), RefKind::Manufacturers).add(QStringLiteral("Завод"));
    writeStock({batch(QStringLiteral("Анальгин"), 10, 3)});
    open();
    TFormPrihod *p = forms->FormPrihod;
    QLineEdit *manufacturer = lineEdit(p, "RzButtonEditPNameIzgot");
    QLineEdit *supplier = lineEdit(p, "RzButtonEditPNamePost");
    whenShown(p, [&] {
        // F4 in the manufacturer field, Enter in the list.
        whenShown(forms->FormSelFirmaIzg, [&] {
            QTest::keyClick(control<ListView>(forms->FormSelFirmaIzg, "RzListView1"),
                            Qt::Key_Return);
            EXPECT_FALSE(forms->FormSelFirmaIzg->isVisible());
        });
        QTest::keyClick(manufacturer, Qt::Key_F4);
        EXPECT_EQ(manufacturer->text(), QStringLiteral("Завод"));
        // Alt+Down in the supplier field, Enter in the search box.
        whenShown(forms->FormSelFirma, [&] {
            QTest::keyClick(lineEdit(forms->FormSelFirma, "RzEdit1"), Qt::Key_Enter);
            EXPECT_FALSE(forms->FormSelFirma->isVisible());
        });
        QTest::keyClick(supplier, Qt::Key_Down, Qt::AltModifier);
        EXPECT_EQ(supplier->text(), QStringLiteral("Фармация"));

        // Tab goes from the field to its "…", and the "…" takes the keyboard.
        QWidget *dots = manufacturer->nextInFocusChain();
        while (dots && !(dots->focusPolicy() & Qt::TabFocus))
            dots = dots->nextInFocusChain();
        ASSERT_TRUE(dots);
        EXPECT_EQ(dots->parentWidget(), manufacturer);
        manufacturer->clear();
        whenShown(forms->FormSelFirmaIzg,
                  [&] { pushButton(forms->FormSelFirmaIzg, "RzBitBtnSel")->click(); });
        QTest::keyClick(dots, Qt::Key_Space);
        EXPECT_EQ(manufacturer->text(), QStringLiteral("Завод"));

        // Enter on the focused "Закрыть" closes the dialog; in a field it does not.
        QTest::keyClick(supplier, Qt::Key_Return);
        EXPECT_TRUE(p->isVisible());
        QTest::keyClick(pushButton(p, "RzBitBtnPClose"), Qt::Key_Return);
        EXPECT_FALSE(p->isVisible());
    });
    gl()->BtnNewPrihodClick();
    EXPECT_TRUE(stock().size() == 1);

    // The issue dialog: the quantity has the focus; Enter there is still a
    // refused character, as the number filter says.
    list()->setSelectedRow(0);
    TFormRashod *r = forms->FormRashod;
    whenShown(r, [&] {
        EXPECT_EQ(r->focusWidget(), lineEdit(r, "RzEditRIzrash"));
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("2"));
        QTest::keyClick(lineEdit(r, "RzEditRIzrash"), Qt::Key_Return);
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList{"В этом поле должны быть только цифры!"});
        QTest::keyClick(pushButton(r, "RzBitBtnRSave"), Qt::Key_Enter);
        EXPECT_FALSE(r->isVisible());
    });
    gl()->BtnRashodClick();
    EXPECT_EQ(list()->cell(0, stockcol::Quantity), QStringLiteral("8"));
}

// --- commands without a selection, edit and delete -------------------------

TEST_F(StockDialogs, CommandsNeedASelectedRow)
{
    open();
    gl()->BtnRashodClick();
    gl()->BtnEditPrihodClick();
    gl()->BtnDeleteZapisClick();
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList({QStringLiteral("Вы не выбрали запись для изменения расхода!"),
                           QStringLiteral("Вы не выбрали запись для редактирования!"),
                           QStringLiteral("Вы не выбрали запись для удаления!")}));
}

TEST_F(StockDialogs, EditRefusedWhileIssuedThenEditedAndMoved)
{
    writeStock({batch(QStringLiteral("Бромгексин"), 10, 3), batch(QStringLiteral("Валидол"), 5, 1),
                batch(QStringLiteral("Димедрол"), 5, 1)});
    writeIssues({1});
    open();
    list()->setSelectedRow(rowOf(QStringLiteral("Валидол")));
    gl()->BtnEditPrihodClick();
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList({QStringLiteral("Эту запись редактировать нельзя!")}));
    EXPECT_FALSE(forms->FormEdit->isVisible());

    list()->setSelectedRow(rowOf(QStringLiteral("Бромгексин")));
    TFormEdit *e = forms->FormEdit;
    whenShown(e, [&] {
        EXPECT_EQ(lineEdit(e, "RzButtonEditENamePrep")->text(), QStringLiteral("Бромгексин"));
        EXPECT_EQ(lineEdit(e, "RzEditEKol")->text(), QStringLiteral("10"));
        EXPECT_EQ(lineEdit(e, "RzEditECEdin")->text(), QStringLiteral("3"));
        EXPECT_EQ(dateEdit(e, "RzDateTimeEditEDataPoluch")->date(), QDate(2024, 1, 10));
        EXPECT_TRUE(pushButton(e, "RzBitBtnESave")->isEnabled());
        lineEdit(e, "RzEditECEdin")->clear();
        EXPECT_FALSE(pushButton(e, "RzBitBtnESave")->isEnabled());
        QTest::keyClicks(lineEdit(e, "RzEditECEdin"), QStringLiteral("3"));
        EXPECT_TRUE(pushButton(e, "RzBitBtnESave")->isEnabled());
        lineEdit(e, "RzEditEKol")->selectAll();
        QTest::keyClicks(lineEdit(e, "RzEditEKol"), QStringLiteral("12"));
        putDrug(e, "E", QStringLiteral("Эуфиллин"), QStringLiteral("Ампулы"));
        pushButton(e, "RzBitBtnESave")->click();
        EXPECT_FALSE(e->isVisible());
    });
    gl()->BtnEditPrihodClick();

    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    ASSERT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(list()->selectedRow(), 2);
    const QStringList cells = list()->cells(2);
    EXPECT_EQ(cells.at(stockcol::DrugName), QStringLiteral("Эуфиллин"));
    EXPECT_EQ(cells.at(stockcol::Quantity), QStringLiteral("12"));
    EXPECT_EQ(cells.at(stockcol::TotalSum), QStringLiteral("36"));
    EXPECT_EQ(cells.at(stockcol::RecordId), QStringLiteral("0"));
    const StockRecord r = stock().at(0);
    EXPECT_EQ(r.DrugName, QStringLiteral("Эуфиллин"));
    EXPECT_EQ(r.ReceivedQuantity, 12);
    EXPECT_EQ(r.ReceivedSum, 36);
    EXPECT_EQ(rowOf(QStringLiteral("Бромгексин")), -1);
}

TEST_F(StockDialogs, DeleteAsksFirstThenRemovesTheRowAndItsIssues)
{
    writeStock(
        {batch(QStringLiteral("Бромгексин"), 10, 3), batch(QStringLiteral("Валидол"), 5, 1)});
    writeIssues({1, 0, 1});
    open();
    list()->setSelectedRow(rowOf(QStringLiteral("Валидол")));
    TFormDelZap *d = forms->FormDelZap;

    whenShown(d, [&] {
        EXPECT_EQ(d->focusWidget(), pushButton(d, "RzBitBtnCancel"));
        pushButton(d, "RzBitBtnCancel")->click();
    });
    gl()->BtnDeleteZapisClick();
    EXPECT_EQ(list()->rowCount(), 2);
    EXPECT_EQ(stock().at(1).Deleted, 0);

    whenShown(d, [&] { pushButton(d, "RzBitBtnDel")->click(); });
    gl()->BtnDeleteZapisClick();
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->cells(0).at(stockcol::DrugName), QStringLiteral("Бромгексин"));
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(stock().at(1).Deleted, 1);
    const auto marks = issues();
    EXPECT_EQ(marks.at(0).Deleted, 1);
    EXPECT_EQ(marks.at(1).Deleted, 0);
    EXPECT_EQ(marks.at(2).Deleted, 1);
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

// --- expiry and write-offs ------------------------------------------------

StockRecord expiring(const QString &series, int days, double quantity, double price = 2)
{
    StockRecord r = batch(QStringLiteral("Анальгин"), quantity, price);
    r.Series = series;
    r.ExpiryDate = text::dateToSerial(Today.addDays(days));
    return r;
}

TEST_F(StockDialogs, StatusFiguresFollowEveryOperationWithoutReadingTheFileAgain)
{
    writeStock({expiring("С-0", -3, 4), expiring("С-1", 0, 5), expiring("С-2", 90, 1, 3),
                expiring("С-3", 91, 2), expiring("С-4", 200, 10)});
    open();
    EXPECT_EQ(shownFigures(),
              QStringLiteral("На складе: 45,00 руб. · просрочено: 1 партия на 8,00 руб. · "
                             "истекает за 90 дней: 2 на 13,00 руб."));
    auto select = [&](qint32 id) { ASSERT_TRUE(gl()->selectRecord(id)); };
    Messages::setAnswer(true); // issues from the expired batch go ahead
    const std::pair<const char *, std::function<void()>> operations[] = {
        {"receipt",
         [&] {
             whenShown(forms->FormPrihod, [&] {
                 putDrug(forms->FormPrihod, "P", QStringLiteral("Бинт"), QStringLiteral("шт"));
                 dateEdit(forms->FormPrihod, "RzDateTimeEditPSrokGodn")->setDate(Today.addDays(10));
                 QTest::keyClicks(lineEdit(forms->FormPrihod, "RzEditPKol"), QStringLiteral("3"));
                 QTest::keyClicks(lineEdit(forms->FormPrihod, "RzEditPCEdin"),
                                  QStringLiteral("1,5"));
                 pushButton(forms->FormPrihod, "RzBitBtnPSave")->click();
             });
             gl()->BtnNewPrihodClick();
         }},
        {"issue of the whole expired batch",
         [&] {
             select(0);
             whenShown(forms->FormRashod, [&] {
                 QTest::keyClicks(lineEdit(forms->FormRashod, "RzEditRIzrash"),
                                  QStringLiteral("4"));
                 pushButton(forms->FormRashod, "RzBitBtnRSave")->click();
             });
             gl()->BtnRashodClick();
         }},
        {"edit into the expired",
         [&] {
             select(3);
             whenShown(forms->FormEdit, [&] {
                 dateEdit(forms->FormEdit, "RzDateTimeEditESrokGodn")->setDate(Today.addDays(-1));
                 pushButton(forms->FormEdit, "RzBitBtnESave")->click();
             });
             gl()->BtnEditPrihodClick();
         }},
        {"write-off",
         [&] {
             select(1);
             whenShown(forms->FormSpisanie, [&] {
                 control<QComboBox>(forms->FormSpisanie, "RzComboBoxSPrichina")->setCurrentIndex(1);
                 QTest::keyClicks(lineEdit(forms->FormSpisanie, "RzEditSSpisat"),
                                  QStringLiteral("2"));
                 pushButton(forms->FormSpisanie, "RzBitBtnSSave")->click();
             });
             control<QToolButton>(gl(), "BtnSpisanie")->click();
         }},
        {"delete",
         [&] {
             select(2);
             whenShown(forms->FormDelZap,
                       [&] { pushButton(forms->FormDelZap, "RzBitBtnDel")->click(); });
             gl()->BtnDeleteZapisClick();
         }},
    };
    for (const auto &[what, run] : operations) {
        const QString before = shownFigures();
        const QByteArray files = dir.read(QStringLiteral("Base.dat"));
        run();
        EXPECT_NE(dir.read(QStringLiteral("Base.dat")), files) << what; // it did its work
        EXPECT_NE(shownFigures(), before) << what;
        EXPECT_EQ(shownFigures(), fileFigures()) << what;
    }
    EXPECT_EQ(shownFigures(),
              QStringLiteral("На складе: 34,50 руб. · просрочено: 1 партия на 4,00 руб. · "
                             "истекает за 90 дней: 2 на 10,50 руб."));
    // Only the issue from the expired batch asked.
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{
                  QStringLiteral("Срок годности этой партии истёк 12.03.2024. Выдать всё равно?")});
}

TEST_F(StockDialogs, IssueDialogNamesTheEarlierBatchAndGoesToIt)
{
    StockRecord other = expiring("Б-1", 5, 9);
    other.Unit = QStringLiteral("Ампулы");
    writeStock({expiring("С-0", 200, 10), expiring("С-1", 30, 4.5), expiring("С-2", -1, 3), other});
    open();
    ASSERT_TRUE(gl()->selectRecord(0));
    TFormRashod *r = forms->FormRashod;
    QLabel *hint = control<QLabel>(r, "RzLabelRRanshe");
    QStringList seriesShown;
    whenShown(r, [&] {
        seriesShown << lineEdit(r, "RzEditRSeriiaPrep")->text();
        EXPECT_TRUE(hint->isVisible());
        EXPECT_EQ(hint->text(),
                  QStringLiteral("Есть партия с более ранним сроком годности: серия С-1, "
                                 "годна до 14.04.2024, остаток 4,5"));
        EXPECT_TRUE(pushButton(r, "RzBitBtnRPereiti")->isVisible());
        // One line between the department and the quantity issued; the dialog grows by it.
        const int hintTop = hint->mapTo(r, QPoint(0, 0)).y();
        EXPECT_GT(hintTop, lineEdit(r, "RzButtonEditRMove")->geometry().bottom());
        EXPECT_LE(hintTop + hint->height(), lineEdit(r, "RzEditRIzrash")->y());
        const QSize withHint = r->size();
        whenShownAgain(r, [&, withHint] {
            seriesShown << lineEdit(r, "RzEditRSeriiaPrep")->text();
            EXPECT_FALSE(hint->isVisible()); // the earliest there is
            EXPECT_EQ(r->size(), QSize(361, 300).expandedTo(r->sizeHint()));
            EXPECT_EQ(r->width(), withHint.width());
            EXPECT_GT(withHint.height(), r->height());
            r->reject();
        });
        pushButton(r, "RzBitBtnRPereiti")->click();
    });
    gl()->BtnRashodClick();
    EXPECT_EQ(seriesShown, (QStringList{"С-0", "С-1"}));
    EXPECT_EQ(gl()->selectedRecordId(), 1);
    EXPECT_TRUE(issues().empty());
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(StockDialogs, IssueFromAnExpiredBatchAsksWithNoFocused)
{
    writeStock({expiring("С-0", -3, 10), expiring("С-1", 0, 10)});
    open();
    TFormRashod *r = forms->FormRashod;
    auto issueOne = [&](qint32 id, const std::function<void()> &afterSave) {
        ASSERT_TRUE(gl()->selectRecord(id));
        whenShown(r, [&] {
            QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("1"));
            pushButton(r, "RzBitBtnRSave")->click();
            afterSave();
        });
        gl()->BtnRashodClick();
    };
    const QString question =
        QStringLiteral("Срок годности этой партии истёк 12.03.2024. Выдать всё равно?");
    // The real box: "Нет" holds the focus, so Enter refuses.
    Messages::stopRecording();
    QString asked, focused;
    ASSERT_TRUE(gl()->selectRecord(0));
    whenShown(r, [&] {
        QTest::keyClicks(lineEdit(r, "RzEditRIzrash"), QStringLiteral("1"));
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            asked = box->text();
            focused = qobject_cast<QPushButton *>(box->focusWidget())->text();
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        pushButton(r, "RzBitBtnRSave")->click();
        EXPECT_TRUE(r->isVisible());
    });
    gl()->BtnRashodClick();
    Messages::startRecording();
    EXPECT_EQ(asked, question);
    EXPECT_EQ(focused, QStringLiteral("Нет"));
    EXPECT_TRUE(issues().empty());

    issueOne(0, [&] {
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{question});
        EXPECT_TRUE(r->isVisible()); // "Нет": nothing stored, the dialog stays
        Messages::setAnswer(true);
        pushButton(r, "RzBitBtnRSave")->click();
        EXPECT_FALSE(r->isVisible());
    });
    issueOne(1, [&] { EXPECT_FALSE(r->isVisible()); }); // expires today: no question
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{question});
    ASSERT_EQ(issues().size(), 2u);
    EXPECT_EQ(issues()[0].StockRecordId, 0);
    EXPECT_EQ(issues()[1].StockRecordId, 1);
}

TEST_F(StockDialogs, WriteOffIsAnIssueToTheReasonsDepartment)
{
    writeStock({expiring("С-0", -3, 10), expiring("С-1", 100, 6, 3)});
    open();
    TFormSpisanie *w = forms->FormSpisanie;
    auto *reason = control<QComboBox>(w, "RzComboBoxSPrichina");
    auto writeOff = [&](qint32 id, const std::function<void()> &step) {
        ASSERT_TRUE(gl()->selectRecord(id));
        whenShown(w, step);
        control<QToolButton>(gl(), "BtnSpisanie")->click();
    };
    writeOff(0, [&] {
        EXPECT_EQ(lineEdit(w, "RzEditSNamePrep")->text(), QStringLiteral("Анальгин"));
        EXPECT_EQ(lineEdit(w, "RzEditSKol")->text(), QStringLiteral("10"));
        EXPECT_TRUE(lineEdit(w, "RzEditSKol")->isReadOnly());
        QStringList reasons;
        for (int i = 0; i < reason->count(); ++i)
            reasons << reason->itemText(i);
        EXPECT_EQ(reasons,
                  (QStringList{"Истёк срок годности", "Повреждение", "Недостача", "Прочее"}));
        EXPECT_EQ(reason->currentText(),
                  QStringLiteral("Истёк срок годности")); // the batch has expired
        EXPECT_FALSE(pushButton(w, "RzBitBtnSSave")->isEnabled());
        QTest::keyClicks(lineEdit(w, "RzEditSSpisat"), QStringLiteral("10.5"));
        pushButton(w, "RzBitBtnSSave")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList{QStringLiteral(
                      "Введённое значение превышает количество, либо оно равно нулю!")});
        lineEdit(w, "RzEditSSpisat")->clear();
        QTest::keyClicks(lineEdit(w, "RzEditSSpisat"), QStringLiteral("10"));
        pushButton(w, "RzBitBtnSSave")->click();
        EXPECT_FALSE(w->isVisible());
    });
    // A batch not expired asks for its reason.
    writeOff(1, [&] {
        EXPECT_EQ(reason->currentIndex(), -1);
        QTest::keyClicks(lineEdit(w, "RzEditSSpisat"), QStringLiteral("1,5"));
        pushButton(w, "RzBitBtnSSave")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList{QStringLiteral("Вы не выбрали причину списания!")});
        reason->setCurrentIndex(2);
        pushButton(w, "RzBitBtnSSave")->click();
    });
    writeOff(1, [&] {
        reason->setCurrentIndex(2);
        QTest::keyClicks(lineEdit(w, "RzEditSSpisat"), QStringLiteral("1"));
        pushButton(w, "RzBitBtnSSave")->click();
    });
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());

    const auto issued = issues();
    ASSERT_EQ(issued.size(), 3u);
    EXPECT_EQ(issued[0].Department, QStringLiteral("Списание: Истёк срок годности"));
    EXPECT_EQ(issued[0].IssuedQuantity, 10);
    EXPECT_EQ(issued[0].IssueDate, text::dateToSerial(Today));
    EXPECT_EQ(issued[1].Department, QStringLiteral("Списание: Недостача"));
    EXPECT_EQ(issued[1].IssuedSum, 4.5);
    EXPECT_EQ(issued[2].Department, QStringLiteral("Списание: Недостача"));
    EXPECT_EQ(ReferenceList(dir.path(), RefKind::Departments).liveNames(),
              (QStringList{"Списание: Истёк срок годности", "Списание: Недостача"}));
    ASSERT_EQ(gl()->selectedRecordId(), 1);
    EXPECT_EQ(list()->cells(list()->selectedRow()).at(stockcol::Quantity), QStringLiteral("3,5"));
    EXPECT_EQ(stock().at(0).Quantity, 0);
    EXPECT_EQ(shownFigures(), fileFigures());
}

} // namespace

// The issue dialog says, on a pale ground, as it opens: that the batch has
// expired, and which batch expires earlier; a batch without a series is named
// by its date alone.
TEST_F(StockDialogs, IssueDialogNoticesShowAsItOpens)
{
    writeStock({expiring("С-0", -3, 10), expiring("", 10, 4), expiring("С-2", 30, 4)});
    open();
    TFormRashod *r = forms->FormRashod;
    QLabel *expired = control<QLabel>(r, "RzLabelRIstek");
    QLabel *hint = control<QLabel>(r, "RzLabelRRanshe");
    struct Case
    {
        qint32 record;
        const char *expired; // nullptr: not shown
        const char *earlier;
    };
    const Case cases[] = {
        {0, "Срок годности этой партии истёк 12.03.2024.", nullptr},
        {1, nullptr, nullptr},
        {2, nullptr, "Есть партия с более ранним сроком годности: годна до 25.03.2024, остаток 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.record);
        ASSERT_TRUE(gl()->selectRecord(c.record));
        whenShown(r, [&] {
            EXPECT_EQ(expired->isVisible(), c.expired != nullptr);
            if (c.expired) {
                EXPECT_EQ(expired->text(), QString::fromUtf8(c.expired));
            }
            EXPECT_EQ(hint->isVisible(), c.earlier != nullptr);
            if (c.earlier) {
                EXPECT_EQ(hint->text(), QString::fromUtf8(c.earlier));
            }
            // Drawn on a ground of its own, not the dialog's.
            EXPECT_TRUE(expired->autoFillBackground());
            EXPECT_NE(expired->palette().color(QPalette::Window),
                      r->palette().color(QPalette::Window));
            EXPECT_TRUE(hint->parentWidget()->autoFillBackground());
        });
        gl()->BtnRashodClick();
    }
    EXPECT_TRUE(issues().empty());
}

// Each window shows the batch in its own fields, each from the record's own
// value (the sum as stored, not worked out), read-only where it only informs.
// A receipt date the calendar field cannot hold shows empty, except on the
// batch card, which shows the file as it is; the edit keeps it when saved.
TEST_F(StockDialogs, EachWindowShowsTheBatchInItsFields)
{
    StockRecord r = batch(QStringLiteral("Бинт"), 12.5, 3);
    r.ReceiptDocument = QStringLiteral("Накл. 7");
    r.Series = QStringLiteral("С-9");
    r.TotalSum = 40;
    r.ReceiptDate = text::dateToSerial(QDate(1700, 5, 1));
    writeStock({r});
    open();
    struct Field
    {
        const char *name;
        const char *shown; // a date as dd.MM.yyyy, "" when empty
        bool editable;
    };
    struct Case
    {
        QDialog *window;
        void (TFormGl::*open)();
        std::vector<Field> fields;
    };
    const Case cases[] = {
        {forms->FormRashod,
         &TFormGl::BtnRashodClick,
         {{"RzEditRNamePrep", "Бинт", false},
          {"RzEditRNameIzgot", "Изготовитель", false},
          {"RzEditRNamePost", "Поставщик", false},
          {"RzEditRPrihodDoc", "Накл. 7", false},
          {"RzEditRSeriiaPrep", "С-9", false},
          {"RzEditREdIzm", "Таблетки", false},
          {"RzEditRKol", "12,5", false},
          {"RzEditRCEdin", "3", false},
          {"RzDateTimeEditRDataPol", "", false},
          {"RzDateTimeEditRSrokGodn", "01.01.2026", false}}},
        {forms->FormSpisanie,
         &TFormGl::BtnSpisanieClick,
         {{"RzEditSNamePrep", "Бинт", false},
          {"RzEditSSeriiaPrep", "С-9", false},
          {"RzEditSEdIzm", "Таблетки", false},
          {"RzDateTimeEditSSrokGodn", "01.01.2026", false},
          {"RzEditSKol", "12,5", false},
          {"RzEditSCEdin", "3", false}}},
        {forms->FormViewZap,
         &TFormGl::RzListView1DblClick,
         {{"RzEditVNamePrep", "Бинт", false},
          {"RzEditVNameIzgot", "Изготовитель", false},
          {"RzEditVNamePost", "Поставщик", false},
          {"RzEditVPrihodDoc", "Накл. 7", false},
          {"RzEditVSeriiaPrep", "С-9", false},
          {"RzEditVEdIzm", "Таблетки", false},
          {"RzEditVKol", "12,5", false},
          {"RzEditVCEdin", "3", false},
          {"RzEditVTotSum", "40", false},
          {"RzDateTimeEditVDataPol", "01.05.1700", false},
          {"RzDateTimeEditVSrokGodn", "01.01.2026", false}}},
        {forms->FormEdit,
         &TFormGl::BtnEditPrihodClick,
         {{"RzButtonEditENamePrep", "Бинт", false},
          {"RzButtonEditENameIzgot", "Изготовитель", true},
          {"RzButtonEditENamePost", "Поставщик", true},
          {"RzEditEPrihodDoc", "Накл. 7", true},
          {"RzEditESeriiaPrep", "С-9", true},
          {"RzDateTimeEditEDataPoluch", "", true},
          {"RzEditEEdinIzm", "Таблетки", false},
          {"RzEditEKol", "12,5", true},
          {"RzEditECEdin", "3", true},
          {"RzDateTimeEditESrokGodn", "01.01.2026", true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.window->objectName().toStdString());
        ASSERT_TRUE(gl()->selectRecord(0));
        whenShown(c.window, [&] {
            for (const Field &f : c.fields) {
                SCOPED_TRACE(f.name);
                QWidget *field = control<QWidget>(c.window, f.name);
                if (auto *date = qobject_cast<QDateEdit *>(field)) {
                    EXPECT_EQ(ui::shownDate(date).toString(QStringLiteral("dd.MM.yyyy")),
                              QString::fromUtf8(f.shown));
                    EXPECT_EQ(date->isReadOnly(), !f.editable);
                } else {
                    auto *line = qobject_cast<QLineEdit *>(field);
                    ASSERT_TRUE(line);
                    EXPECT_EQ(line->text(), QString::fromUtf8(f.shown));
                    EXPECT_EQ(line->isReadOnly(), !f.editable);
                    if (line != c.window->focusWidget()) { // the one to type in keeps its cursor
                        EXPECT_EQ(line->cursorPosition(), 0);
                    }
                }
            }
            if (c.window == forms->FormEdit)
                pushButton(c.window, "RzBitBtnESave")->click();
        });
        (gl()->*c.open)();
    }
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
    EXPECT_EQ(stock().at(0).ReceiptDate, r.ReceiptDate);
    EXPECT_EQ(stock().at(0).Series, r.Series);
}
