#pragma once

#include "text/LineBreakIndex.h"

#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <memory>
#include <vector>

// The text of the editing box as a piece table: the document as opened stays in one read-only
// source, typed and pasted text is appended to another, and the text is the sequence of pieces
// of the sources. An edit anywhere costs about the number of pieces, never the size of the
// document, so the first key typed in the middle of 100 MB is as quick as the next. Each source
// keeps the positions of its line breaks ('\n') in a compact index, so finding a line or the
// line of a position is a binary search. Positions are UTF-16 offsets, as everywhere in Qt. An
// opened document whose characters all fit in one byte (most are) is kept one byte per
// character, halving its memory.
//
// Copies are cheap and safe to hand to another thread: a copy costs about the number of pieces
// and shares every source. A source is never changed once a copy shares it: after a copy, the
// next insertion into either buffer starts a new source of its own, so no edit of one copy ever
// writes, moves or frees memory the other reads. Copy a buffer on the thread that edits it (the
// copy marks the original's sources as shared); the copy may then be read on any one thread
// while the original goes on being edited.
class TextBuffer {
public:
    TextBuffer() = default;
    // Takes the string's storage without copying.
    explicit TextBuffer(QString text);
    // The same for text in Latin-1.
    explicit TextBuffer(QByteArray latin1);
    TextBuffer(const TextBuffer& other);
    TextBuffer& operator=(const TextBuffer& other);
    TextBuffer(TextBuffer&&) noexcept = default;
    TextBuffer& operator=(TextBuffer&&) noexcept = default;
    ~TextBuffer() = default;

    qsizetype size() const { return total; }
    bool isEmpty() const { return total == 0; }
    qsizetype lineCount() const { return breakCount + 1; }
    qsizetype lineStart(qsizetype line) const;
    // Where the line's text ends: its '\n', or the end of the text for the last line.
    qsizetype lineEnd(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const { return lineEnd(line) - lineStart(line); }
    qsizetype lineOf(qsizetype position) const;
    // The length of the longest line and where it starts (the first such line when several
    // are as long); kept exact through every edit.
    qsizetype longestLine() const { return longest; }
    qsizetype longestLineStart() const { return longestStart; }

    char16_t at(qsizetype position) const;
    QString mid(qsizetype position, qsizetype length) const;
    QString line(qsizetype line) const { return mid(lineStart(line), lineLength(line)); }
    QString toString() const { return mid(0, total); }
    // The text as consecutive pieces (UTF-16 or Latin-1), valid until the next edit of this
    // buffer (a copy's edits never touch them): read without a copy.
    std::vector<QAnyStringView> parts() const;

    void insert(qsizetype position, QStringView text);
    void remove(qsizetype position, qsizetype length);

    class Builder;

private:
    struct Source {
        QString text;
        QByteArray narrow; // the text in Latin-1 instead, when it fits
        bool isNarrow = false;
        LineBreakIndex breaks;
        char16_t at(qsizetype i) const {
            return isNarrow ? char16_t(uchar(narrow.constData()[i]))
                            : char16_t(text.constData()[i].unicode());
        }
        // Copies [from, from + n) as UTF-16 to out.
        void copy(qsizetype from, qsizetype n, char16_t* out) const;
    };
    struct Piece {
        size_t source;
        qsizetype start; // in its source
        qsizetype length;
        qsizetype breaks = 0; // line breaks within it
        // For the longest line: the characters before its first break and after its last, and
        // the longest line lying wholly between two of its breaks (-1 if none) with its start.
        qsizetype head = 0;
        qsizetype tail = 0;
        qsizetype inner = -1;
        qsizetype innerStart = 0; // from the piece's start
    };
    const Source& sourceOf(const Piece& piece) const { return *sources[piece.source]; }
    Piece describe(size_t source, qsizetype start, qsizetype length) const;
    qsizetype breaksBetween(const Source& source, qsizetype from, qsizetype to) const;
    // The piece holding position (which must be below size()).
    size_t pieceAt(qsizetype position) const;
    // Makes position a piece boundary; answers the index of the piece starting there.
    size_t split(qsizetype position);
    void recount();
    void index(std::shared_ptr<Source> original); // a new buffer's pieces, from its one source
    Source& appendable();

    std::vector<std::shared_ptr<Source>> sources;
    // The source that insertions append to, while no copy shares it (-1: start a new one).
    mutable qsizetype appendTo = -1;
    std::vector<Piece> pieces;
    // For each piece, where it starts in the text and the line breaks before it.
    std::vector<qsizetype> startOf;
    std::vector<qsizetype> breaksBefore;
    qsizetype total = 0;
    qsizetype breakCount = 0;
    qsizetype longest = 0;
    qsizetype longestStart = 0;
};

// Builds a new text in one pass from stretches of other texts and new text (every match
// replaced at once, say) into a few large sources, one piece each however many stretches go
// in, so that the result edits as quickly as an opened document. What fits in Latin-1 stays one
// byte a character. A builder may run on any one thread; the texts it reads must not change
// meanwhile (read a copy).
class TextBuffer::Builder {
public:
    // chunk: the most characters in one source (small only to test the seams between them).
    explicit Builder(qsizetype chunk = qsizetype(1) << 24) : chunk(std::max<qsizetype>(1, chunk)) {}
    void append(const TextBuffer& from, qsizetype position, qsizetype length);
    void append(QStringView text);
    void append(QLatin1StringView text);
    qsizetype size() const { return built; }
    // The text built; the builder is empty again.
    TextBuffer take();

private:
    template <typename Unit> void put(const Unit* units, qsizetype n);
    // The source to append to, with room, in Latin-1 unless wide is asked for.
    Source& room(bool wide);

    qsizetype chunk;
    qsizetype built = 0;
    std::vector<std::shared_ptr<Source>> done;
};
