#include <QApplication>
#include <QFont>
#include <QLocale>
#include <gtest/gtest.h>

#include "store/DiskIo.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
#ifdef _WIN32
    // Wine has none of Windows' own interface fonts and falls back to a serif
    // face; the layout tests measure against the font the Linux run gets.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
#endif
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Every sync still runs as a call, but none waits for the disk: what the
    // tests read back is in the system's cache either way, and a busy disk
    // made the suite many times slower. The benchmarks sync for real.
    vedaris::disk::skipSyncs(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
