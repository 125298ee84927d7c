#include "Startup.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    // The data files live beside the program.
    const auto session = vedaris::startUp(QCoreApplication::applicationDirPath());
    if (!session)
        return 1;
    return app.exec();
}
