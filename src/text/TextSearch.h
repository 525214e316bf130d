#pragma once

#include "text/TextBuffer.h"

#include <QString>
#include <functional>
#include <memory>

// Finds a text in a TextBuffer, reading its pieces in place: no copy of the document, so a
// search through 100 MB takes tens of milliseconds. A match always starts and ends between two
// user-perceived characters (never inside a surrogate pair, never before a combining mark), so
// selecting or replacing it cannot break a character apart. Without "match case" each code point
// is compared by its simple Unicode case folding (QChar::toCaseFolded), as QString::indexOf
// does: "straße" finds "STRAẞE" but not "STRASSE", whose folding needs more characters.
// "Whole word" asks for no letter or digit right before or after the match, as Qt's own find.
class TextSearch {
public:
    struct Options {
        bool matchCase = false;
        bool wholeWord = false;
    };
    enum class Direction { Forward, Backward };
    struct Match {
        qsizetype position = -1;
        qsizetype length = 0;
        bool wrapped = false; // found only after going on from the other end
        bool stopped = false; // the progress callback asked to stop first
        bool found() const { return position >= 0; }
    };
    // Told how many positions have been looked at so far; answers false to stop the search.
    using Progress = std::function<bool(qsizetype scanned)>;

    TextSearch(const QString& wanted, Options options);
    ~TextSearch();
    TextSearch(TextSearch&&) noexcept;
    TextSearch& operator=(TextSearch&&) noexcept;

    // Forward: the first match starting at or after from. Backward: the last one starting
    // before from. With wrap, a search that reaches the end (or the start) goes on from the other.
    Match find(const TextBuffer& text, qsizetype from, Direction direction, bool wrap,
               const Progress& progress = {}) const;
    // Every match from the start of the text in order, each starting after the one before
    // ends. Answers false when the progress callback stopped it.
    bool findAll(const TextBuffer& text, const std::function<void(qsizetype position)>& each,
                 const Progress& progress = {}) const;

    // Every match findAll finds replaced by replacement, built in one pass into a new text (see
    // TextBuffer::Builder): nothing is copied until a first match. caret is a position of the
    // text, handed back as the same place in the new one (inside a match: after its
    // replacement).
    struct Replaced {
        TextBuffer text; // empty when nothing was found
        qsizetype count = 0;
        qsizetype caret = 0;
        bool stopped = false; // the progress callback asked to stop: nothing was replaced
    };
    Replaced replaceAll(const TextBuffer& text, QStringView replacement, qsizetype caret,
                        const Progress& progress = {}) const;

    // Whether a match starts at position (a selection found before, say).
    bool matchesAt(const TextBuffer& text, qsizetype position) const;

    // The length of every match (folding never changes a length).
    qsizetype length() const;

    struct Pattern;

private:
    std::unique_ptr<Pattern> pattern;
};
