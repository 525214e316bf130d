#pragma once

#include "document/DocumentFormat.h"
#include "document/FileStamp.h"
#include "text/TextBuffer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QUtf8StringView>
#include <algorithm>
#include <optional>
#include <utility>

// The recovery journal's bytes: a header, then records, each its kind, its length, its payload
// and a CRC-32 of the three. A run of records ends with a commit; a reader applies only what a
// commit closes, so a write torn by a crash or a power cut loses the unfinished run and never
// leaves a text that was never in the box. The text starts from a Reset followed by inserts
// (the whole text, in chunks), and edits follow as inserts and removals at UTF-16 positions.
namespace JournalFormat {

inline constexpr QByteArrayView Magic = "NVJ1";

enum class Kind : quint8 { Reset = 1, Insert = 2, Remove = 3, File = 4, Commit = 5 };

// What the window showed of the document: restored with the text.
struct FileState {
    QString savePath;
    bool hasSavePath = false;
    QString name;
    QString location;
    QString caption;
    DocumentLayout layout;
    // The file as it was read or last written, so that a recovered text is not saved over
    // another program's change made since. Journals from before it was kept have none.
    FileStamp stamp;
};

// Appends records to out.
void appendReset(QByteArray& out);
void appendInsert(QByteArray& out, qsizetype position, QStringView text);
void appendInsert(QByteArray& out, qsizetype position, QLatin1StringView text);
void appendInsert(QByteArray& out, qsizetype position, QUtf8StringView text); // never in a buffer
void appendRemove(QByteArray& out, qsizetype position, qsizetype length);
void appendFile(QByteArray& out, const FileState& file);
void appendCommit(QByteArray& out);

// The whole text of a buffer as Reset and inserts, handed on in pieces so that a large text is
// never copied whole.
template <typename Sink> void forEachBaseRecord(const TextBuffer& text, Sink&& sink);

// What a journal holds: the text and the file as the last complete commit left them.
struct Recovered {
    TextBuffer text;
    FileState file;
    qsizetype validLength = 0; // the bytes up to and including that commit
    bool hasText = false;      // false: no commit with a text (nothing to offer)
};

// Never fails: torn, corrupt or foreign bytes give the longest valid prefix.
Recovered read(QByteArrayView bytes);

quint32 crc32(quint32 crc, QByteArrayView bytes);

} // namespace JournalFormat

template <typename Sink>
void JournalFormat::forEachBaseRecord(const TextBuffer& text, Sink&& sink) {
    QByteArray out;
    appendReset(out);
    qsizetype position = 0;
    constexpr qsizetype chunk = qsizetype(4) << 20;
    for (const QAnyStringView& part : text.parts()) {
        part.visit([&](auto view) {
            for (qsizetype at = 0; at < view.size(); at += chunk) {
                const qsizetype n = std::min(chunk, view.size() - at);
                appendInsert(out, position, view.sliced(at, n));
                position += n;
                sink(std::as_const(out));
                out.clear();
            }
        });
    }
    if (!out.isEmpty())
        sink(std::as_const(out));
}
