#include "DateEdit.h"

#include "store/Clock.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace vedaris::ui {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isSeparator(QChar c)
{
    return QStringView(u"./,- ").contains(c);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

DateEdit::DateEdit(QWidget *parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
    lineEdit()->installEventFilter(this);
    // A date set otherwise (the calendar, a dialog filling its fields) ends
    // the typing; the field already shows the new date.
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!m_setting)
            m_first = m_at = Done;
    });
}

bool DateEdit::focusNextPrevChild(bool next)
{
    // Tab leaves the field instead of walking its parts.
    return QWidget::focusNextPrevChild(next);
}

void DateEdit::focusInEvent(QFocusEvent *event)
{
    QDateEdit::focusInEvent(event);
    // Coming back with Shift+Tab, a whole date can be typed as well.
    if (event->reason() == Qt::BacktabFocusReason)
        selectPart(Day);
}

void DateEdit::focusOutEvent(QFocusEvent *event)
{
    finishTyping();
    QDateEdit::focusOutEvent(event);
}

bool DateEdit::eventFilter(QObject *watched, QEvent *event)
{
    // A click into the text ends the typing before it moves the cursor.
    if (watched == lineEdit()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        finishTyping();
    return QDateEdit::eventFilter(watched, event);
}

void DateEdit::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (plain) {
            const Part at = typing() ? std::min(m_at, Year) : currentPart();
            finishTyping();
            switch (event->key()) {
            case Qt::Key_Left: selectPart(at == Day ? Day : Part(at - 1)); break;
            case Qt::Key_Right: selectPart(at == Year ? Year : Part(at + 1)); break;
            case Qt::Key_Home: selectPart(Day); break;
            default: selectPart(Year); break;
            }
            event->accept();
            return;
        }
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        // Emptying a part would leave no date; typing over it replaces it.
        if (event->key() == Qt::Key_Backspace)
            backspace();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (typing()) {
            cancelTyping();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        finishTyping();
        break;
    default:
        if (event->matches(QKeySequence::Paste)) {
            finishTyping();
            selectPart(Day);
            for (QChar c : QApplication::clipboard()->text().trimmed()) {
                if (!isDigit(c) && !isSeparator(c))
                    break;
                type(c);
                if (!typing())
                    break;
            }
            finishTyping();
            event->accept();
            return;
        }
        if (plain && event->text().size() == 1) {
            const QChar c = event->text().front();
            if (isDigit(c) || isSeparator(c))
                type(c);
            if (c.isPrint()) {
                event->accept();
                return;
            }
        }
        break;
    }
    QDateEdit::keyPressEvent(event);
}

DateEdit::Part DateEdit::currentPart() const
{
    if (!specialValueText().isEmpty() && date() == minimumDate())
        return Day;
    switch (currentSection()) {
    case MonthSection: return Month;
    case YearSection: return Year;
    default: return Day;
    }
}

void DateEdit::selectPart(Part part)
{
    setSelectedSection(part == Day ? DaySection : part == Month ? MonthSection : YearSection);
}

QDate DateEdit::base() const
{
    const bool blank = !specialValueText().isEmpty() && date() == minimumDate();
    return blank ? Clock::today() : date();
}

void DateEdit::type(QChar c)
{
    if (!typing()) {
        m_first = m_at = currentPart();
        m_typed = {};
    }
    QString &part = m_typed[size_t(m_at)];
    if (isDigit(c)) {
        part += c;
        // A day from 4 on or a month from 2 on has only one digit.
        const bool full = m_at == Year ? part.size() == 4
                                       : part.size() == 2 || part[0] > (m_at == Day ? u'3' : u'1');
        if (full && m_at != Year && (part.toInt() == 0 || part.toInt() > (m_at == Day ? 31 : 12))) {
            part.chop(1);
            QApplication::beep();
            return;
        }
        if (full)
            m_at = Part(m_at + 1);
    } else if (!part.isEmpty()) {
        m_at = Part(m_at + 1);
    } else {
        // The separator after a part that moved on when it was full.
        if (std::all_of(m_typed.begin(), m_typed.end(), [](const QString &s) { return s.isEmpty(); }))
            cancelTyping();
        return;
    }
    if (m_at == Done) {
        const Part first = m_first;
        selectPart(finishTyping() ? Year : first);
        return;
    }
    showTyped();
}

