#include "NumberFilter.h"

#include "Messages.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace vedaris {

namespace {

bool allowed(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'.';
}

} // namespace

void NumberFilter::install(QLineEdit *edit)
{
    new NumberFilter(edit);
}

QString NumberFilter::refusal()
{
    return QStringLiteral("В этом поле должны быть только цифры!");
}

NumberFilter::NumberFilter(QLineEdit *edit) : QObject(edit), m_edit(edit), m_accepted(edit->text())
{
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_accepted = text; });
    connect(edit, &QLineEdit::textEdited, this, &NumberFilter::edited);
}

void NumberFilter::refuse()
{
    Messages::info(m_edit->window(), refusal());
}

bool NumberFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        refuse();
        return true;
    default:
        break;
    }
    // Ctrl with a letter types a control character, the clipboard shortcuts
    // among them; those are refused like any other character.
    const bool control = key->modifiers() & Qt::ControlModifier;
    if (control && !(key->modifiers() & Qt::AltModifier) && key->key() >= Qt::Key_A
        && key->key() <= Qt::Key_Z) {
        refuse();
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || control)
        return false; // a key that types nothing: cursor movement, Delete
    for (QChar c : text) {
        if (!allowed(c))
            refuse();
        else
            m_edit->insert(c == u'.' ? QStringLiteral(",") : QString(c));
    }
    return true;
}

void NumberFilter::edited(const QString &text)
{
    for (QChar c : text) {
        if (!allowed(c)) {
            const QString previous = m_accepted;
            const int cursor = m_edit->cursorPosition() - int(text.size() - previous.size());
            m_edit->setText(previous);
            m_edit->setCursorPosition(qBound(0, cursor, int(previous.size())));
            refuse();
            return;
        }
    }
    if (text.contains(u'.')) {
        const int cursor = m_edit->cursorPosition();
        m_edit->setText(QString(text).replace(u'.', u','));
        m_edit->setCursorPosition(cursor);
    }
}

} // namespace vedaris
