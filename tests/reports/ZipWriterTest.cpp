// The zip container read back by unzip: parts and their contents, and the
// ZIP64 records, forced here by a low threshold instead of 4 GiB of data.
#include "reports/ZipWriter.h"
#include "store/Error.h"
#include "support/TempDataDir.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace vedaris::reports;

namespace {

QByteArray run(const QStringList &args, int *status = nullptr)
{
    QProcess p;
    p.start("unzip", args);
    p.waitForFinished(-1);
    if (status)
        *status = p.exitCode();
    return p.readAllStandardOutput();
}

} // namespace

TEST(ZipWriter, PartsReadBackWhateverTheirSizeAndTheZip64Threshold)
{
    if (QStandardPaths::findExecutable("unzip").isEmpty())
        GTEST_SKIP() << "no unzip to look inside";
    TempDataDir dir;
    std::string big;
    for (std::int64_t i = 0; big.size() < 3'000'000; ++i)
        big += std::to_string(i * 7919 % 100003) + ",";
    for (std::uint64_t threshold : {std::uint64_t(0xFFFFFFFFu), std::uint64_t(1000)}) {
        for (int level : {1, 6}) {
            const QString file = dir.file(QStringLiteral("t%1-%2.zip").arg(threshold).arg(level));
            {
                ZipWriter zip(file, file, level, threshold);
                zip.beginPart("empty.txt");
                zip.endPart();
                zip.beginPart("small/part.xml");
                zip.write("<a>текст</a>");
                zip.beginPart("big.csv"); // the previous part ends here
                for (size_t at = 0; at < big.size(); at += 65536)
                    zip.write(big.data() + at, std::min<size_t>(65536, big.size() - at));
                zip.finish();
            }
            int status = -1;
            run({"-tq", file}, &status);
            EXPECT_EQ(status, 0) << "threshold " << threshold << ", level " << level;
            EXPECT_EQ(run({"-Z1", file}), "empty.txt\nsmall/part.xml\nbig.csv\n");
            EXPECT_EQ(run({"-p", file, "empty.txt"}), "");
            EXPECT_EQ(run({"-p", file, "small/part.xml"}), QByteArray("<a>текст</a>"));
            EXPECT_EQ(run({"-p", file, "big.csv"}), QByteArray::fromStdString(big));
        }
    }
}

TEST(ZipWriter, AFileThatCannotBeOpenedFailsNamingTheReportedFile)
{
    TempDataDir dir;
    try {
        ZipWriter zip(dir.file("missing/x.zip"), "отчёт.xlsx");
        ADD_FAILURE() << "opened a file in a missing folder";
    } catch (const vedaris::Error &e) {
        EXPECT_EQ(e.file(), "отчёт.xlsx");
    }
}
