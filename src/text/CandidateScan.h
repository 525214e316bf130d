#pragma once

#include <QtGlobal>

// Where a match of a text could start: the unit there is one of `first` and the unit `distance`
// further on one of `last` (the first and the last unit of the text, in each of the cases
// that fold alike). Only there is the whole text worth comparing; these scans find such places
// in a piece of the buffer with vector instructions, AVX2 where the processor has it.
struct Candidates {
    // No code point shares its folding with more than three others; a count of -1 (more
    // than four, should that ever change) lets any unit pass.
    char16_t first[4];
    int firstCount = 0;
    char16_t last[4];
    int lastCount = 0;
    qsizetype distance = 0;
};

// The first candidate in [from, to), or to when there is none. data[s + distance] must be
// readable for every s in [from, to).
qsizetype nextCandidate(const uchar* data, qsizetype from, qsizetype to, const Candidates& c);
qsizetype nextCandidate(const char16_t* data, qsizetype from, qsizetype to, const Candidates& c);
// The last candidate in [from, to), or from - 1 when there is none.
qsizetype previousCandidate(const uchar* data, qsizetype from, qsizetype to, const Candidates& c);
qsizetype previousCandidate(const char16_t* data, qsizetype from, qsizetype to,
                            const Candidates& c);

// Makes the scans use SSE2 even where the processor has AVX2, so that tests reach both paths.
void forceSse2Scan(bool forced);
