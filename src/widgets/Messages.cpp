#include "Messages.h"

#include "store/Error.h"

#include <QMessageBox>
#include <QPushButton>

namespace vedaris {

namespace {

bool recording = false;
bool answer = false;
QVector<Messages::Shown> recorded;

const QString boxTitle = QStringLiteral("Ведарис v4.3");

void show(QWidget *parent, Messages::Kind kind, const QString &text)
{
    if (recording) {
        recorded.append({kind, text});
        return;
    }
    QMessageBox box(kind == Messages::Kind::Info ? QMessageBox::NoIcon : QMessageBox::Critical,
                    boxTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void Messages::info(QWidget *parent, const QString &text)
{
    show(parent, Kind::Info, text);
}

void Messages::info(QWidget *parent, const QString &text, const QString &button,
                    const std::function<void()> &action)
{
    if (recording) {
        recorded.append({Kind::Info, text, button, action});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, boxTitle, text, QMessageBox::Ok, parent);
    QPushButton *extra = box.addButton(button, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() == extra)
        action();
}

void Messages::error(QWidget *parent, const QString &text)
{
    show(parent, Kind::Error, text);
}

void Messages::error(QWidget *parent, const std::exception &e)
{
    if (const auto *own = dynamic_cast<const Error *>(&e))
        error(parent, own->message());
    else
        error(parent, QString::fromLocal8Bit(e.what()));
}

bool Messages::ask(QWidget *parent, const QString &text)
{
    if (recording) {
        recorded.append({Kind::Question, text});
        return answer;
    }
    QMessageBox box(QMessageBox::Question, boxTitle, text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool Messages::guard(QWidget *parent, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const std::exception &e) {
        error(parent, e);
    } catch (...) {
        error(parent, QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void Messages::startRecording()
{
    recording = true;
    answer = false;
    recorded.clear();
}

void Messages::setAnswer(bool yes)
{
    answer = yes;
}

void Messages::stopRecording()
{
    recording = false;
    recorded.clear();
}

QVector<Messages::Shown> Messages::takeRecorded()
{
    return std::exchange(recorded, {});
}

QStringList Messages::takeRecordedTexts()
{
    QStringList texts;
    for (const Shown &s : std::exchange(recorded, {}))
        texts << s.text;
    return texts;
}

} // namespace vedaris
