// Typing dates into the real dialogs' date fields, offscreen.

#include "widgets/DateEdit.h"
#include "app/Forms.h"
#include "dialogs/ReportWindows.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormViewZap.h"
#include "store/Clock.h"
#include "store/Records.h"
#include "store/TextFormats.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace vedaris;

namespace {

const QDate Today(2024, 3, 15);

class DateFields : public testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setFixedToday(Today);
        dir.createEmptyFiles();
        Messages::startRecording();
        forms = std::make_unique<Forms>(dir.path());
    }
    void TearDown() override
    {
        forms.reset();
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }
    static void showActive(QWidget *window)
    {
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    TempDataDir dir;
    std::unique_ptr<Forms> forms;
};

} // namespace

// Keys: digits and separators as typed; > Right, < Left, ~ Backspace, ! Escape,
// | Tab. The field is entered with Tab from the control before it (^: with
// Shift+Tab from the one after it) and left with Tab after the keys.
TEST_F(DateFields, TypedDatesThroughTheDialogs)
{
    struct Field
    {
        QWidget *dialog;
        const char *name, *before, *after;
    };
    const Field received{forms->FormPrihod, "RzDateTimeEditPDataPoluch", "RzEditPSeriiaPrep",
                         "RzEditPEdinIzm"};
    const Field expiry{forms->FormPrihod, "RzDateTimeEditPSrokGodn", "RzEditPCEdin", nullptr};
    const Field start{forms->FormAllRashod, "RzDateTimeEditStart", "RzBitBtnClose", nullptr};
    const Field finish{forms->FormAllRashod, "RzDateTimeEditFinish", "RzDateTimeEditStart",
                       nullptr};
    const Field viewed{forms->FormViewZap, "RzDateTimeEditVDataPol", "RzEditVTotSum", nullptr};
    struct Case
    {
        const Field &field;
        const char *keys;
        QDate expected; // the field starts at today, 15.03.2024
        const char *refused = nullptr; // the text a refused date leaves shown
    };
    const Case cases[] = {
        {received, "08122026", {2026, 12, 8}},
        {received, "8.12.2026", {2026, 12, 8}},
        {received, "8/12/2026", {2026, 12, 8}},
        {received, "8-12-2026", {2026, 12, 8}},
        {received, "8 12 2026", {2026, 12, 8}},
        {received, "08,12,26", {2026, 12, 8}}, // two-digit years are this century's
        {received, "8.1.99", {2099, 1, 8}},
        {received, "8122026", {2026, 12, 8}}, // no day begins with 8
        {received, "^08122026", {2026, 12, 8}},
        {received, "5", {2024, 3, 5}}, // the parts not typed stay
        {received, "15.7", {2024, 7, 15}},
        {received, ">7", {2024, 7, 15}},
        {received, ">>2015", {2015, 3, 15}}, // typed over the chosen year
        {received, "><5", {2024, 3, 5}},
        {received, "<<5>>>2017", {2017, 3, 5}},
        {received, "29022016>>2015", {2015, 2, 28}},
        {received, "31012016<02", {2016, 2, 29}},
        {received, "09~812", {2024, 12, 8}},
        {received, "3115", {2024, 1, 31}}, // month 15 refused, 1 kept
        {received, "31022026", Today, "31.02.2026"}, // no such day: the field keeps its date
        {received, "0012", {2024, 2, 1}}, // day 00 refused, 0 kept
        {received, "08.12.202", Today, "08.12.202"}, // three digits are no year
        {received, "0812!", Today},
        {received, "..", Today},
        {expiry, "01012030", {2030, 1, 1}},
        {expiry, "1.1.30|", {2030, 1, 1}},
        {start, "01012024", {2024, 1, 1}},
        {start, "1.2.2024", {2024, 2, 1}},
        {finish, "31.12.2024", {2024, 12, 31}},
        {finish, ">>2023", {2023, 3, 15}},
        {viewed, "08122026", Today}, // read-only stays read-only
        {viewed, ">>2015", Today},
    };
    StockRecord shown;
    shown.ReceiptDate = shown.ExpiryDate = text::dateToSerial(Today);
    forms->FormViewZap->fill(shown);

    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.field.name) + " " + c.keys);
        if (!c.field.dialog->isVisible())
            showActive(c.field.dialog);
        auto *field = control<QDateEdit>(c.field.dialog, c.field.name);
        field->setDate(Today);
        QList<QDate> changes;
        const auto watch =
            QObject::connect(field, &QDateEdit::dateChanged, [&](QDate d) { changes << d; });
        const char *keys = c.keys;
        if (*keys == '^') {
            QWidget *after = control<QWidget>(c.field.dialog, c.field.after);
            after->setFocus();
            QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
            ++keys;
        } else {
            QWidget *before = control<QWidget>(c.field.dialog, c.field.before);
            before->setFocus();
            QTest::keyClick(before, Qt::Key_Tab);
        }
        ASSERT_TRUE(field->hasFocus())
            << qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                      : "none")
            << " active "
            << qPrintable(QApplication::activeWindow() ? QApplication::activeWindow()->objectName()
                                                       : "none");
        for (; *keys; ++keys) {
            switch (*keys) {
            case '>':
                QTest::keyClick(field, Qt::Key_Right);
                break;
            case '<':
                QTest::keyClick(field, Qt::Key_Left);
                break;
            case '~':
                QTest::keyClick(field, Qt::Key_Backspace);
                break;
            case '!':
                QTest::keyClick(field, Qt::Key_Escape);
                break;
            case '|':
                QTest::keyClick(field, Qt::Key_Tab);
                break;
            default:
                QTest::keyClick(field, *keys);
                break;
            }
        }
        if (field->hasFocus())
            QTest::keyClick(field, Qt::Key_Tab);
        QObject::disconnect(watch);

        EXPECT_FALSE(field->hasFocus()); // one Tab left the field
        EXPECT_TRUE(c.field.dialog->isVisible());
        EXPECT_EQ(field->date(), c.expected);
        EXPECT_EQ(field->text(),
                  c.refused ? QString::fromLatin1(c.refused) : c.expected.toString("dd.MM.yyyy"));
        if (auto *edit = dynamic_cast<ui::DateEdit *>(field)) {
            EXPECT_EQ(edit->refusal().isEmpty(), !c.refused);
        }
        // Never a half-typed date on the way.
        EXPECT_EQ(changes.value(changes.size() - 1, Today), c.expected);
        for (QDate d : changes)
            EXPECT_TRUE(d.year() >= 2015 && d.year() <= 2099) << qPrintable(d.toString());
        if (&c + 1 == std::end(cases) || (&c + 1)->field.dialog != c.field.dialog)
            c.field.dialog->hide();
    }
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(DateFields, TabReachesTheExpiryDateOfTheReceiptInTheTabOrder)
{
    TFormPrihod *p = forms->FormPrihod;
    showActive(p);
    // Each "…" inside a firm's field follows its field.
    const QStringList order = {"RzButtonEditPNamePrep",
                               "RzBitBtn1",
                               "RzButtonEditPNameIzgot",
                               "RzButtonEditPNameIzgotButton",
                               "RzButtonEditPNamePost",
                               "RzButtonEditPNamePostButton",
                               "RzEditPPrihodDoc",
                               "RzEditPSeriiaPrep",
                               "RzDateTimeEditPDataPoluch",
                               "RzEditPEdinIzm",
                               "RzEditPKol",
                               "RzEditPCEdin",
                               "RzDateTimeEditPSrokGodn",
                               "RzBitBtnPClose"};
    auto focused = [] {
        QWidget *w = QApplication::focusWidget();
        // A date field's focus sits in its text.
        return qobject_cast<QDateEdit *>(w->parentWidget()) ? w->parentWidget()->objectName()
                                                            : w->objectName();
    };
    QStringList forward{focused()};
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << focused();
    }
    EXPECT_EQ(forward, order); // "Срок годности" after ten presses; "Сохранить" is off
    QStringList backward{focused()};
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(focused());
    }
    EXPECT_EQ(backward, order);
}

