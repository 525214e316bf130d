// Opening and saving 100 MB documents in Windows-1251 and Shift-JIS against the same text in
// UTF-8: read + decode, and encode + write + sync, each against a target of twice the UTF-8
// figure; and the time the code page detector adds to an open (target 20 ms).
#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"
#include "document/EncodingDetection.h"
#include "document/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Figures {
    qint64 openMs = -1;
    qint64 saveMs = -1;
    bool exact = false;
};

// Read and decoded as Open does, then written back as Save does; the best of three.
Figures measure(const QString& path, const QByteArray& original, TextEncoding expected) {
    Figures best;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        QByteArray bytes;
        if (readDocumentFile(path, bytes))
            return best;
        DecodedDocument doc = decodeDocument(bytes);
        bytes = QByteArray();
        const qint64 openMs = timer.elapsed();
        timer.restart();
        const bool written =
            !writeTextFile(path, {QStringView(doc.text)}, doc.layout, {}).has_value();
        const qint64 saveMs = timer.elapsed();
        QByteArray saved;
        best.exact = written && doc.layout.encoding == expected && !readDocumentFile(path, saved) &&
                     saved == original;
        if (best.openMs < 0 || openMs < best.openMs)
            best.openMs = openMs;
        if (best.saveMs < 0 || saveMs < best.saveMs)
            best.saveMs = saveMs;
    }
    return best;
}

const char* verdict(qint64 value, qint64 target) {
    return value >= 0 && value <= target ? "PASS" : "MISS";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString line = QStringLiteral("Привет, мир! Это заметка: позвонить Ивану в 10:30, купить "
                                        "хлеб. 日本語のテキストです。\r\n");
    struct Case {
        const char* name;
        const char* converter;
        const char* locale;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"UTF-8", "UTF-8", "C.UTF-8", TextEncoding::Utf8},
        {"Windows-1251", "windows-1251", "ru_RU.UTF-8", TextEncoding::Windows1251},
        {"Shift-JIS", "Shift_JIS", "ja_JP.UTF-8", TextEncoding::ShiftJis},
    };
    Figures utf8;
    std::printf("%-14s %10s %10s %10s\n", "encoding", "MB", "open (ms)", "save (ms)");
    for (const Case& c : cases) {
        qputenv("LANG", c.locale);
        QString sample = line;
        if (c.encoding == TextEncoding::Windows1251) // Windows-1251 holds no Japanese
            sample.replace(QStringLiteral("日本語のテキストです。"), QStringLiteral("Текст."));
        const QByteArray encodedLine = QStringEncoder(c.converter)(sample);
        QByteArray original;
        original.reserve((qsizetype(100) << 20) + encodedLine.size());
        while (original.size() < (qsizetype(100) << 20))
            original += encodedLine;
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (replaceFile(path, original))
            return 1;
        const Figures f = measure(path, original, c.encoding);
        if (c.encoding == TextEncoding::Utf8)
            utf8 = f;
        std::printf("%-14s %10.1f %10lld %10lld", c.name, double(original.size()) / (1 << 20),
                    f.openMs, f.saveMs);
        if (c.encoding != TextEncoding::Utf8)
            std::printf("   open %s, save %s (target: twice UTF-8's)",
                        verdict(f.openMs, 2 * utf8.openMs), verdict(f.saveMs, 2 * utf8.saveMs));
        std::printf("%s\n", f.exact ? "" : "   ROUND TRIP CHANGED BYTES");
        if (c.encoding == TextEncoding::Windows1251) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < 10; ++i)
                guessLegacyEncoding(original);
            const double detectMs = double(timer.nsecsElapsed()) / 1e7;
            std::printf("%-14s %10s %10.2f %10s   %s (target 20 ms)\n", "detection", "", detectMs,
                        "", detectMs <= 20 ? "PASS" : "MISS");
        }
        std::fflush(stdout);
    }
    return 0;
}
