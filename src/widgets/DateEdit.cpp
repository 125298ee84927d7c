#include "DateEdit.h"

#include "store/Clock.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolTip>
#include <QValidator>
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
        clearRefusal();
    });
}

DateEdit *DateEdit::refusedIn(const QWidget *window)
{
    // DateEdit has no meta-object of its own: QDateEdit's finds every date field.
    for (QDateEdit *field : window->findChildren<QDateEdit *>())
        if (auto *edit = dynamic_cast<DateEdit *>(field); edit && !edit->refusal().isEmpty())
            return edit;
    return nullptr;
}

void DateEdit::refuse(const QString &typed, const QString &reason)
{
    m_refusedText = typed;
    m_refusal = reason;
    setToolTip(reason);
    QPalette p = lineEdit()->palette();
    p.setColor(QPalette::Text, Qt::red);
    lineEdit()->setPalette(p);
    showRefused();
    if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), reason, this);
}

void DateEdit::showRefused()
{
    if (m_refusal.isEmpty())
        return;
    // The spin box's validator would put the nearest date (28.02) in place of
    // the text; it is left out while the refused text is set.
    const QSignalBlocker block(lineEdit());
    const QValidator *validator = lineEdit()->validator();
    lineEdit()->setValidator(nullptr);
    lineEdit()->setText(m_refusedText);
    lineEdit()->setValidator(validator);
}

void DateEdit::clearRefusal()
{
    if (m_refusal.isEmpty())
        return;
    m_refusal.clear();
    m_refusedText.clear();
    setToolTip(QString());
    lineEdit()->setPalette(palette());
    QToolTip::hideText();
}

void DateEdit::hideEvent(QHideEvent *event)
{
    // A dialog closing forgets what was refused; it shows its date again.
    if (!m_refusal.isEmpty()) {
        clearRefusal();
        showDate();
    }
    QDateEdit::hideEvent(event);
}

bool DateEdit::focusNextPrevChild(bool next)
{
    // Tab leaves the field instead of walking its parts: the spin box's own
    // handling is skipped on purpose.
    return QWidget::focusNextPrevChild(next); // NOLINT(bugprone-parent-virtual-call)
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
    // The spin box reads its text on leaving, and would make 28.02 of a
    // refused 31.02: it reads the date it holds instead.
    if (!m_refusal.isEmpty())
        showDate();
    QDateEdit::focusOutEvent(event);
    // The spin box shows its date again on leaving; a refused text stays.
    showRefused();
}

bool DateEdit::eventFilter(QObject *watched, QEvent *event)
{
    // A click into the text ends the typing before it moves the cursor.
    if (watched == lineEdit()
        && (event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::MouseButtonDblClick))
        finishTyping();
    return QDateEdit::eventFilter(watched, event);
}

void DateEdit::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (plain) {
            const Part at = typing() ? std::min(m_at, Year) : currentPart();
            finishTyping();
            switch (event->key()) {
            case Qt::Key_Left:
                selectPart(at == Day ? Day : Part(at - 1));
                break;
            case Qt::Key_Right:
                selectPart(at == Year ? Year : Part(at + 1));
                break;
            case Qt::Key_Home:
                selectPart(Day);
                break;
            default:
                selectPart(Year);
                break;
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
        if (typing() || !m_refusal.isEmpty()) {
            clearRefusal();
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
    if (!m_refusal.isEmpty())
        showDate();
    QDateEdit::keyPressEvent(event);
    showRefused();
}

DateEdit::Part DateEdit::currentPart() const
{
    if (!specialValueText().isEmpty() && date() == minimumDate())
        return Day;
    switch (currentSection()) {
    case MonthSection:
        return Month;
    case YearSection:
        return Year;
    default:
        return Day;
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
        if (!m_refusal.isEmpty()) {
            // Typing again starts over on the date the field holds.
            clearRefusal();
            showDate();
            selectPart(Day);
        }
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
        if (std::all_of(m_typed.begin(), m_typed.end(),
                        [](const QString &s) { return s.isEmpty(); }))
            cancelTyping();
        return;
    }
    if (m_at == Done) {
        const Part first = m_first;
        const bool taken = finishTyping();
        selectPart(taken ? Year : first);
        showRefused();
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
        showDate();
        return true;
    }
    // Refused: the field keeps its date, shows what was typed and says why;
    // it never takes another date in its place.
    QApplication::beep();
    const auto part = [&](Part p, const QString &kept) {
        const QString &t = typed[size_t(p)];
        return t.isEmpty() ? kept : p == Year ? t : t.rightJustified(2, u'0');
    };
    const QString shown = part(Day, twoDigits(b.day())) + u'.' + part(Month, twoDigits(b.month()))
        + u'.' + part(Year, QStringLiteral("%1").arg(b.year(), 4, 10, QLatin1Char('0')));
    refuse(shown,
           d.isValid() ? QStringLiteral("Дата %1 вне допустимых пределов.").arg(shown)
                       : QStringLiteral("Такой даты нет: %1.").arg(shown));
    return false;
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
