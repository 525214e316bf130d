#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Size = 35;

void drawSave(QPainter& p) {
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(QRectF(4, 4, 27, 27), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(9, 4, 17, 10));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(20, 6, 4, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 19, 19, 12));
}

void drawOpen(QPainter& p) {
    p.setBrush(QColor(220, 170, 60));
    p.drawRect(QRectF(3, 9, 26, 20));
    p.drawRect(QRectF(3, 6, 10, 4));
    p.setBrush(QColor(245, 205, 100));
    QPainterPath front;
    front.moveTo(3, 29);
    front.lineTo(8, 15);
    front.lineTo(33, 15);
    front.lineTo(29, 29);
    front.closeSubpath();
    p.drawPath(front);
}

void drawNew(QPainter& p) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(22, 3);
    page.lineTo(29, 10);
    page.lineTo(29, 32);
    page.lineTo(7, 32);
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF({QPointF(22, 3), QPointF(22, 10), QPointF(29, 10)}));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int y = 15; y <= 27; y += 4)
        p.drawLine(11, y, 25, y);
}

void drawPrint(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 17, 12));
    p.setBrush(QColor(110, 110, 120));
    p.drawRoundedRect(QRectF(3, 13, 29, 13), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 22, 17, 10));
    p.setBrush(QColor(90, 200, 90));
    p.drawEllipse(QRectF(26, 16, 3, 3));
}

void drawHelp(QPainter& p) {
    p.setBrush(QColor(50, 120, 200));
    p.drawEllipse(QRectF(3, 3, 29, 29));
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(3, 3, 29, 29), Qt::AlignCenter, QStringLiteral("?"));
}
} // namespace

QPixmap toolbarPicture(const QString& key) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    if (key == QLatin1String("Save"))
        drawSave(p);
    else if (key == QLatin1String("Open"))
        drawOpen(p);
    else if (key == QLatin1String("NewFile"))
        drawNew(p);
    else if (key == QLatin1String("Print"))
        drawPrint(p);
    else
        drawHelp(p);
    return pixmap;
}
