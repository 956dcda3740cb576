#include "main_images_u.h"

#include <QPainter>
#include <QPainterPath>

namespace MainImages {
namespace {
// A telephone handset in a 24 x 24 box: earpiece at the top left, mouthpiece
// at the bottom right, joined by a grip that bows towards the bottom left.
QPainterPath Handset()
{
    QPainterPath grip;
    grip.moveTo(5.5, 5.0);
    grip.cubicTo(5.0, 12.0, 12.0, 19.0, 19.0, 18.5);
    QPainterPathStroker stroker;
    stroker.setWidth(3.6);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath shape = stroker.createStroke(grip);
    QPainterPath ear;
    ear.addRoundedRect(QRectF(2.0, 2.0, 6.5, 8.0), 2.2, 2.2);
    QPainterPath mouth;
    mouth.addRoundedRect(QRectF(14.0, 15.5, 8.0, 6.5), 2.2, 2.2);
    return shape.united(ear).united(mouth).simplified();
}

void DrawHandset(QPainter& p, const QRectF& box, const QColor& colour, double angle = 0)
{
    p.save();
    p.translate(box.center());
    p.rotate(angle);
    p.scale(box.width() / 24.0, box.height() / 24.0);
    p.translate(-12, -12);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(Handset());
    p.restore();
}

QPixmap Tile(int size, bool registered)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, registered ? QColor(60, 130, 210) : QColor(150, 150, 150));
    g.setColorAt(1, registered ? QColor(25, 75, 150) : QColor(105, 105, 105));
    p.setPen(QPen(registered ? QColor(20, 55, 110) : QColor(80, 80, 80), size >= 32 ? 1.5 : 1.0));
    p.setBrush(g);
    p.drawRoundedRect(r, size / 5.0, size / 5.0);
    DrawHandset(p, r.adjusted(size * 0.14, size * 0.14, -size * 0.14, -size * 0.14), Qt::white);
    // The lamp: lit while registered.
    const double d = size * 0.34;
    const QRectF lamp(size - d - size * 0.04, size * 0.04, d, d);
    p.setPen(QPen(Qt::white, size >= 32 ? 1.5 : 1.0));
    p.setBrush(registered ? QColor(60, 200, 80) : QColor(200, 200, 200));
    p.drawEllipse(lamp);
    return pm;
}
} // namespace

QIcon ProgramIcon(bool registered)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(Tile(size, registered));
    return icon;
}

QPixmap Glyph(int index)
{
    if (index != kCall && index != kAnswer) return QPixmap();
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == kCall) {
        // Dialling: a green handset with an arrow going out.
        DrawHandset(p, QRectF(0, 3, 13, 13), QColor(30, 150, 60));
        p.setPen(QPen(QColor(30, 150, 60), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(9.5, 6.5), QPointF(14.5, 1.5));
        p.drawPolyline(QPolygonF({QPointF(10.5, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 5.5)}));
    } else {
        // Answering: the handset with the ringing waves.
        DrawHandset(p, QRectF(0, 3, 13, 13), QColor(220, 110, 20));
        p.setPen(QPen(QColor(220, 110, 20), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6.5, -3.5, 12, 12), 180 * 16, 90 * 16);
        p.drawArc(QRectF(9.5, -0.5, 6, 6), 180 * 16, 90 * 16);
    }
    return pm;
}
} // namespace MainImages
