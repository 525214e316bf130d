// Renders the SVG icon into the PNG sizes of the icon theme and the Windows-style .ico that
// the file association names. Usage: render_icons <svg> <out.ico> [<size>:<out.png>...]
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

QImage render(QSvgRenderer& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    return image;
}

void put16(QByteArray& out, quint16 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 2);
}
void put32(QByteArray& out, quint32 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 4);
}

// Small sizes as 32-bit bitmaps (read by every ICO reader), 256 px as PNG.
QByteArray iconEntry(const QImage& image) {
    QByteArray data;
    if (image.width() >= 256) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return data;
    }
    const int n = image.width();
    const int maskStride = ((n + 31) / 32) * 4;
    put32(data, 40);
    put32(data, quint32(n));
    put32(data, quint32(2 * n)); // colour rows and mask rows
    put16(data, 1);
    put16(data, 32);
    put32(data, 0);
    put32(data, quint32(n * n * 4 + n * maskStride));
    for (int i = 0; i < 4; ++i)
        put32(data, 0);
    for (int y = n - 1; y >= 0; --y) // bottom-up, BGRA
        for (int x = 0; x < n; ++x)
            put32(data, image.pixel(x, y));
    data.append(QByteArray(n * maskStride, '\0')); // alpha decides; the mask is all opaque
    return data;
}

bool writeIco(const QString& path, const std::vector<QImage>& images) {
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(images.size()));
    std::vector<QByteArray> entries;
    for (const QImage& image : images)
        entries.push_back(iconEntry(image));
    quint32 offset = quint32(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].width();
        out.append(char(n >= 256 ? 0 : n));
        out.append(char(n >= 256 ? 0 : n));
        out.append('\0');
        out.append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, quint32(entries[i].size()));
        put32(out, offset);
        offset += quint32(entries[i].size());
    }
    for (const QByteArray& entry : entries)
        out += entry;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: render_icons <svg> <out.ico> [<size>:<out.png>...]\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icons: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    std::vector<QImage> sizes;
    for (int n : {16, 24, 32, 48, 256})
        sizes.push_back(render(svg, n));
    if (!writeIco(args[2], sizes)) {
        std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        const auto colon = args[i].indexOf(QLatin1Char(':'));
        const int n = args[i].left(colon).toInt();
        if (colon < 1 || n < 1 || !render(svg, n).save(args[i].mid(colon + 1), "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(args[i]));
            return 1;
        }
    }
    return 0;
}
