#include "commands/EncodingCheck.h"

#include "commands/DocumentSeams.h"
#include "document/Document.h"
#include "document/DocumentFile.h"
#include "document/FileErrors.h"
#include "platform/MessageBox.h"

#include <QMainWindow>

QString encodingQuestion(const QString& fileName, TextEncoding encoding, const Unencodable& first) {
    return u'"' + fileName + QLatin1String("\" is saved as ") + encodingCaption(encoding) +
           QLatin1String(", which cannot hold some characters you typed (the first: \"") +
           QString::fromUcs4(&first.character, 1) + QLatin1String("\" on line ") +
           QString::number(first.line) + QLatin1String("). Save it as UTF-8 instead?");
}

bool confirmDocumentEncoding(const DocumentSeams& seams, const QString& fileName) {
    Document& document = seams.document;
    const auto first = firstUnencodable(document.buffer().parts(), document.layout());
    if (!first)
        return true;
    const auto answer = seams.messageBox.show(
        &seams.window, encodingQuestion(fileName, document.layout().encoding, *first),
        QStringLiteral("Save"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
    if (answer != QMessageBox::Yes) {
        seams.ShowStatus(QLatin1String("Not saved: ") + fileName);
        return false;
    }
    document.setLayout(utf8Layout(document.layout()));
    return true;
}

bool documentEncodingHolds(const DocumentSeams& seams, const QString& fileName) {
    const Document& document = seams.document;
    const auto first = firstUnencodable(document.buffer().parts(), document.layout());
    if (!first)
        return true;
    seams.ShowStatus(QLatin1String("Auto-save wrote nothing: ") + fileName +
                     QLatin1String(" is saved as ") + encodingCaption(document.layout().encoding) +
                     QLatin1String(", which cannot hold some characters you typed. Save to "
                                   "choose."));
    return false;
}

std::optional<ClearWrite> bytesForAppending(const DocumentSeams& seams, const QString& path,
                                            const QString& fileName,
                                            std::optional<Failure>& failure) {
    const Document& document = seams.document;
    const TextParts text = document.buffer().parts();
    QByteArray old;
    if (auto readFailure = readDocumentFile(path, old)) {
        // A missing file is created; any other failure keeps the file as it is.
        if (readFailure->number != FileError::FileNotFound) {
            failure = std::move(readFailure);
            return std::nullopt;
        }
        old.clear();
    }
    // An empty or new file takes the document as it is, mark and all.
    const DocumentLayout layout = old.isEmpty() ? document.layout() : appendLayout(old);
    const auto first = firstUnencodable(text, layout);
    if (!first)
        return ClearWrite{encodeDocument(text, layout)};
    const auto answer = seams.messageBox.show(
        &seams.window, encodingQuestion(fileName, layout.encoding, *first), QStringLiteral("Save"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
    if (answer != QMessageBox::Yes) {
        seams.ShowStatus(QLatin1String("Not saved: ") + fileName);
        return std::nullopt;
    }
    const DecodedDocument receiving = decodeDocument(old);
    return ClearWrite{encodeDocument(receiving.text, utf8Layout(receiving.layout)) +
                          encodeDocument(text, utf8Layout(layout)),
                      true};
}
