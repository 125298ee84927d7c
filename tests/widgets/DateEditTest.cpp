// Typing dates into the real dialogs' date fields, offscreen.

#include "app/Forms.h"
#include "app/TFormViewZap.h"
#include "dialogs/TFormAllRashod.h"
#include "dialogs/TFormPrihod.h"
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
    const Field received{forms->FormPrihod, "RzDateTimeEditPDataPoluch", "RzEditPSeriiaPrep", "RzEditPEdinIzm"};
    const Field expiry{forms->FormPrihod, "RzDateTimeEditPSrokGodn", "RzEditPCEdin", nullptr};
    const Field start{forms->FormAllRashod, "RzDateTimeEditStart", "RzBitBtnClose", nullptr};
    const Field finish{forms->FormAllRashod, "RzDateTimeEditFinish", "RzDateTimeEditStart", nullptr};
    const Field viewed{forms->FormViewZap, "RzDateTimeEditVDataPol", "RzEditVTotSum", nullptr};
    struct Case
    {
        const Field &field;
        const char *keys;
        QDate expected; // the field starts at today, 15.03.2024
    };
    const Case cases[] = {
        {received, "08122026", {2026, 12, 8}},
        {received, "8.12.2026", {2026, 12, 8}},
        {received, "8/12/2026", {2026, 12, 8}},
        {received, "8-12-2026", {2026, 12, 8}},
        {received, "8 12 2026", {2026, 12, 8}},
        {received, "08,12,26", {2026, 12, 8}}, // two-digit years are this century's
        {received, "8.1.99", {2099, 1, 8}},
        {received, "8122026", {2026, 12, 8}},  // no day begins with 8
        {received, "^08122026", {2026, 12, 8}},
        {received, "5", {2024, 3, 5}},          // the parts not typed stay
        {received, "15.7", {2024, 7, 15}},
        {received, ">7", {2024, 7, 15}},
        {received, ">>2015", {2015, 3, 15}},    // typed over the chosen year
        {received, "><5", {2024, 3, 5}},
        {received, "<<5>>>2017", {2017, 3, 5}},
        {received, "29022016>>2015", {2015, 2, 28}},
        {received, "31012016<02", {2016, 2, 29}},
        {received, "09~812", {2024, 12, 8}},
        {received, "3115", {2024, 1, 31}},      // month 15 refused, 1 kept
        {received, "31022026", Today},          // no such day: the field keeps its date
        {received, "0012", {2024, 2, 1}},       // day 00 refused, 0 kept
        {received, "08.12.202", Today},         // three digits are no year
        {received, "0812!", Today},
        {received, "..", Today},
        {expiry, "01012030", {2030, 1, 1}},
        {expiry, "1.1.30|", {2030, 1, 1}},
        {start, "01012024", {2024, 1, 1}},
        {start, "1.2.2024", {2024, 2, 1}},
        {finish, "31.12.2024", {2024, 12, 31}},
        {finish, ">>2023", {2023, 3, 15}},
        {viewed, "08122026", Today},            // read-only stays read-only
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
        const auto watch = QObject::connect(field, &QDateEdit::dateChanged,
                                            [&](QDate d) { changes << d; });
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
        ASSERT_TRUE(field->hasFocus()) << qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "none") << " active " << qPrintable(QApplication::activeWindow() ? QApplication::activeWindow()->objectName() : "none");
        for (; *keys; ++keys) {
            switch (*keys) {
            case '>': QTest::keyClick(field, Qt::Key_Right); break;
            case '<': QTest::keyClick(field, Qt::Key_Left); break;
            case '~': QTest::keyClick(field, Qt::Key_Backspace); break;
            case '!': QTest::keyClick(field, Qt::Key_Escape); break;
            case '|': QTest::keyClick(field, Qt::Key_Tab); break;
            default: QTest::keyClick(field, *keys); break;
            }
        }
        if (field->hasFocus())
            QTest::keyClick(field, Qt::Key_Tab);
        QObject::disconnect(watch);

        EXPECT_FALSE(field->hasFocus()); // one Tab left the field
        EXPECT_TRUE(c.field.dialog->isVisible());
        EXPECT_EQ(field->date(), c.expected);
        EXPECT_EQ(field->text(), c.expected.toString("dd.MM.yyyy"));
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
    const QStringList order = {"RzButtonEditPNamePrep", "RzBitBtn1", "RzButtonEditPNameIzgot",
                               "RzButtonEditPNamePost", "RzEditPPrihodDoc", "RzEditPSeriiaPrep",
                               "RzDateTimeEditPDataPoluch", "RzEditPEdinIzm", "RzEditPKol",
                               "RzEditPCEdin", "RzDateTimeEditPSrokGodn", "RzBitBtnPClose"};
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
