#include "app/QtTranslation.h"
#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/TFormPrihod.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

// What the widget's own context menu offers, read while it is open (line
// edits pop it up, spin boxes run it modally).
QString contextMenu(QWidget *w)
{
    QStringList texts;
    bool read = false;
    auto readOpenMenu = [&texts, &read] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (read || !menu)
            return;
        read = true;
        for (const QAction *a : menu->actions())
            if (!a->isSeparator())
                texts << a->text().section(QLatin1Char('\t'), 0, 0);
        menu->close();
    };
    QTimer::singleShot(0, readOpenMenu);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &event);
    readOpenMenu();
    return texts.join(QLatin1Char('|'));
}

} // namespace

TEST(QtTranslation, QtsOwnTextsAreRussianAndTheMessageBoxKeepsItsOneOk)
{
    // The portable program folder carries its own copy.
    EXPECT_EQ(loadQtTranslation(QStringLiteral(VEDARIS_DIST_DIR)),
              QDir(QStringLiteral(VEDARIS_DIST_DIR)).filePath(QStringLiteral("qtbase_ru.qm")));

    TempDataDir dir;
    Messages::startRecording();
    Forms forms(dir.path());
    forms.FormGl->show();
    QDateEdit *date = dateEdit(forms.FormPrihod, "RzDateTimeEditPDataPoluch");
    const QString editing =
        QStringLiteral("&Отменить действие|&Повторить действие|&Вырезать|&Копировать|"
                       "В&ставить|Удалить");
    const QString lineEditMenu = editing + QStringLiteral("|Выделить всё");
    const QString spinBox = editing + QStringLiteral("|&Выделить всё|Шаг вв&ерх|Шаг вн&из");
    EXPECT_EQ(contextMenu(lineEdit(forms.FormGl, "RzEditSearch")).toStdString(),
              lineEditMenu.toStdString());
    EXPECT_EQ(contextMenu(date).toStdString(), spinBox.toStdString());
    // The calendar pop-up: month names from the locale, its year field Qt's.
    QCalendarWidget *calendar = date->calendarWidget();
    const auto *month =
        calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_TRUE(month && month->menu());
    EXPECT_EQ(month->menu()->actions().value(0)->text(), QStringLiteral("январь"));
    EXPECT_EQ(contextMenu(calendar->findChild<QSpinBox *>(QStringLiteral("qt_calendar_yearedit")))
                  .toStdString(),
              spinBox.toStdString());
    Messages::stopRecording();

    QStringList buttons;
    QTimer::singleShot(0, [&buttons] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (const QAbstractButton *b : box->buttons())
            buttons << b->text();
        box->buttons().value(0)->click();
    });
    Messages::info(forms.FormGl, QStringLiteral("Файл справки не найден!"));
    EXPECT_EQ(buttons, QStringList{"OK"});
}
