#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdio>

// The command line of the three programs, read one way: long options only,
// "--name value" or "--name=value", each at most once; an option that takes a
// value needs one that is not empty and is not the next option. Messages in
// Russian, as everything the programs say.
namespace vedaris::cli {

struct Option
{
    QString name; // without the dashes
    QString valueName; // empty for a switch
};

struct Parsed
{
    QString error; // empty when the command line is sound
    bool help = false;
    QMap<QString, QString> values; // options given, by name ("" for a switch)
    QStringList positional;

    bool has(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const { return values.value(name); }
};

// `args` as QCoreApplication::arguments() gives them, the program first.
// --help and -h are known to every program.
Parsed parse(const QStringList &args, const QList<Option> &options);

// The --data option, and the words every program's help gives it.
inline const Option DataOption{QStringLiteral("data"), QStringLiteral("ПАПКА")};
QString dataOptionHelp();

// A line to standard output or error, in UTF-8.
void print(FILE *to, const QString &text);
// "program: message" and where the help is, on standard error; returns 2, the
// exit status of bad usage.
int usageError(const QString &program, const QString &message);

} // namespace vedaris::cli
