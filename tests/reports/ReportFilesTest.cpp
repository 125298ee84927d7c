// Where a finished workbook is saved: its name from the report's title and
// the time, never an existing file, in a folder made for it.
#include "reports/ReportFiles.h"
#include "store/Error.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vedaris;

TEST(ReportFiles, NewWorkbookPathNamesAFileNotYetThere)
{
    const QDateTime made(QDate(2024, 3, 5), QTime(9, 7, 2));
    struct Case
    {
        const char *title;
        int taken; // files of the same name already there: the plain one, " (2)", …
        const char *expected;
    };
    const Case cases[] = {
        {"Наличие", 0, "Наличие 2024-03-05 09-07-02.xlsx"},
        {"Наличие", 1, "Наличие 2024-03-05 09-07-02 (2).xlsx"},
        {"Наличие", 3, "Наличие 2024-03-05 09-07-02 (4).xlsx"},
        {R"(Расход 01/02 "A:B" a\b*c?<d>|e)", 0,
         "Расход 01_02 _A_B_ a_b_c__d__e 2024-03-05 09-07-02.xlsx"},
        {"100% за 1%2", 1, "100% за 1%2 2024-03-05 09-07-02 (2).xlsx"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        TempDataDir dir;
        const QString folder = dir.file(QStringLiteral("отчёты/новые"));
        const QString title = QString::fromUtf8(c.title);
        for (int n = 0; n < c.taken; ++n) {
            const QString path = newWorkbookPath(folder, title, made);
            ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(newWorkbookPath(folder, title, made),
                  QDir(folder).filePath(QString::fromUtf8(c.expected)));
    }
}

TEST(ReportFiles, NewWorkbookPathRefusesAFolderThatCannotBeMade)
{
    TempDataDir dir;
    dir.write(QStringLiteral("file"), "x");
    EXPECT_THROW(newWorkbookPath(dir.file(QStringLiteral("file/отчёты")), QStringLiteral("Т")),
                 Error);
}
