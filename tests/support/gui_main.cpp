#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include "store/DiskIo.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Every sync still runs as a call, but none waits for the disk: what the
    // tests read back is in the system's cache either way, and a busy disk
    // made the suite many times slower. The benchmarks sync for real.
    vedaris::disk::skipSyncs(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
