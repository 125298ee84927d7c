#include "QtTranslation.h"
#include "Startup.h"
#include "cli/CommandLine.h"
#include "store/DataFolder.h"
#include "store/Error.h"
#include "widgets/Icons.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("vedaris"));
    QApplication::setWindowIcon(vedaris::icon(vedaris::Icon::Program));
    vedaris::loadQtTranslation(QCoreApplication::applicationDirPath());

    // The same command line as the tools'.
    const vedaris::cli::Parsed cmd =
        vedaris::cli::parse(QCoreApplication::arguments(), {vedaris::cli::DataOption});
    if (!cmd.error.isEmpty())
        return vedaris::cli::usageError(QStringLiteral("vedaris"), cmd.error);
    if (cmd.help) {
        vedaris::cli::print(stdout,
                            QStringLiteral("Использование: vedaris [--data ПАПКА]\n"
                                           "Ведарис v4.3: учёт медикаментов аптечного склада.\n\n"
                                           "Параметры:\n"
                                           "  --data ПАПКА  %1\n"
                                           "  --help        эта справка")
                                .arg(vedaris::cli::dataOptionHelp().replace(
                                    u'\n', QStringLiteral("\n                "))));
        return 0;
    }
    if (!cmd.positional.isEmpty())
        return vedaris::cli::usageError(
            QStringLiteral("vedaris"),
            QStringLiteral("лишний аргумент %1").arg(cmd.positional.first()));

    const auto folder = vedaris::folders::chooseData(cmd.value(QStringLiteral("data")));
    try {
        vedaris::folders::create(folder);
    } catch (const vedaris::Error &e) {
        vedaris::Messages::error(nullptr, e);
        return 1;
    }
    const auto session = vedaris::startUp(folder.path);
    if (!session)
        return 1;
    return app.exec();
}
