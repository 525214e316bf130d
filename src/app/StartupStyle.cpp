#include "app/StartupStyle.h"

#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QWidget>

namespace {
// A double chevron pointing right (or down), as styles show for hidden toolbar buttons.
QIcon extensionArrow(bool down, const QColor& colour) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5));
    for (const qreal at : {3.0, 8.0}) {
        const QPolygonF chevron = down ? QPolygonF{{4, at}, {8, at + 4}, {12, at}}
                                       : QPolygonF{{at, 4}, {at + 4, 8}, {at, 12}};
        painter.drawPolyline(chevron);
    }
    return QIcon(picture);
}
} // namespace

QIcon StartupStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
        const QPalette palette = widget ? widget->palette() : standardPalette();
        return extensionArrow(icon == SP_ToolBarVerticalExtensionButton,
                              palette.color(QPalette::ButtonText));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void StartupStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element != PE_FrameGroupBox || baseStyle()->name() != QLatin1String("fusion")) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's frame: a softly rounded outline a shade darker than the window.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(option->palette.color(QPalette::Window).darker(130));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter->restore();
}
