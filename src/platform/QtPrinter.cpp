#include "platform/QtPrinter.h"

#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

namespace {
// Window sizes are laid out for 96 logical pixels to the inch (15 twips each).
constexpr double LayoutDpi = 96.0;
} // namespace

QtPrinter::QtPrinter() : printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

QtPrinter::~QtPrinter() = default;

void QtPrinter::printToPdf(const QString& path) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
}

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
    if (!painter.begin(printer.get())) {
        failure = printer->outputFileName().isEmpty()
                      ? QStringLiteral("The printer \"%1\" could not start the print job.")
                            .arg(printer->printerName())
                      : QStringLiteral("The file \"%1\" could not be written.")
                            .arg(printer->outputFileName());
        return false;
    }
    // One inch on the screen layout is one inch on paper, unless the printable area is smaller:
    // then the whole page shrinks to fit, so nothing of it is cut off.
    const QRectF area = printer->pageRect(QPrinter::DevicePixel);
    const QSizeF size = page.size();
    double scale = printer->resolution() / LayoutDpi;
    if (size.width() > 0 && size.height() > 0)
        scale = std::min({scale, area.width() / size.width(), area.height() / size.height()});
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(), size));
    painter.drawPicture(0, 0, picture);
    if (!painter.end()) {
        failure = QStringLiteral("The print job could not be finished.");
        return false;
    }
    return true;
}
