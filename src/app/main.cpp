#include "widgets/Icons.h"
#include "widgets/Messages.h"
#include "QtTranslation.h"
#include "Startup.h"
#include "store/DataFolder.h"
#include "store/Error.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("vedaris"));
    QApplication::setWindowIcon(vedaris::icon(vedaris::Icon::Program));
    vedaris::loadQtTranslation(QCoreApplication::applicationDirPath());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Ведарис v4.3: учёт медикаментов аптечного склада."));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Папка данных (иначе VEDARIS_DATA, папка программы "
                                                 "или папка данных пользователя)."),
                                  QStringLiteral("ПАПКА"));
    parser.addOption(data);
    parser.process(app);

    const auto folder = vedaris::folders::chooseData(parser.value(data));
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
