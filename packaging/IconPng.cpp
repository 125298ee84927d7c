// vedaris-icon-png SVG FOLDER SIZE...: the icon theme's PNG sizes of the
// program's icon, FOLDER/NxN/apps/vedaris.png, drawn from its SVG by the same
// renderer that draws the window icon, and FOLDER/vedaris.ico holding them all
// (up to 256) for the Windows executable and its installer.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// An icon file whose entries are PNG images, as Windows reads them since Vista.
QByteArray icoOf(const std::vector<std::pair<int, QByteArray>> &pngs)
{
    QByteArray out;
    const auto put16 = [&out](quint16 v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    const auto put32 = [&](quint32 v) {
        put16(quint16(v & 0xffff));
        put16(quint16(v >> 16));
    };
    put16(0);
    put16(1);
    put16(quint16(pngs.size()));
    quint32 offset = 6 + 16 * quint32(pngs.size());
    for (const auto &[size, png] : pngs) {
        out.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));
        out.append(char(0)).append(char(0));
        put16(1);
        put16(32);
        put32(quint32(png.size()));
        put32(offset);
        offset += quint32(png.size());
    }
    for (const auto &entry : pngs)
        out.append(entry.second);
    return out;
}

} // namespace

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
    std::vector<std::pair<int, QByteArray>> icoImages;
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/vedaris.png"))) {
            std::fprintf(stderr, "vedaris-icon-png: cannot write %s\n", qPrintable(folder));
            return 1;
        }
        if (size <= 256) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            icoImages.emplace_back(size, png);
        }
    }
    QFile ico(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/vedaris.ico"));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icoOf(icoImages)) < 0) {
        std::fprintf(stderr, "vedaris-icon-png: cannot write %s\n", qPrintable(ico.fileName()));
        return 1;
    }
    return 0;
}
