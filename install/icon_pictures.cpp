// Writes the program's icon as PNG pictures of the sizes given, drawn as
// install/kestrova.svg draws it (a page of text under a magnifying glass):
//   kestrova_icon_pictures OUTDIR 48 128 256
// Each picture is OUTDIR/SIZE/kestrova.png.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

QImage IconPicture(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const QColor ink(0x35, 0x50, 0x6b), lines(0x8a, 0xa0, 0xb6), glass(0xc0, 0x39, 0x2b);

    QPainterPath page;
    page.moveTo(48, 20);
    page.lineTo(152, 20);
    page.lineTo(196, 64);
    page.lineTo(196, 228);
    page.quadTo(196, 236, 188, 236);
    page.lineTo(48, 236);
    page.quadTo(40, 236, 40, 228);
    page.lineTo(40, 28);
    page.quadTo(40, 20, 48, 20);
    p.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(152, 20);
    fold.lineTo(152, 64);
    fold.lineTo(196, 64);
    p.setBrush(QColor(0xdf, 0xe7, 0xef));
    p.drawPath(fold);

    p.setPen(QPen(lines, 10, Qt::SolidLine, Qt::RoundCap));
    const int ends[] = {128, 170, 120, 104, 96};
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(66, 72 + 28 * i), QPointF(ends[i], 72 + 28 * i));

    p.setPen(QPen(glass, 14));
    p.setBrush(QColor(0xf6, 0xd5, 0x5c, 140));
    p.drawEllipse(QPointF(160, 160), 50, 50);
    p.setPen(QPen(glass, 22, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(196, 196), QPointF(236, 236));
    p.setPen(QPen(ink, 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(136, 152), QPointF(184, 152));
    return image;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: kestrova_icon_pictures OUTDIR SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "kestrova_icon_pictures: bad size %s\n", argv[i]);
            return 2;
        }
        const QString sub = folder + QLatin1Char('/') + QString::number(size);
        if (!QDir().mkpath(sub) || !IconPicture(size).save(sub + QStringLiteral("/kestrova.png"), "PNG")) {
            std::fprintf(stderr, "kestrova_icon_pictures: cannot write %s\n", qPrintable(sub));
            return 1;
        }
    }
    return 0;
}
