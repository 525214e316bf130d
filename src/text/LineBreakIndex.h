#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <vector>

// The positions of the line breaks of one text, in order, in about one or two bytes each rather
// than eight: blocks of 64 positions, each kept as a 64-bit base and the distances of the
// block's positions from it in 1, 2, 4 or 8 bytes, whichever the block's span needs. A document
// of 50 million empty lines is indexed in under 70 MB. Reading the n-th break is a lookup;
// finding the first break at or after a position is a binary search over the blocks, then
// within one. Each block also keeps its longest line, and a few levels of maxima over them
// answer the longest line between any two breaks in a few hundred steps.
class LineBreakIndex {
public:
    qsizetype size() const { return count; }
    qsizetype at(qsizetype i) const;
    // The index of the first break at or after position (size() when there is none).
    qsizetype lowerBound(qsizetype position) const;
    // Adds the breaks ('\n') of [begin, end), whose first character is at offset; every one
    // must come after those already there.
    void appendFrom(const char16_t* begin, const char16_t* end, qsizetype offset);
    void appendFrom(const char* begin, const char* end, qsizetype offset);
    void append(qsizetype position);
    // Makes room for about `breaks` breaks spread over `span` characters, in one allocation.
    void reserve(qsizetype breaks, qsizetype span);
    // Gives back spare capacity once the index is complete.
    void squeeze();

    // The longest line lying between two breaks of the index: its length, and the index of the
    // break that ends it (-1 and -1 when there is none).
    struct Line {
        qsizetype length = -1;
        qsizetype end = -1;
    };
    Line longestBetween(qsizetype first, qsizetype last) const;

private:
    static constexpr int blockBits = 6;
    static constexpr qsizetype blockSize = qsizetype(1) << blockBits;

    qsizetype lineEndingAt(qsizetype i) const { return at(i) - at(i - 1) - 1; }
    qsizetype delta(qsizetype block, qsizetype j) const;
    void flush();
    void pushLongest(qsizetype length);
    Line scan(qsizetype from, qsizetype to) const;
    // The greatest entry of levels[level][from, to) and its index.
    std::pair<qsizetype, qsizetype> levelMax(size_t level, qsizetype from, qsizetype to) const;

    // Per full block: its first position, where its distances start in `distances` (shifted
    // left by two, the low bits giving their width), and the longest line ending at one of its
    // breaks (the line before its first break included).
    std::vector<qsizetype> bases;
    std::vector<quint64> offsets;
    std::vector<std::vector<qsizetype>> levels; // levels[0]: per block; above, maxima of 64
    std::vector<uint8_t> distances;
    // The last, unfinished block, as plain positions.
    std::array<qsizetype, blockSize> tail{};
    qsizetype tailCount = 0;
    qsizetype count = 0;
    qsizetype lastFlushed = -1; // the last position of the full blocks
};
