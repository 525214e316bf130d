#include "basics/NamedFile.h"

#include <QFileInfo>

namespace {
const QString NoFileLoaded = QStringLiteral("No file loaded");
const QString NotSaved = QStringLiteral("Not saved");
const QString TitleEnd = QStringLiteral(" - Notavo");

QString wordsFor(const NamedFile& file, const QString& named) {
    switch (file.kind) {
    case NamedFile::Kind::None:
        return NoFileLoaded;
    case NamedFile::Kind::New:
        return NotSaved;
    case NamedFile::Kind::File:
        break;
    }
    return named;
}

NamedFile namedByWords(const QString& words) {
    if (words == NotSaved)
        return NamedFile::newDocument();
    if (words == NoFileLoaded)
        return {};
    return NamedFile::at(words);
}
} // namespace

QString captionFor(const NamedFile& file) {
    switch (file.kind) {
    case NamedFile::Kind::None:
        return QStringLiteral("Notavo");
    case NamedFile::Kind::New:
        return QStringLiteral("New File") + TitleEnd;
    case NamedFile::Kind::File:
        break;
    }
    return QFileInfo(file.path).fileName() + TitleEnd;
}

QString nameFor(const NamedFile& file) {
    return wordsFor(file, QFileInfo(file.path).fileName());
}

QString locationFor(const NamedFile& file) {
    return wordsFor(file, file.path);
}

NamedFile namedByCaption(const QString& caption) {
    if (caption == captionFor(NamedFile::newDocument()))
        return NamedFile::newDocument();
    if (!caption.endsWith(TitleEnd))
        return {};
    return NamedFile::at(caption.chopped(TitleEnd.size()));
}

NamedFile namedByName(const QString& name) {
    return namedByWords(name);
}

NamedFile namedByLocation(const QString& location) {
    return namedByWords(location);
}
