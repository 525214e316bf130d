#pragma once

#include <QProxyStyle>

// The platform's style, except for what it would load from image files while the main window
// is built and first painted (the toolbar and menu bar extension arrows, Fusion's group box
// frame): loading any image makes Qt load every image format plugin, a dozen libraries and
// about 15 ms of each start. Drawn here in code, they cost nothing.
class StartupStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
