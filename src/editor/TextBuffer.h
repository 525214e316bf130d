#pragma once

#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

// The text of the editing box: a gap buffer of UTF-16 units with an index of its line breaks,
// so that an edit anywhere costs about the distance from the previous edit, and finding a line
// or the line of a position is a binary search. Line breaks are '\n'; positions are UTF-16
// offsets, as everywhere in Qt.
class TextBuffer {
public:
    TextBuffer() = default;
    // Takes the string's storage without copying; unused capacity becomes the gap.
    explicit TextBuffer(QString text);

    qsizetype size() const { return store.size() - gapLength(); }
    bool isEmpty() const { return size() == 0; }
    qsizetype lineCount() const { return qsizetype(breaks.size()) + 1; }
    qsizetype lineStart(qsizetype line) const;
    // Where the line's text ends: its '\n', or the end of the text for the last line.
    qsizetype lineEnd(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const { return lineEnd(line) - lineStart(line); }
    qsizetype lineOf(qsizetype position) const;
    // At least the length of the longest line (edits that shorten lines do not lower it).
    qsizetype longestLine() const { return longest; }

    char16_t at(qsizetype position) const {
        return units()[position < gapStart ? position : position + gapLength()];
    }
    QString mid(qsizetype position, qsizetype length) const;
    QString line(qsizetype line) const { return mid(lineStart(line), lineLength(line)); }
    QString toString() const;
    // The text as two views, before and after the gap: valid until the next edit.
    std::pair<QStringView, QStringView> parts() const;

    void insert(qsizetype position, QStringView text);
    void remove(qsizetype position, qsizetype length);

private:
    qsizetype gapLength() const { return gapEnd - gapStart; }
    const char16_t* units() const { return reinterpret_cast<const char16_t*>(store.constData()); }
    char16_t* units() { return reinterpret_cast<char16_t*>(store.data()); }
    qsizetype logical(qsizetype physical) const {
        return physical < gapStart ? physical : physical - gapLength();
    }
    void moveGap(qsizetype position);
    void growGap(qsizetype needed);
    void indexBreaks();

    QString store;
    qsizetype gapStart = 0;
    qsizetype gapEnd = 0;
    // Where each '\n' sits in the store, in order. Storage positions do not change when text is
    // inserted or removed at the gap, so only breaks the gap moves across need updating.
    std::vector<qsizetype> breaks;
    qsizetype longest = 0;
};
