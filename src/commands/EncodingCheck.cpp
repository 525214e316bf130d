#include "commands/EncodingCheck.h"

#include "commands/DocumentSeams.h"
#include "document/Document.h"
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

bool confirmAppendEncoding(const DocumentSeams& seams, const TextParts& text,
                           const DocumentLayout& target, const QString& fileName, bool& asUtf8) {
    const auto first = firstUnencodable(text, target);
    if (!first)
        return true;
    const auto answer = seams.messageBox.show(
        &seams.window, encodingQuestion(fileName, target.encoding, *first), QStringLiteral("Save"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
    if (answer != QMessageBox::Yes) {
        seams.ShowStatus(QLatin1String("Not saved: ") + fileName);
        return false;
    }
    asUtf8 = true;
    return true;
}
