#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

// The text of the editing box as a piece table: the document as opened stays in one read-only
// string, typed and pasted text is appended to a second one, and the text is the sequence of
// pieces of the two. An edit anywhere costs about the number of pieces, never the size of the
// document, so the first key typed in the middle of 100 MB is as quick as the next. Each source
// keeps the positions of its line breaks ('\n'), so finding a line or the line of a position is
// a binary search. Positions are UTF-16 offsets, as everywhere in Qt. An opened document whose
// characters all fit in one byte (most are) is kept one byte per character, halving its memory.
class TextBuffer {
public:
    TextBuffer() = default;
    // Takes the string's storage without copying.
    explicit TextBuffer(QString text);
    // The same for text in Latin-1.
    explicit TextBuffer(QByteArray latin1);

    qsizetype size() const { return total; }
    bool isEmpty() const { return total == 0; }
    qsizetype lineCount() const { return breakCount + 1; }
    qsizetype lineStart(qsizetype line) const;
    // Where the line's text ends: its '\n', or the end of the text for the last line.
    qsizetype lineEnd(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const { return lineEnd(line) - lineStart(line); }
    qsizetype lineOf(qsizetype position) const;
    // At least the length of the longest line (edits that shorten lines do not lower it).
    qsizetype longestLine() const { return longest; }

    char16_t at(qsizetype position) const;
    QString mid(qsizetype position, qsizetype length) const;
    QString line(qsizetype line) const { return mid(lineStart(line), lineLength(line)); }
    QString toString() const { return mid(0, total); }
    // The text as consecutive pieces (UTF-16 or Latin-1), valid until the next edit: read
    // without a copy.
    std::vector<QAnyStringView> parts() const;

    void insert(qsizetype position, QStringView text);
    void remove(qsizetype position, qsizetype length);

private:
    struct Source {
        QString text;
        QByteArray narrow; // the text in Latin-1 instead, when it fits
        bool isNarrow = false;
        std::vector<qsizetype> breaks; // positions of '\n' in the text, in order
        char16_t at(qsizetype i) const {
            return isNarrow ? char16_t(uchar(narrow.constData()[i]))
                            : char16_t(text.constData()[i].unicode());
        }
        // Copies [from, from + n) as UTF-16 to out.
        void copy(qsizetype from, qsizetype n, char16_t* out) const;
    };
    struct Piece {
        bool added;
        qsizetype start; // in its source
        qsizetype length;
        qsizetype breaks; // line breaks within it
    };
    const Source& sourceOf(const Piece& piece) const { return piece.added ? added : original; }
    qsizetype breaksBetween(const Source& source, qsizetype from, qsizetype to) const;
    // The piece holding position (which must be below size()).
    size_t pieceAt(qsizetype position) const;
    // Makes position a piece boundary; answers the index of the piece starting there.
    size_t split(qsizetype position);
    void recount();
    void index(); // the pieces and counts of a new buffer, from the original source

    Source original;
    Source added;
    std::vector<Piece> pieces;
    // For each piece, where it starts in the text and the line breaks before it.
    std::vector<qsizetype> startOf;
    std::vector<qsizetype> breaksBefore;
    qsizetype total = 0;
    qsizetype breakCount = 0;
    qsizetype longest = 0;
};
