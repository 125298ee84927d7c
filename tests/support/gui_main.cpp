#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <gtest/gtest.h>

#include "store/DiskIo.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
#ifdef VEDARIS_TEST_FONT_DIR
    // The offscreen platform on Windows finds no fonts of the system's and
    // measures every letter as a box: the layout tests measure with the style
    // and the font the Linux run gets, from the same files.
    for (const char *face : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral(VEDARIS_TEST_FONT_DIR "/")
                                          + QLatin1String(face));
    QApplication::setStyle(QStringLiteral("Fusion"));
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
