#include "document/DocumentIo.h"

#include "document/FileErrors.h"
#include "document/TextFile.h"

#include <QFileInfo>
#include <algorithm>

namespace {
const QString readSource = QStringLiteral("Read file");
const QString saveSource = QStringLiteral("Save file");

Failure stopped(const QString& source, const QString& path) {
    return {ErrorNumber::Cancelled, source, QLatin1String("Stopped: ") + path};
}

bool tell(const WorkProgress& progress, qint64 done) {
    return !progress || progress(done);
}
} // namespace

std::variant<OpenedDocument, Failure> openDocument(const QString& path, qint64 size,
                                                   const WorkProgress& progress) {
    OpenedDocument opened;
    QByteArray bytes;
    if (auto failure = readDocumentFile(
            path, bytes, [&progress](qint64 done) { return tell(progress, done); }, &opened.stamp))
        return *std::move(failure);
    if (!tell(progress, size))
        return stopped(readSource, path);
    // Most documents fit in Latin-1, which decodes in half the memory and time.
    if (auto compact = decodeCompactDocument(bytes)) {
        bytes = QByteArray(); // a large file is not held twice longer than needed
        opened.layout = std::move(compact->layout);
        if (!tell(progress, size * 3 / 2))
            return stopped(readSource, path);
        opened.text = TextBuffer(std::move(compact->latin1));
    } else {
        DecodedDocument document = decodeDocument(bytes);
        bytes = QByteArray();
        opened.layout = std::move(document.layout);
        if (!tell(progress, size * 3 / 2))
            return stopped(readSource, path);
        opened.text = TextBuffer(std::move(document.text));
    }
    tell(progress, 2 * size);
    return opened;
}

std::variant<RereadDocument, Failure> rereadDocumentAs(const QString& path, const TextBuffer& text,
                                                       TextEncoding present, TextEncoding wanted) {
    QByteArray bytes;
    if (auto failure = readDocumentFile(path, bytes))
        return *std::move(failure);
    RereadDocument reread;
    const auto asItIs = decodeDocumentAs(bytes, present);
    reread.textChanged = !asItIs || asItIs->text != text.toString();
    reread.decoded = decodeDocumentAs(bytes, wanted);
    return reread;
}

std::variant<FileStamp, Failure> saveDocument(const QString& path, const TextBuffer& text,
                                              const DocumentLayout& layout,
                                              const FileStamp& unchangedSince,
                                              const WorkProgress& progress) {
    WriteStamps stamps{unchangedSince, {}};
    const qint64 size = text.size();
    auto failure = writeTextFile(
        path, text.parts(), layout,
        [&progress, size](qint64 written) { return tell(progress, std::min(written, size)); },
        &stamps);
    if (failure)
        return *std::move(failure);
    return stamps.written;
}

std::optional<Failure> writeAsDocument(const QString& path, QByteArray bytes,
                                       const WorkProgress& progress) {
    const qint64 size = bytes.size();
    // At most the bytes and a Latin-1 text are held at a time (or UTF-16, for text outside
    // Latin-1).
    auto write = [&](const TextParts& text, const DocumentLayout& layout) {
        if (!tell(progress, size))
            return std::optional(stopped(saveSource, path));
        return writeTextFile(path, text, layout, [&progress, size](qint64 written) {
            return tell(progress, size + std::min(written, size));
        });
    };
    if (auto compact = decodeCompactDocument(bytes)) {
        bytes = QByteArray();
        return write({QLatin1StringView(compact->latin1)}, compact->layout);
    }
    DecodedDocument document = decodeDocument(bytes);
    bytes = QByteArray();
    return write({QStringView(document.text)}, document.layout);
}

std::variant<AppendTarget, Failure> readAppendTarget(const QString& path,
                                                     const DocumentLayout& own) {
    AppendTarget target;
    if (auto failure = readDocumentFile(path, target.old)) {
        // A missing file is created; any other failure keeps the file as it is.
        if (failure->number != FileError::FileNotFound)
            return *std::move(failure);
        target.old.clear();
    }
    // An empty or new file takes the document as it is, mark and all.
    target.layout = target.old.isEmpty() ? own : appendLayout(target.old);
    return target;
}

std::optional<Failure> appendDocument(const QString& path, const TextParts& text,
                                      const AppendTarget& target, bool asUtf8) {
    if (!asUtf8) {
        const QByteArray bytes = encodeDocument(text, target.layout);
        if (auto tooLarge =
                refuseUnopenable(QFileInfo(path).size() + bytes.size(), saveSource, path))
            return tooLarge;
        return appendToFile(path, bytes);
    }
    const DecodedDocument receiving = decodeDocument(target.old);
    const QByteArray whole = encodeDocument(receiving.text, utf8Layout(receiving.layout)) +
                             encodeDocument(text, utf8Layout(target.layout));
    if (auto tooLarge = refuseUnopenable(whole.size(), saveSource, path))
        return tooLarge;
    return replaceFile(path, whole);
}