// An impossible date is refused where it was typed: the field shows it in red
// with the reason and keeps its date; the receipt is not stored until the
// date is mended, and nothing else is ever put in its place.
TEST_F(DateFields, AnImpossibleDateIsRefusedVisiblyAndNothingIsStored)
{
    TFormPrihod *p = forms->FormPrihod;
    showActive(p);
    lineEdit(p, "RzButtonEditPNamePrep")->setText(QStringLiteral("Анальгин"));
    lineEdit(p, "RzEditPEdinIzm")->setText(QStringLiteral("Таблетки"));
    QTest::keyClicks(lineEdit(p, "RzEditPKol"), QStringLiteral("10"));
    QTest::keyClicks(lineEdit(p, "RzEditPCEdin"), QStringLiteral("2"));
    auto *expiry = dynamic_cast<ui::DateEdit *>(dateEdit(p, "RzDateTimeEditPSrokGodn"));
    ASSERT_TRUE(expiry);
    lineEdit(p, "RzEditPCEdin")->setFocus();
    QTest::keyClick(lineEdit(p, "RzEditPCEdin"), Qt::Key_Tab);
    ASSERT_TRUE(expiry->hasFocus());
    QTest::keyClicks(expiry, QStringLiteral("31022027"));
    EXPECT_EQ(expiry->date(), Today);
    EXPECT_EQ(expiry->text(), QStringLiteral("31.02.2027"));
    EXPECT_EQ(expiry->refusal(), QStringLiteral("Такой даты нет: 31.02.2027."));
    EXPECT_EQ(expiry->toolTip(), expiry->refusal());
    QTest::keyClick(expiry, Qt::Key_Tab);
    EXPECT_EQ(expiry->text(), QStringLiteral("31.02.2027")); // leaving it changes nothing

    pushButton(p, "RzBitBtnPSave")->click();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Такой даты нет: 31.02.2027."});
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(dir.read(QStringLiteral("Base.dat")).size(), 0);

    // Typed again: the refusal goes, the date is taken.
    expiry->setFocus();
    QTest::keyClicks(expiry, QStringLiteral("28022027"));
    EXPECT_TRUE(expiry->refusal().isEmpty());
    EXPECT_EQ(expiry->date(), QDate(2027, 2, 28));
    // Escape after a refusal shows the date the field holds.
    QTest::keyClick(expiry, Qt::Key_Home);
    QTest::keyClicks(expiry, QStringLiteral("30022027"));
    EXPECT_FALSE(expiry->refusal().isEmpty());
    QTest::keyClick(expiry, Qt::Key_Escape);
    EXPECT_TRUE(expiry->refusal().isEmpty());
    EXPECT_EQ(expiry->text(), QStringLiteral("28.02.2027"));
    p->hide();
}

