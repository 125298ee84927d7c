#pragma once

#include <QDateEdit>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QtGlobal>

// A window's control found by its object name, the way a user finds it by
// its place; a missing one ends the test program, naming it.
template<class T> T *control(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window->objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

inline QLineEdit *lineEdit(const QObject *window, const char *name)
{
    return control<QLineEdit>(window, name);
}

inline QPushButton *pushButton(const QObject *window, const char *name)
{
    return control<QPushButton>(window, name);
}

inline QDateEdit *dateEdit(const QObject *window, const char *name)
{
    return control<QDateEdit>(window, name);
}
