#pragma once

#include <QDate>
#include <QString>
#include <Qt>
#include <initializer_list>

class QAction;
class QDateEdit;
class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// Controls and layouts the dialogs share.
namespace vedaris::ui {

// A fixed dialog with a title bar and a close button only.
constexpr Qt::WindowFlags dialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Read-only fields of the stock dialogs take the system's tooltip colours.
void makeReadOnly(QLineEdit *edit);
void makeReadOnly(QDateEdit *edit);
QLineEdit *lineEdit(QWidget *parent, const QString &name);
// The date field of every dialog (DateEdit): dd.MM.yyyy, a calendar, typing
// that gives whole dates; a date field "emptied" on closing shows nothing
// until it is set again.
QDateEdit *dateEdit(QWidget *parent, const QString &name);
void clearDate(QDateEdit *edit);
// A stored date (days since 30.12.1899); one no date can hold (NaN, infinite,
// out of range) empties the field rather than leave the last record's date.
void showSerial(QDateEdit *edit, double serial);
// The field's date, or an invalid one when it is empty.
QDate shownDate(const QDateEdit *edit);
// The small "..." button beside a field, and the same button inside a field.
QToolButton *chooseButton(QWidget *parent, const QString &name);
// The "…" button inside an editable field. It is reached by Tab after the
// field, and F4 or Alt+Down in the field press it as well.
QAction *embeddedChooseButton(QLineEdit *edit);
// The focusable button of that action inside `edit`, for the tab order.
QWidget *embeddedButton(QLineEdit *edit, QAction *action);
// Once per application: Enter or Return on a focused button presses it, as
// Space does.
void installKeyboardHelp();
// The width a window needs for its whole caption in the title bar, beside
// the icon and the close box.
int captionWidth(const QWidget *window);
// A fixed-size window made at least that wide.
void fitCaption(QWidget *window);
QPushButton *saveButton(QWidget *parent, const QString &name);
QPushButton *closeButton(QWidget *parent, const QString &name);
// Buttons at the right end of a row.
QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons);
// A stock dialog's whole layout: the fields (a widget with a layout) on top,
// the buttons at the bottom.
void layOutForm(QDialog *dialog, QWidget *fields, QPushButton *save, QPushButton *close);
// Tab goes through `widgets` in this order.
void chainTabOrder(std::initializer_list<QWidget *> widgets);

} // namespace vedaris::ui
