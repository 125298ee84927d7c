#include "app/Startup.h"
#include "app/TFormGl.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/DataLock.h"
#include "support/TempDataDir.h"
#include "widgets/Messages.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

class Startup : public ::testing::Test
{
protected:
    Startup()
    {
        Clock::setFixedToday(QDate(2024, 5, 6));
        Messages::startRecording();
    }
    ~Startup() override
    {
        Messages::stopRecording();
        Clock::setFixedToday(std::nullopt);
    }
    QStringList entries(const QString &sub = {}) const
    {
        return QDir(dir.file(sub)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                             QDir::Name);
    }
    TempDataDir dir;
};

} // namespace

TEST_F(Startup, FirstStartLocksCreatesTheFilesAndBacksThemUp)
{
    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->forms->FormGl->isVisible());
    EXPECT_EQ(entries(), (QStringList{"Base.dat", "FirmaPostav.dat", "Izgotovitel.dat",
                                      "NamePreparat.dat", "Otdelenie.dat", "Rashod.dat",
                                      "Vedaris.lock", "backup"}));
    EXPECT_EQ(entries("backup/2024-05-06").size(), 6);
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(Startup, SecondCopyOnTheFolderSaysSoAndTouchesNothing)
{
    DataLock running(dir.path());
    ASSERT_EQ(running.take(), DataLock::State::Taken);

    EXPECT_FALSE(startUp(dir.path()));
    EXPECT_EQ(Messages::takeRecordedTexts(),
              QStringList{QStringLiteral("Программа уже запущена с этими данными.")});
    EXPECT_EQ(entries(), QStringList{"Vedaris.lock"});
}

TEST_F(Startup, FailedBackupIsShownOnceAndTheProgramRuns)
{
    dir.write("backup", "a file where the backup folder should be");
    const auto session = startUp(dir.path());
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->forms->FormGl->isVisible());
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Не удалось сделать резервную копию данных")))
        << shown[0].toStdString();
    EXPECT_TRUE(QFile::exists(dir.file(files::Base)));
}
