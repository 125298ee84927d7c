#include "CommandLine.h"

#include <QCommandLineParser>

namespace vedaris::cli {

Parsed parse(const QStringList &args, const QList<Option> &options)
{
    Parsed out;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    QMap<QString, bool> takesValue;
    for (const Option &o : options) {
        takesValue.insert(o.name, !o.valueName.isEmpty());
        parser.addOption(o.valueName.isEmpty()
                             ? QCommandLineOption(o.name)
                             : QCommandLineOption(o.name, QString(), o.valueName));
    }

    // The parser's own messages are English, and it would take the next
    // option as a missing value: such cases are told here first.
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--"))
            break;
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() < 2)
            continue;
        QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        const bool inline_ = eq >= 0;
        const QString value = inline_ ? name.mid(eq + 1) : QString();
        if (inline_)
            name.truncate(eq);
        if (name == QLatin1String("help") || name == QLatin1String("h")) {
            out.help = true;
            return out;
        }
        const auto known = takesValue.constFind(name);
        if (known == takesValue.cend()) {
            out.error = QStringLiteral("неизвестный параметр %1").arg(arg);
            return out;
        }
        if (!*known) {
            if (inline_) {
                out.error = QStringLiteral("параметр --%1 не принимает значения").arg(name);
                return out;
            }
            continue;
        }
        const bool missing = inline_ ? value.isEmpty()
                                     : i + 1 >= args.size() || args[i + 1].isEmpty()
                || args[i + 1].startsWith(QLatin1String("--"));
        if (missing) {
            out.error = QStringLiteral("после --%1 нужно значение").arg(name);
            return out;
        }
        if (!inline_)
            ++i;
    }
    if (!parser.parse(args)) {
        out.error = parser.errorText();
        return out;
    }
    for (const Option &o : options) {
        const QStringList given = parser.values(o.name);
        if (given.size() > 1 || (o.valueName.isEmpty() && parser.optionNames().count(o.name) > 1)) {
            out.error = QStringLiteral("параметр --%1 указан дважды").arg(o.name);
            return out;
        }
        if (parser.isSet(o.name))
            out.values.insert(o.name, given.value(0));
    }
    out.positional = parser.positionalArguments();
    return out;
}

QString dataOptionHelp()
{
    return QStringLiteral(
        "папка файлов данных; без неё папка из VEDARIS_DATA, иначе папка программы,\n"
        "если в неё можно писать, иначе папка данных пользователя");
}

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
    std::fflush(to);
}

int usageError(const QString &program, const QString &message)
{
    print(stderr, QStringLiteral("%1: %2\nСправка: %1 --help").arg(program, message));
    return 2;
}

} // namespace vedaris::cli
