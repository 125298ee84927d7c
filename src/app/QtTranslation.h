#pragma once

#include <QString>

namespace vedaris {

// The file name of Qt's own Russian texts: edit menus, the calendar, standard
// buttons.
extern const char *const QtTranslationFile; // "qtbase_ru.qm"

// Loads Qt's Russian texts from beside the program (a portable copy carries
// them), else from an installed copy's shared folder, else from Qt's own
// folder. Returns the file loaded, empty when none was found (Qt's texts then
// stay English). Needs the application object; loads once.
QString loadQtTranslation(const QString &programDir);

} // namespace vedaris
