#include "dialogs/ProgramIcon.h"

#include <QPainter>

QPixmap programIcon(int size) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 90), 2));
    painter.setBrush(QColor(255, 250, 220));
    painter.drawRoundedRect(QRectF(8, 5, 32, 38), 3, 3);
    painter.setBrush(QColor(255, 192, 128));
    painter.drawRect(QRectF(8, 5, 32, 7));
    painter.setPen(QPen(QColor(70, 110, 200), 2));
    for (int y = 19; y <= 37; y += 6)
        painter.drawLine(QPointF(13, y), QPointF(35, y));
    painter.end();
    return size == 48 ? pixmap
                      : pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
