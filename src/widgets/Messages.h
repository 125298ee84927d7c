#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QWidget;

namespace vedaris {

// Every message and error box of the program goes through here, so tests can
// read what was shown instead of being blocked by a modal box.
class Messages
{
public:
    enum class Kind { Info, Error, Question };
    struct Shown
    {
        Kind kind;
        QString text;
        QString button = {}; // a button besides OK, if any
        std::function<void()> press = {}; // what pressing it does
    };

    // A plain message box with one OK button.
    static void info(QWidget *parent, const QString &text);
    // The same box with one more button beside OK; pressing it runs `action`
    // and closes the box.
    static void info(QWidget *parent, const QString &text, const QString &button,
                     const std::function<void()> &action);
    // The standard error box.
    static void error(QWidget *parent, const QString &text);
    // The standard error box for an error escaping a command.
    static void error(QWidget *parent, const std::exception &e);

    // A question with the buttons "Да" and "Нет", "Нет" focused, so Enter says
    // no. True for "Да".
    static bool ask(QWidget *parent, const QString &text);

    // Runs `command`, showing any error escaping it in the standard error box.
    // Returns false when it failed. Every window handler that does work goes
    // through this, so no exception reaches the event loop.
    static bool guard(QWidget *parent, const std::function<void()> &command);

    // Tests: record instead of showing. A recorded question is answered with
    // setAnswer's answer, "Нет" until it is set.
    static void startRecording();
    static void setAnswer(bool yes);
    static void stopRecording();
    static QVector<Shown> takeRecorded();
    static QStringList takeRecordedTexts();
};

} // namespace vedaris
