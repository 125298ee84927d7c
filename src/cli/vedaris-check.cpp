// vedaris-check [--data DIR]: lists every broken rule in the six data files,
// one line each. Exit 0 consistent, 1 findings, 2 a file could not be read.
// Opens every file read-only.

#include "CommandLine.h"
#include "store/DataFiles.h"
#include "store/DataFolder.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/IntegrityCheck.h"
#include "store/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    vedaris::platform::prepareConsole();
    QCoreApplication app(argc, argv);
    using vedaris::cli::print;
    const QString program = QStringLiteral("vedaris-check");
    const vedaris::cli::Parsed cmd =
        vedaris::cli::parse(QCoreApplication::arguments(), {vedaris::cli::DataOption});
    if (!cmd.error.isEmpty())
        return vedaris::cli::usageError(program, cmd.error);
    if (cmd.help) {
        print(stdout,
              QStringLiteral("Использование: vedaris-check [--data ПАПКА]\n"
                             "Проверяет шесть файлов данных, ничего в них не меняя.\n\n"
                             "Параметры:\n"
                             "  --data ПАПКА  %1\n"
                             "  --help        эта справка\n\n"
                             "Код выхода: 0 нарушений нет, 1 найдены нарушения, "
                             "2 файл не удалось прочитать или неверный вызов.")
                  .arg(vedaris::cli::dataOptionHelp().replace(
                      u'\n', QStringLiteral("\n                "))));
        return 0;
    }
    if (!cmd.positional.isEmpty())
        return vedaris::cli::usageError(
            program, QStringLiteral("лишний аргумент %1").arg(cmd.positional.first()));

    // Without --data the folder the program itself would use.
    const QString option = cmd.value(QStringLiteral("data"));
    const QString dataDir = vedaris::folders::chooseData(option).path;
    const vedaris::check::Result result = vedaris::check::run(dataDir);
    for (const vedaris::check::Finding &f : result.findings)
        print(stdout, f.line());
    for (const QString &e : result.unreadable)
        print(stderr, QStringLiteral("Не удалось прочитать: %1").arg(e));
    // The history in lines of its own: its checksums, and that its newest
    // after-images are what the files hold.
    qsizetype historyProblems = 0;
    try {
        const vedaris::history::Health h = vedaris::history::verify(dataDir);
        for (const QString &p : h.problems)
            print(stdout, QStringLiteral("%1: %2").arg(vedaris::history::FileName, p));
        historyProblems = h.problems.size();
        if (h.present)
            print(stdout,
                  QStringLiteral("История операций (%1): записей %2, нарушений %3.")
                      .arg(vedaris::history::FileName)
                      .arg(h.entries)
                      .arg(h.problems.size()));
    } catch (const vedaris::Error &e) {
        print(stdout,
              QStringLiteral("%1: не читается: %2").arg(vedaris::history::FileName, e.reason()));
        historyProblems = 1;
    }

    const QString folder = QDir::toNativeSeparators(QDir(dataDir).absolutePath());
    if (!result.unreadable.isEmpty()) {
        // "Нарушений: 0" means the files are sound; unread files are not.
        print(stdout,
              QStringLiteral("Папка данных: %1. Прочитано записей: %2. Проверка не завершена: "
                             "не удалось прочитать файлов: %3 из %4; нарушений в прочитанных: %5.")
                  .arg(folder)
                  .arg(result.recordsRead)
                  .arg(result.unreadable.size())
                  .arg(vedaris::files::All.size())
                  .arg(result.findings.size()));
        return 2;
    }
    print(stdout,
          QStringLiteral("Папка данных: %1. Прочитано записей: %2. Нарушений: %3.")
              .arg(folder)
              .arg(result.recordsRead)
              .arg(result.findings.size() + historyProblems));
    return result.findings.isEmpty() && historyProblems == 0 ? 0 : 1;
}
