#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#ifdef VEDARIS_ICON_PNG
#include <QImage>
#else
#include <QSvgRenderer>
#endif

// The resources live in a static library; naming them here keeps the linker
// from dropping them.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
#ifdef VEDARIS_ICON_PNG
    Q_INIT_RESOURCE(icon_png);
#endif
}

namespace vedaris {

namespace {

// Everything is drawn on a 32 x 32 grid and scaled to the pixmap's size.
const QColor outline(60, 60, 60);
const QColor green(46, 139, 87);
const QColor red(200, 50, 45);
const QColor blue(45, 100, 170);

void carton(QPainter &p)
{
    p.setPen(QPen(QColor(120, 80, 30), 1.5));
    p.setBrush(QColor(222, 172, 105));
    p.drawRect(QRectF(3, 11, 22, 17));
    p.drawLine(QPointF(3, 16), QPointF(25, 16));
    p.setBrush(QColor(240, 205, 150));
    p.drawRect(QRectF(11, 11, 6, 5));
}

void page(QPainter &p)
{
    QPainterPath path;
    path.moveTo(6, 3);
    path.lineTo(19, 3);
    path.lineTo(25, 9);
    path.lineTo(25, 29);
    path.lineTo(6, 29);
    path.closeSubpath();
    p.setPen(QPen(outline, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(19, 3), QPointF(19, 9));
    p.drawLine(QPointF(19, 9), QPointF(25, 9));
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    for (int y = 13; y <= 25; y += 4)
        p.drawLine(QPointF(9, y), QPointF(21, y));
}

void capsule(QPainter &p)
{
    p.save();
    p.translate(14, 15);
    p.rotate(-40);
    p.setPen(QPen(outline, 1.5));
    QPainterPath left;
    left.addRoundedRect(QRectF(-12, -5.5, 24, 11), 5.5, 5.5);
    p.setBrush(Qt::white);
    p.drawPath(left);
    p.setClipRect(QRectF(-12.5, -6, 12.5, 12));
    p.setBrush(red);
    p.drawPath(left);
    p.restore();
}

void truck(QPainter &p)
{
    p.setPen(QPen(outline, 1.5));
    p.setBrush(blue);
    p.drawRect(QRectF(2, 9, 17, 13));
    p.setBrush(QColor(110, 160, 220));
    QPainterPath cab;
    cab.moveTo(19, 13);
    cab.lineTo(25, 13);
    cab.lineTo(29, 18);
    cab.lineTo(29, 22);
    cab.lineTo(19, 22);
    cab.closeSubpath();
    p.drawPath(cab);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(8, 23), 3, 3);
    p.drawEllipse(QPointF(24, 23), 3, 3);
}

void factory(QPainter &p)
{
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(QRectF(21, 4, 5, 12));
    QPainterPath body;
    body.moveTo(3, 28);
    body.lineTo(3, 14);
    body.lineTo(10, 19);
    body.lineTo(10, 14);
    body.lineTo(17, 19);
    body.lineTo(17, 14);
    body.lineTo(28, 14);
    body.lineTo(28, 28);
    body.closeSubpath();
    p.setBrush(QColor(185, 185, 195));
    p.drawPath(body);
    p.setBrush(QColor(250, 220, 110));
    p.setPen(Qt::NoPen);
    for (int x = 6; x < 26; x += 7)
        p.drawRect(QRectF(x, 22, 3, 3));
}

void department(QPainter &p)
{
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(4, 8, 22, 20));
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(12, 21, 6, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawRect(QRectF(13, 10, 4, 10));
    p.drawRect(QRectF(10, 13, 10, 4));
}

void sheet(QPainter &p)
{
    p.setPen(QPen(QColor(30, 100, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 3, 24, 26));
    p.setBrush(QColor(60, 150, 90));
    p.drawRect(QRectF(3, 3, 24, 6));
    p.setPen(QPen(QColor(120, 170, 130), 1));
    for (int y = 14; y < 29; y += 5)
        p.drawLine(QPointF(3, y), QPointF(27, y));
    for (int x = 11; x < 27; x += 8)
        p.drawLine(QPointF(x, 9), QPointF(x, 29));
}

// Badges sit in a disc at the lower right corner.
void disc(QPainter &p, const QColor &c)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(c);
    p.drawEllipse(QPointF(23, 23), 8, 8);
}

void plus(QPainter &p)
{
    disc(p, green);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18.5, 23), QPointF(27.5, 23));
    p.drawLine(QPointF(23, 18.5), QPointF(23, 27.5));
}

void minus(QPainter &p)
{
    disc(p, red);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18.5, 23), QPointF(27.5, 23));
}

void cross(QPainter &p)
{
    disc(p, red);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(26.5, 26.5));
    p.drawLine(QPointF(26.5, 19.5), QPointF(19.5, 26.5));
}

void arrow(QPainter &p, bool in)
{
    disc(p, in ? green : red);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPolygonF a;
    if (in)
        a << QPointF(21, 17.5) << QPointF(25, 17.5) << QPointF(25, 22) << QPointF(28, 22)
          << QPointF(23, 28) << QPointF(18, 22) << QPointF(21, 22);
    else
        a << QPointF(17.5, 21) << QPointF(22, 21) << QPointF(22, 18) << QPointF(28.5, 23)
          << QPointF(22, 28) << QPointF(22, 25) << QPointF(17.5, 25);
    p.drawPolygon(a);
}

