#pragma once

#include <QString>

// A file as the window names it: none, the new document (not saved yet), or the file at path.
// The window's title and its "File Details" read-outs each name one; their words come from it.
struct NamedFile {
    enum class Kind : quint8 { None, New, File };
    Kind kind = Kind::None;
    QString path; // Kind::File only

    static NamedFile at(const QString& path) { return {Kind::File, path}; }
    static NamedFile newDocument() { return {Kind::New, {}}; }
    bool operator==(const NamedFile&) const = default;
};

// The window's title: "<file name> - Notavo", "New File - Notavo" or "Notavo".
QString captionFor(const NamedFile& file);
// The name read-out: the file's name, "Not saved" or "No file loaded".
QString nameFor(const NamedFile& file);
// The location read-out: the file's full path, "Not saved" or "No file loaded".
QString locationFor(const NamedFile& file);

// The file a caption or a read-out written by captionFor, nameFor or locationFor names; for a
// caption or a name only the file's name is known.
NamedFile namedByCaption(const QString& caption);
NamedFile namedByName(const QString& name);
NamedFile namedByLocation(const QString& location);
