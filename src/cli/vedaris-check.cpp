// vedaris-check [--data DIR]: lists every broken rule in the six data files,
// one line each. Exit 0 consistent, 1 findings, 2 a file could not be read.
// Opens every file read-only.

#include "store/DataFolder.h"
#include "store/IntegrityCheck.h"
#include "store/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

namespace {

void print(FILE *to, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
}

} // namespace

int main(int argc, char **argv)
{
    vedaris::platform::prepareConsole();
    QCoreApplication app(argc, argv);
    // Without --data the folder the program itself would use.
    QString option;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data") && i + 1 < args.size()) {
            option = args[++i];
        } else if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            print(stdout, QStringLiteral("Использование: vedaris-check [--data ПАПКА]\n"
                                         "Проверяет шесть файлов данных, ничего в них не меняя.\n"
                                         "Без --data: папка из VEDARIS_DATA, иначе папка программы, "
                                         "если в неё можно писать, иначе папка данных пользователя.\n"
                                         "Код выхода: 0 нарушений нет, 1 найдены нарушения, "
                                         "2 файл не удалось прочитать."));
            return 0;
        } else {
            print(stderr, QStringLiteral("Неизвестный параметр: %1. Использование: vedaris-check "
                                         "[--data ПАПКА]")
                              .arg(args[i]));
            return 2;
        }
    }

    const QString dataDir = vedaris::folders::chooseData(option).path;
    const vedaris::check::Result result = vedaris::check::run(dataDir);
    for (const vedaris::check::Finding &f : result.findings)
        print(stdout, f.line());
    for (const QString &e : result.unreadable)
        print(stderr, QStringLiteral("Не удалось прочитать: %1").arg(e));

    print(stdout, QStringLiteral("Папка данных: %1. Прочитано записей: %2. Нарушений: %3.")
                      .arg(QDir::toNativeSeparators(QDir(dataDir).absolutePath()))
                      .arg(result.recordsRead)
                      .arg(result.findings.size()));
    if (!result.unreadable.isEmpty())
        return 2;
    return result.findings.isEmpty() ? 0 : 1;
}
