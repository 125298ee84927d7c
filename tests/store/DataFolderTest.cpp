#include "store/DataFolder.h"
#include "store/Error.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vedaris;
using folders::DataFolder;
using Source = DataFolder::Source;

TEST(DataFolder, OptionThenVariableThenPortableFolderThenTheUsersFolder)
{
    TempDataDir root;
    const QString home = root.file("xdg");
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home));
#ifdef _WIN32
    // Windows names the user's application data folder itself: %APPDATA%.
    const QString user = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + "/Vedaris";
#else
    const QString user = home + "/Vedaris";
#endif

    const QString portable = root.file("portable");
    const QString installedBin = root.file("usr/bin");
    const QString readOnly = root.file("readonly");
    for (const QString &d : {portable, installedBin, root.file("usr/share/vedaris"), readOnly})
        ASSERT_TRUE(QDir().mkpath(d));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    // Root writes anywhere; there the read-only case is the installed one's.
    const bool readOnlyHolds = !QFile(readOnly + "/probe").open(QIODevice::WriteOnly);

    struct Case
    {
        const char *what;
        QString option, environment, programDir;
        QString path;
        Source source;
    };
    const Case cases[] = {
        {"option wins", root.file("a"), root.file("b"), portable, root.file("a"), Source::Option},
        {"relative option",
         "rel/../rel",
         {},
         portable,
         QDir::current().absoluteFilePath("rel"),
         Source::Option},
        {"then the variable", {}, root.file("b"), portable, root.file("b"), Source::Environment},
        {"a writable folder is portable", {}, {}, portable, portable, Source::ProgramFolder},
        {"an installed copy keeps nothing in bin", {}, {}, installedBin, user, Source::UserFolder},
        {"a missing folder", {}, {}, root.file("gone"), user, Source::UserFolder},
        {"a read-only folder",
         {},
         {},
         readOnly,
         readOnlyHolds ? user : readOnly,
         readOnlyHolds ? Source::UserFolder : Source::ProgramFolder},
    };
    for (const Case &c : cases) {
        const DataFolder chosen = folders::chooseData(c.option, c.environment, c.programDir);
        EXPECT_EQ(chosen.path, c.path) << c.what;
        EXPECT_EQ(chosen.source, c.source) << c.what;
    }
    EXPECT_TRUE(QDir(portable).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        << "the write probe leaves nothing behind";

    EXPECT_EQ(folders::userDataFolder(), user);
#ifndef _WIN32
    EXPECT_FALSE(QFileInfo::exists(user)) << "choosing creates nothing";
    folders::create({user, Source::UserFolder});
    EXPECT_TRUE(QFileInfo(user).isDir());
#endif
    root.write("file", "x");
    EXPECT_THROW(folders::create({root.file("file/sub"), Source::Option}), Error);

    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (savedHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", savedHome);
}
