#pragma once

#include <QString>

// Which folder holds the six data files, decided the same way by the program
// and by both command-line tools; and where an installed copy keeps its shared
// files.
namespace vedaris::folders {

// The environment variable naming the data folder ("VEDARIS_DATA").
extern const char *const DataVariable;

struct DataFolder
{
    enum class Source {
        Option, // --data DIR
        Environment, // VEDARIS_DATA
        ProgramFolder, // a portable copy: the files beside the executable
        UserFolder // an installed copy: the user's application data folder
    };
    QString path; // absolute, native to Qt (forward slashes)
    Source source;
};

// The first of: `option` (the value of --data), `environment` (of
// VEDARIS_DATA), `programDir` when it is a portable copy, the user's folder.
// Empty values count as not given. A portable copy is an executable folder
// that is writable and not an installed layout (see isInstalled): root can
// write to /usr/bin, yet an installed program keeps no data there.
DataFolder chooseData(const QString &option, const QString &environment, const QString &programDir);
// The same with VEDARIS_DATA and the running executable's folder.
DataFolder chooseData(const QString &option);

// The user's application data folder (for example ~/.local/share/Vedaris),
// the same for all three programs whatever their executable is called.
QString userDataFolder();

// Creates the folder when it is missing, as the first start of an installed
// copy needs. Throws vedaris::Error when it cannot.
void create(const DataFolder &folder);

// An installed copy has its shared files in share/vedaris beside the folder
// of its executable (/usr/bin -> /usr/share/vedaris), its guide in
// share/doc/vedaris.
QString sharedDir(const QString &programDir);
QString docDir(const QString &programDir);
bool isInstalled(const QString &programDir);

} // namespace vedaris::folders
