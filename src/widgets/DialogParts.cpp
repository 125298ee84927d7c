#include "DialogParts.h"

#include "DateEdit.h"
#include "Icons.h"
#include "store/TextFormats.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

namespace vedaris::ui {

namespace {

QPalette readOnlyPalette(QPalette p)
{
    p.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
    return p;
}

QIcon ellipsis()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    for (int x : {3, 7, 11})
        p.drawRect(x, 10, 2, 2);
    return QIcon(pm);
}

} // namespace

void makeReadOnly(QLineEdit *edit)
{
    edit->setReadOnly(true);
    edit->setPalette(readOnlyPalette(edit->palette()));
}

void makeReadOnly(QDateEdit *edit)
{
    edit->setReadOnly(true);
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setCalendarPopup(false);
    edit->setPalette(readOnlyPalette(edit->palette()));
}

QLineEdit *lineEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QDateEdit *dateEdit(QWidget *parent, const QString &name)
{
    auto *edit = new DateEdit(parent);
    edit->setObjectName(name);
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setMinimumDate(QDate(1752, 9, 14));
    clearDate(edit);
    return edit;
}

void clearDate(QDateEdit *edit)
{
    edit->setDate(edit->minimumDate());
}

void showSerial(QDateEdit *edit, double serial)
{
    const QDate d = vedaris::text::serialToDate(serial);
    if (d.isValid() && d > edit->minimumDate() && d <= edit->maximumDate())
        edit->setDate(d);
    else
        clearDate(edit);
}

QDate shownDate(const QDateEdit *edit)
{
    return edit->date() == edit->minimumDate() ? QDate() : edit->date();
}

QToolButton *chooseButton(QWidget *parent, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(ellipsis());
    button->setToolTip(QStringLiteral("Выбрать из списка"));
    return button;
}

namespace {

// F4 or Alt+Down in a field with a "…" button presses it.
class OpensChooser : public QObject
{
public:
    OpensChooser(QLineEdit *edit, QAction *action) : QObject(edit), m_action(action) { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier)
                || (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier)) {
                m_action->trigger();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAction *m_action;
};

// Enter or Return on a focused button presses it. The dialogs' buttons are
// not default buttons, so that Enter in a field presses none of them.
class EnterPressesButtons : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            auto *button = qobject_cast<QAbstractButton *>(watched);
            // A button receives keys only while it has the focus.
            if (button && button->isEnabled()
                && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QAction *embeddedChooseButton(QLineEdit *edit)
{
    QAction *action = edit->addAction(ellipsis(), QLineEdit::TrailingPosition);
    action->setToolTip(QStringLiteral("Выбрать из списка"));
    edit->installEventFilter(new OpensChooser(edit, action));
    if (QWidget *button = embeddedButton(edit, action)) {
        button->setObjectName(edit->objectName() + QStringLiteral("Button"));
        button->setFocusPolicy(Qt::TabFocus);
    }
    return action;
}

QWidget *embeddedButton(QLineEdit *edit, QAction *action)
{
    for (QToolButton *b : edit->findChildren<QToolButton *>())
        if (b->defaultAction() == action)
            return b;
    return nullptr;
}

int captionWidth(const QWidget *window)
{
    // Title bars draw a bold caption in most desktops; the icon, the close box
    // and the frame take about 100 pixels more.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(window->windowTitle()) + 100;
}

void fitCaption(QWidget *window)
{
    const int needed = captionWidth(window);
    if (window->width() >= needed)
        return;
    if (window->maximumWidth() >= QWIDGETSIZE_MAX) {
        window->setMinimumWidth(needed);
    } else if (window->minimumWidth() == window->maximumWidth()) {
        window->setFixedWidth(needed);
    } else {
        // The same few pixels of give as before.
        window->setMaximumWidth(std::max(window->maximumWidth(),
                                         needed + window->maximumWidth() - window->minimumWidth()));
        window->setMinimumWidth(needed);
    }
    window->resize(std::max(window->width(), needed), window->height());
}

void installKeyboardHelp()
{
    static EnterPressesButtons *filter = nullptr;
    if (!filter && qApp) {
        filter = new EnterPressesButtons(qApp);
        qApp->installEventFilter(filter);
    }
}

QPushButton *saveButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(QStringLiteral("Сохранить"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setEnabled(false);
    return button;
}

QPushButton *closeButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(icon(Icon::Close), QStringLiteral("Закрыть"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QWidget *b : buttons)
        row->addWidget(b);
    return row;
}

void layOutForm(QDialog *dialog, QWidget *fields, QPushButton *save, QPushButton *close)
{
    // The fields take the dialog's margins as their own and sit in its corner,
    // so that each field has the place in its parent it would have as the
    // dialog's child.
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 8);
    fields->layout()->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(fields);
    layout->addStretch();
    QHBoxLayout *buttons = buttonRow({save, close});
    buttons->setContentsMargins(8, 0, 8, 0);
    layout->addLayout(buttons);
}

void chainTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace vedaris::ui
