// vedaris-icon-png SVG FOLDER SIZE...: the icon theme's PNG sizes of the
// program's icon, FOLDER/NxN/apps/vedaris.png, drawn from its SVG by the same
// renderer that draws the window icon.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fputs("usage: vedaris-icon-png SVG FOLDER SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "vedaris-icon-png: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/vedaris.png"))) {
            std::fprintf(stderr, "vedaris-icon-png: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
