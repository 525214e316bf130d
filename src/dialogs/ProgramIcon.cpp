#include "dialogs/ProgramIcon.h"

#include <QPainter>

QPixmap notepadPicture(const NotepadColours& colours) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colours.outline, 2));
    painter.setBrush(colours.page);
    painter.drawRoundedRect(QRectF(8, 5, 32, 38), 3, 3);
    painter.setBrush(colours.band);
    painter.drawRect(QRectF(8, 5, 32, 7));
    painter.setPen(QPen(colours.lines, 2));
    for (int y = 19; y <= 37; y += 6)
        painter.drawLine(QPointF(13, y), QPointF(35, y));
    return pixmap;
}

QPixmap programIcon(int size) {
    const QPixmap pixmap = notepadPicture(
        {QColor(255, 250, 220), QColor(255, 192, 128), QColor(60, 60, 90), QColor(70, 110, 200)});
    return size == 48 ? pixmap
                      : pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
