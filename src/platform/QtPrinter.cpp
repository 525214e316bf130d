#include "platform/QtPrinter.h"

#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

QtPrinter::QtPrinter() = default;

QPrinter* QtPrinter::current() {
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer.get();
}

QtPrinter::~QtPrinter() = default;

bool QtPrinter::printPage(QWidget& page, QString& failure) {
    // The window is recorded as drawing commands at screen resolution and replayed scaled to the
    // printer: text stays text at its true size, where rendering straight onto the printer
    // would turn it into a picture with wrongly scaled fonts.
    QPicture picture;
    {
        QPainter recorder(&picture);
        page.render(&recorder, QPoint(), QRegion(),
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    QPainter painter;
    if (!painter.begin(current())) {
        failure = printer->outputFileName().isEmpty()
                      ? QStringLiteral("The printer \"%1\" could not start the print job.")
                            .arg(printer->printerName())
                      : QStringLiteral("The file \"%1\" could not be written.")
                            .arg(printer->outputFileName());
        return false;
    }
    // Replaying a picture scales it from its own resolution to the printer's by itself, so one
    // inch of the window is one inch on paper. Only when the printable area is smaller does the
    // whole page shrink to fit, so nothing of it is cut off.
    const QRectF area = printer->pageRect(QPrinter::DevicePixel);
    const double natural = double(printer->logicalDpiX()) / picture.logicalDpiX();
    const QSizeF printed = QSizeF(page.size()) * natural;
    double shrink = 1.0;
    if (!printed.isEmpty())
        shrink = std::min({1.0, area.width() / printed.width(), area.height() / printed.height()});
    painter.setClipRect(QRectF(QPointF(), printed * shrink));
    painter.scale(shrink, shrink);
    painter.drawPicture(0, 0, picture);
    if (!painter.end()) {
        failure = QStringLiteral("The print job could not be finished.");
        return false;
    }
    return true;
}
