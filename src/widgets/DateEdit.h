#pragma once

#include <QDateEdit>
#include <QString>
#include <array>

namespace vedaris::ui {

// The date field of every dialog: dd.MM.yyyy with a calendar pop-up.
//
// Tab and Shift+Tab leave it; Left and Right choose the day, month or year.
// Digits typed fill the chosen part and those after it, a part moving on when
// it is full or a separator (. / , - or a blank) ends it: "08122026",
// "8.12.2026" and "8/12/26" all give 08.12.2026. Parts not typed keep their
// value, a kept day coming down to the end of a shorter month. A year of one
// or two digits is of today's century ("26" is 2026, never 1926); one of three
// digits is no year. What was typed becomes the date only once it makes one
// (when the year is full, or on leaving the field, Enter, Left or Right); a
// typed date that does not exist, such as 31.02, is refused with a beep: the
// field keeps its date but goes on showing what was typed, in red, and says
// why beside it and in its tooltip, until the next typing, Escape or a new
// date. A dialog asks `refusedIn` before it stores anything. So the field
// never holds a half-typed date nor another than the one typed, and a key is
// never refused because the date it passes through on the way (29.02 of a
// year being typed) does not exist.
class DateEdit : public QDateEdit
{
public:
    explicit DateEdit(QWidget *parent = nullptr);

    // Why the typed text was refused ("Такой даты нет: 31.02.2027."); empty
    // while it was not.
    QString refusal() const { return m_refusal; }
    // The first date field of `window` showing a refused date, or nullptr.
    static DateEdit *refusedIn(const QWidget *window);

protected:
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum Part { Day, Month, Year, Done };

    bool typing() const { return m_first != Done; }
    Part currentPart() const;
    void selectPart(Part part);
    void type(QChar c);
    void backspace();
    void showTyped();
    // Ends the typing: the typed date taken when it is one. False when refused.
    bool finishTyping();
    void cancelTyping();
    void showDate(); // the edit's text from the date again
    QDate base() const; // what the parts not typed come from
    void refuse(const QString &typed, const QString &reason);
    void showRefused();
    void clearRefusal();

    Part m_first = Done; // where the typing began; Done while not typing
    Part m_at = Done; // the part the next digit goes to
    std::array<QString, 3> m_typed;
    bool m_setting = false; // the date is being set from the typing
    QString m_refusedText; // what was typed and refused, shown until cleared
    QString m_refusal;
};

} // namespace vedaris::ui
