#include "document/TextFile.h"

#include "document/FileErrors.h"

std::optional<Failure> writeTextFile(const QString& path, const TextParts& text,
                                     const DocumentLayout& layout, const ByteProgress& progress,
                                     WriteStamps* stamps) {
    // A few megabytes: the disk writes each piece while the next is encoded.
    constexpr qsizetype piece = qsizetype(4) << 20;
    qint64 encoded = 0;
    bool sinkStopped = false, unencodable = false;
    const auto failure = replaceFile(
        path,
        [&](const ByteWriter& write) {
            encoded = 0;
            bool fits = true;
            const bool done = encodeDocument(text, layout, piece, [&](QByteArray& bytes) {
                encoded += bytes.size();
                // Past the limit nothing more is written; the rest is only counted.
                fits = fits && encoded <= maxDocumentBytes;
                sinkStopped = !fits || !write(bytes);
                return !sinkStopped;
            });
            unencodable = !done && !sinkStopped;
            return done && fits;
        },
        progress, stamps);
    if (unencodable)
        return Failure{FileError::CannotEncode, QStringLiteral("Save file"),
                       QLatin1String("Nothing was written to ") + path + QLatin1String(": ") +
                           encodingCaption(layout.encoding) +
                           QLatin1String(" cannot hold some of the characters.")};
    if (auto tooLarge = refuseUnopenable(encoded, QStringLiteral("Save file"), path))
        return tooLarge;
    return failure;
}