void pencil(QPainter &p)
{
    p.save();
    p.translate(22, 22);
    p.rotate(45);
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(245, 190, 60));
    p.drawRect(QRectF(-2.5, -11, 5, 15));
    p.setBrush(QColor(240, 140, 140));
    p.drawRect(QRectF(-2.5, -13, 5, 2));
    QPolygonF tip;
    tip << QPointF(-2.5, 4) << QPointF(2.5, 4) << QPointF(0, 9);
    p.setBrush(QColor(250, 225, 180));
    p.drawPolygon(tip);
    p.restore();
}

void clock(QPainter &p)
{
    disc(p, blue);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23, 23), QPointF(23, 18));
    p.drawLine(QPointF(23, 23), QPointF(27, 25));
}

void check(QPainter &p)
{
    disc(p, green);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPolygonF c;
    c << QPointF(19, 23) << QPointF(22, 26.5) << QPointF(27.5, 19.5);
    p.drawPolyline(c);
}

void calendar(QPainter &p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(15, 15, 15, 14));
    p.setBrush(red);
    p.drawRect(QRectF(15, 15, 15, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(outline);
    for (int y = 21; y < 28; y += 3)
        for (int x = 17; x < 29; x += 4)
            p.drawRect(QRectF(x, y, 2, 2));
}

void bars(QPainter &p, bool many)
{
    disc(p, blue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    if (many) {
        p.drawRect(QRectF(18.5, 23, 2.5, 5));
        p.drawRect(QRectF(22, 19, 2.5, 9));
        p.drawRect(QRectF(25.5, 21, 2.5, 7));
    } else {
        p.drawRect(QRectF(21.5, 18.5, 3.5, 9.5));
    }
}

void swap(QPainter &p)
{
    disc(p, blue);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(18.5, 20.5), QPointF(27, 20.5));
    p.drawLine(QPointF(24.5, 18), QPointF(27, 20.5));
    p.drawLine(QPointF(19, 25.5), QPointF(27.5, 25.5));
    p.drawLine(QPointF(19, 25.5), QPointF(21.5, 28));
}

void door(QPainter &p)
{
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(160, 110, 60));
    p.drawRect(QRectF(5, 3, 15, 26));
    p.setBrush(QColor(240, 210, 90));
    p.drawEllipse(QPointF(16.5, 16), 1.5, 1.5);
    arrow(p, false);
}

void draw(QPainter &p, Icon which)
{
    switch (which) {
    case Icon::NewPrihod:
        carton(p);
        arrow(p, true);
        break;
    case Icon::Rashod:
        carton(p);
        arrow(p, false);
        break;
    case Icon::EditPrihod:
        page(p);
        pencil(p);
        break;
    case Icon::DeleteZapis:
        page(p);
        cross(p);
        break;
    case Icon::Spisanie:
        carton(p);
        cross(p);
        break;
    case Icon::NewPrepar:
        capsule(p);
        plus(p);
        break;
    case Icon::DeletePrepar:
        capsule(p);
        minus(p);
        break;
    case Icon::NewFirmaPost:
        truck(p);
        plus(p);
        break;
    case Icon::DeleteFirmaPost:
        truck(p);
        minus(p);
        break;
    case Icon::NewIzgot:
        factory(p);
        plus(p);
        break;
    case Icon::DeleteIzgot:
        factory(p);
        minus(p);
        break;
    case Icon::NewMove:
        department(p);
        plus(p);
        break;
    case Icon::DeleteMove:
        department(p);
        minus(p);
        break;
    case Icon::SrokGodnosti:
        sheet(p);
        clock(p);
        break;
    case Icon::Nalichie:
        sheet(p);
        check(p);
        break;
    case Icon::AllRashod:
        sheet(p);
        arrow(p, false);
        break;
    case Icon::AllRashodData:
        sheet(p);
        calendar(p);
        break;
    case Icon::OtchetPriobr:
        sheet(p);
        arrow(p, true);
        break;
    case Icon::PolAndIzr:
        sheet(p);
        bars(p, true);
        break;
    case Icon::OtchetOneOtdel:
        sheet(p);
        bars(p, false);
        break;
    case Icon::MoveMed:
        sheet(p);
        swap(p);
        break;
    case Icon::Exit:
        door(p);
        break;
    case Icon::Close:
        cross(p);
        break;
    case Icon::Program: {
        // The same drawing as the desktop's icon.
        initResources();
#ifdef VEDARIS_ICON_PNG
        // Rendered from the SVG by the host build where Qt SVG is missing.
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, 32, 32), QImage(QStringLiteral(":/icons/vedaris-256.png")));
#else
        QSvgRenderer svg(QStringLiteral(":/icons/vedaris.svg"));
        svg.render(&p, QRectF(0, 0, 32, 32));
#endif
        break;
    }
    }
}

QPixmap render(Icon which, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p, which);
    return pixmap;
}

} // namespace

QIcon icon(Icon which)
{
    QIcon made;
    for (int size : {16, 24, 32, 48})
        made.addPixmap(render(which, size));
    if (which == Icon::Program)
        for (int size : {64, 128, 256})
            made.addPixmap(render(which, size));
    return made;
}

} // namespace vedaris
