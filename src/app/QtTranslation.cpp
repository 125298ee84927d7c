#include "QtTranslation.h"

#include "store/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace vedaris {

const char *const QtTranslationFile = "qtbase_ru.qm";

QString loadQtTranslation(const QString &programDir)
{
    static QTranslator *loaded = nullptr;
    if (loaded)
        return loaded->filePath();
    const QStringList folders{programDir, folders::sharedDir(programDir),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString &folder : folders) {
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (translator->load(QDir(folder).filePath(QLatin1String(QtTranslationFile)))) {
            loaded = translator.release();
            QCoreApplication::installTranslator(loaded);
            return loaded->filePath();
        }
    }
    return {};
}

} // namespace vedaris
