#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace kestrova {

namespace {

QPixmap Blank()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

QPixmap ProgramIconPicture()
{
    // A page with text lines under a magnifying glass.
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 0.5, 10, 13));
    p.setPen(QPen(QColor(60, 110, 200), 1));
    for (int y = 3; y <= 10; y += 2)
        p.drawLine(QPointF(3.5, y + 0.5), QPointF(9.5, y + 0.5));
    p.setPen(QPen(QColor(180, 40, 30), 2));
    p.setBrush(QColor(255, 255, 255, 160));
    p.drawEllipse(QPointF(9.5, 8.5), 3.5, 3.5);
    p.drawLine(QPointF(12, 11), QPointF(15, 14.5));
    return pixmap;
}

QIcon ProgramIcon()
{
    return QIcon(ProgramIconPicture());
}

QPixmap ServerIconPicture()
{
    // A grey tower with two drive slots and a green light.
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(QColor(190, 190, 195));
    p.drawRect(3, 0, 9, 15);
    p.setPen(QColor(80, 80, 80));
    p.drawLine(5, 3, 10, 3);
    p.drawLine(5, 5, 10, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawRect(5, 11, 2, 2);
    return pixmap;
}

QPixmap EnglishFlagPicture()
{
    // Blue field, white and red saltires, white and red cross.
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    const QRect field(0, 3, 16, 10);
    p.fillRect(field, QColor(1, 33, 105));
    p.setClipRect(field);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(field.topLeft(), field.bottomRight() + QPoint(1, 1));
    p.drawLine(field.bottomLeft() + QPoint(0, 1), field.topRight() + QPoint(1, 0));
    p.setPen(QPen(QColor(200, 16, 46), 1));
    p.drawLine(field.topLeft(), field.bottomRight() + QPoint(1, 1));
    p.drawLine(field.bottomLeft() + QPoint(0, 1), field.topRight() + QPoint(1, 0));
    p.fillRect(QRect(6, 3, 4, 10), Qt::white);
    p.fillRect(QRect(0, 6, 16, 4), Qt::white);
    p.fillRect(QRect(7, 3, 2, 10), QColor(200, 16, 46));
    p.fillRect(QRect(0, 7, 16, 2), QColor(200, 16, 46));
    return pixmap;
}

QPixmap FrenchFlagPicture()
{
    // Blue, white and red vertical bands.
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.fillRect(QRect(0, 3, 5, 10), QColor(0, 35, 149));
    p.fillRect(QRect(5, 3, 6, 10), Qt::white);
    p.fillRect(QRect(11, 3, 5, 10), QColor(237, 41, 57));
    p.setPen(QColor(150, 150, 150));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 3, 15, 9));
    return pixmap;
}

}  // namespace kestrova
