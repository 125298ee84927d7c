#include "Forms.h"
#include "TFormGl.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    // The data files live beside the program.
    vedaris::Forms forms(QCoreApplication::applicationDirPath());
    forms.FormGl->show();
    return app.exec();
}
