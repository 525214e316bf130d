// The recovery journal's reader. Any bytes (torn, corrupt, foreign) read without a crash to the
// state of a complete commit; the bytes it says are valid read to the same state; and a batch
// appended after them, as the run that adopts a journal appends, is read on top of it.
#include "document/JournalFormat.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const JournalFormat::Recovered read = JournalFormat::read(bytes);
    check(read.validLength <= bytes.size(), "valid length within the bytes");
    if (!bytes.startsWith(JournalFormat::Magic))
        return 0;
    QByteArray valid = bytes.first(read.validLength);
    const JournalFormat::Recovered again = JournalFormat::read(valid);
    check(again.hasText == read.hasText, "the valid prefix reads the same");
    check(again.text.toString() == read.text.toString(), "the valid prefix reads the same text");
    JournalFormat::appendInsert(valid, 0, QStringView(u"\u00e9x"));
    JournalFormat::appendCommit(valid);
    const JournalFormat::Recovered appended = JournalFormat::read(valid);
    if (read.hasText)
        check(appended.text.toString() == QStringLiteral("\u00e9x") + read.text.toString(),
              "a batch appended after the valid prefix applies");
    return 0;
}