void DateEdit::backspace()
{
    if (!typing())
        return;
    Part p = m_at;
    while (p > m_first && m_typed[size_t(p)].isEmpty())
        p = Part(p - 1);
    m_typed[size_t(p)].chop(1);
    m_at = p;
    if (std::all_of(m_typed.begin(), m_typed.end(), [](const QString &s) { return s.isEmpty(); }))
        cancelTyping();
    else
        showTyped();
}

void DateEdit::showTyped()
{
    const QDate b = base();
    const QString was[3] = {twoDigits(b.day()), twoDigits(b.month()),
                            QStringLiteral("%1").arg(b.year(), 4, 10, QLatin1Char('0'))};
    QString text;
    int selectFrom = -1;
    int selectLength = 0;
    int cursor = 0;
    for (int p = Day; p <= Year; ++p) {
        if (p > Day)
            text += u'.';
        const QString &typed = m_typed[size_t(p)];
        if (p < m_first || p > m_at) {
            text += was[p];
        } else if (p < m_at) {
            text += p == Year ? typed : typed.rightJustified(2, u'0');
        } else if (typed.isEmpty()) {
            // The part the next digit replaces.
            selectFrom = int(text.size());
            selectLength = int(was[p].size());
            text += was[p];
        } else {
            text += typed;
            cursor = int(text.size());
        }
    }
    // Shown only: the spin box keeps its date until the typing makes one.
    const QSignalBlocker block(lineEdit());
    lineEdit()->setText(text);
    if (selectFrom >= 0)
        lineEdit()->setSelection(selectFrom, selectLength);
    else
        lineEdit()->setCursorPosition(cursor);
}

bool DateEdit::finishTyping()
{
    if (!typing())
        return true;
    const std::array<QString, 3> typed = m_typed;
    m_first = m_at = Done;
    if (std::all_of(typed.begin(), typed.end(), [](const QString &s) { return s.isEmpty(); })) {
        showDate();
        return true;
    }
    const QDate b = base();
    int day = typed[Day].isEmpty() ? b.day() : typed[Day].toInt();
    const int month = typed[Month].isEmpty() ? b.month() : typed[Month].toInt();
    int year = b.year();
    const QString &y = typed[Year];
    if (y.size() == 4)
        year = y.toInt();
    else if (!y.isEmpty())
        year = y.size() == 3 ? 0 : Clock::today().year() / 100 * 100 + y.toInt();
    // A day kept from before comes down to the end of a shorter month
    // (29.02.2016 with 2015 typed over its year is 28.02.2015); a typed one
    // must exist.
    if (typed[Day].isEmpty() && QDate(year, month, 1).isValid())
        day = std::min(day, QDate(year, month, 1).daysInMonth());
    const QDate d(year, month, day);
    // The minimum stands for an empty field, so it cannot be typed.
    const QDate lowest = specialValueText().isEmpty() ? minimumDate() : minimumDate().addDays(1);
    const bool ok = d.isValid() && d >= lowest && d <= maximumDate();
    if (ok) {
        m_setting = true;
        setDate(d);
        m_setting = false;
    } else {
        QApplication::beep();
    }
    showDate();
    return ok;
}

void DateEdit::cancelTyping()
{
    const Part first = m_first;
    m_first = m_at = Done;
    showDate();
    selectPart(first == Done ? Day : first);
}

void DateEdit::showDate()
{
    const bool blank = !specialValueText().isEmpty() && date() == minimumDate();
    const QSignalBlocker block(lineEdit());
    lineEdit()->setText(blank ? specialValueText() : textFromDateTime(dateTime()));
}

} // namespace vedaris::ui