// The period dialogs refuse a finish before the start, and a refused date,
// with a message, instead of reporting an empty period.
TEST_F(DateFields, PeriodDialogsRefuseAFinishBeforeTheStart)
{
    for (QDialog *d : std::initializer_list<QDialog *>{
             forms->FormAllRashod, forms->FormOtchetPrihodMedikamentov, forms->FormOtchetPolIzr,
             forms->FormOtchetDvijeniia, forms->FormRashodAllData, forms->FormOtchetOneOtdel}) {
        SCOPED_TRACE(d->objectName().toStdString());
        showActive(d);
        dateEdit(d, "RzDateTimeEditStart")->setDate(QDate(2024, 3, 10));
        dateEdit(d, "RzDateTimeEditFinish")->setDate(QDate(2024, 3, 9));
        pushButton(d, "RzBitBtnCreate")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(),
                  QStringList{"Конечная дата раньше начальной! Укажите период заново."});
        EXPECT_TRUE(d->isVisible());

        auto *finish = dynamic_cast<ui::DateEdit *>(dateEdit(d, "RzDateTimeEditFinish"));
        ASSERT_TRUE(finish);
        finish->setFocus();
        QTest::keyClicks(finish, QStringLiteral("30022024"));
        pushButton(d, "RzBitBtnCreate")->click();
        EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Такой даты нет: 30.02.2024."});
        EXPECT_TRUE(d->isVisible());
        d->hide();
    }
}
