#include "tray/frmMinimizeIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

QIcon frmMinimizeIcon() {
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 2));
    painter.setBrush(QColor(208, 208, 208));
    painter.drawRoundedRect(QRectF(8, 5, 32, 38), 3, 3);
    painter.setBrush(QColor(128, 128, 128));
    painter.drawRect(QRectF(8, 5, 32, 7));
    painter.setPen(QPen(QColor(96, 96, 96), 2));
    for (int y = 19; y <= 37; y += 6)
        painter.drawLine(QPointF(13, y), QPointF(35, y));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}
