#include "document/JournalFormat.h"

#include <QtEndian>
#include <array>
#include <cstring>
#include <vector>

namespace JournalFormat {
namespace {
constexpr qsizetype frame = 1 + 4 + 4; // kind, payload length, CRC

// Eight tables, so that the CRC takes eight bytes a step (the common slicing-by-8 method).
using CrcTables = std::array<std::array<quint32, 256>, 8>;
constexpr CrcTables crcTables() {
    CrcTables tables{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (quint32 i = 0; i < 256; ++i)
        for (size_t t = 1; t < 8; ++t)
            tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFF];
    return tables;
}
constexpr CrcTables table = crcTables();

void put32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
void put64(QByteArray& out, quint64 value) {
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}
void putString(QByteArray& out, QStringView text) {
    put32(out, quint32(text.size()));
    for (QChar c : text) {
        char bytes[2];
        qToLittleEndian(c.unicode(), bytes);
        out.append(bytes, 2);
    }
}
void putBytes(QByteArray& out, QByteArrayView bytes) {
    put32(out, quint32(bytes.size()));
    out.append(bytes);
}

// Starts a record whose payload the caller appends; close() writes its length and CRC.
qsizetype open(QByteArray& out, Kind kind) {
    const qsizetype start = out.size();
    out.append(char(kind));
    put32(out, 0);
    return start;
}
void close(QByteArray& out, qsizetype start) {
    const quint32 length = quint32(out.size() - start - 5);
    qToLittleEndian(length, out.data() + start + 1);
    put32(out, crc32(0, QByteArrayView(out).sliced(start)));
}

// Reads a payload front to back; any read past its end marks it bad.
struct Payload {
    QByteArrayView rest;
    bool bad = false;
    QByteArrayView take(qsizetype n) {
        if (bad || n < 0 || n > rest.size()) {
            bad = true;
            return {};
        }
        const QByteArrayView taken = rest.first(n);
        rest = rest.sliced(n);
        return taken;
    }
    quint64 u64() {
        const QByteArrayView b = take(8);
        return bad ? 0 : qFromLittleEndian<quint64>(b.data());
    }
    quint32 u32() {
        const QByteArrayView b = take(4);
        return bad ? 0 : qFromLittleEndian<quint32>(b.data());
    }
    quint8 u8() {
        const QByteArrayView b = take(1);
        return bad ? 0 : quint8(b[0]);
    }
    QString string() {
        const QByteArrayView b = take(qsizetype(u32()) * 2);
        return bad ? QString() : utf16(b);
    }
    QByteArray bytes() { return take(u32()).toByteArray(); }
    static QString utf16(QByteArrayView b) {
        QString text(b.size() / 2, Qt::Uninitialized);
        qFromLittleEndian<quint16>(b.data(), b.size() / 2, text.data());
        return text;
    }
};
} // namespace

quint32 crc32(quint32 crc, QByteArrayView bytes) {
    crc = ~crc;
    const auto* at = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype n = bytes.size();
    for (; n >= 8; n -= 8, at += 8) {
        const quint32 low = qFromLittleEndian<quint32>(at) ^ crc;
        const quint32 high = qFromLittleEndian<quint32>(at + 4);
        crc = table[7][low & 0xFF] ^ table[6][(low >> 8) & 0xFF] ^ table[5][(low >> 16) & 0xFF] ^
              table[4][low >> 24] ^ table[3][high & 0xFF] ^ table[2][(high >> 8) & 0xFF] ^
              table[1][(high >> 16) & 0xFF] ^ table[0][high >> 24];
    }
    for (; n > 0; --n, ++at)
        crc = table[0][(crc ^ *at) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void appendReset(QByteArray& out) {
    close(out, open(out, Kind::Reset));
}

void appendInsert(QByteArray& out, qsizetype position, QStringView text) {
    const qsizetype start = open(out, Kind::Insert);
    put64(out, quint64(position));
    out.append(char(1));
    const qsizetype at = out.size();
    out.resize(at + text.size() * 2);
    qToLittleEndian<quint16>(text.utf16(), text.size(), out.data() + at);
    close(out, start);
}

void appendInsert(QByteArray& out, qsizetype position, QLatin1StringView text) {
    const qsizetype start = open(out, Kind::Insert);
    put64(out, quint64(position));
    out.append(char(0));
    out.append(text.data(), text.size());
    close(out, start);
}

void appendInsert(QByteArray& out, qsizetype position, QUtf8StringView text) {
    appendInsert(out, position, QStringView(QString::fromUtf8(text)));
}

void appendRemove(QByteArray& out, qsizetype position, qsizetype length) {
    const qsizetype start = open(out, Kind::Remove);
    put64(out, quint64(position));
    put64(out, quint64(length));
    close(out, start);
}

void appendFile(QByteArray& out, const FileState& file) {
    const qsizetype start = open(out, Kind::File);
    putString(out, file.savePath);
    out.append(char(file.hasSavePath));
    putString(out, file.name);
    putString(out, file.location);
    putString(out, file.caption);
    out.append(char(file.layout.encoding));
    out.append(char(file.layout.byteOrderMark));
    putBytes(out, file.layout.defaultBreak);
    putBytes(out, file.layout.breakStyles);
    putBytes(out, file.layout.trailingBytes);
    for (const qint64 part : {qint64(file.stamp.device), qint64(file.stamp.inode), file.stamp.size,
                              file.stamp.seconds, file.stamp.nanoseconds})
        put64(out, quint64(part));
    close(out, start);
}

void appendCommit(QByteArray& out) {
    close(out, open(out, Kind::Commit));
}

namespace {
struct Span {
    const void* data; // Latin-1 bytes, or UTF-16 when wide
    qsizetype length;
    bool wide;
};

struct Record {
    Kind kind;
    QByteArrayView payload;
    qsizetype end; // where the next record starts
};

// The text being replayed, as stretches of the journal's own bytes (Latin-1) and of decoded
// UTF-16, in blocks of a few hundred: an edit costs the number of blocks plus one block, so
// 10,000 edits of a large text replay in milliseconds; the text is built once at the end.
class Replay {
public:
    qsizetype size() const { return total; }
    void reset() {
        blocks.clear();
        total = 0;
    }
    void insert(qsizetype position, Span span) {
        if (span.length == 0)
            return;
        auto [b, i] = split(position);
        if (b == blocks.size())
            blocks.push_back({});
        Block& block = blocks[b];
        block.spans.insert(block.spans.begin() + qsizetype(i), span);
        block.length += span.length;
        total += span.length;
        if (block.spans.size() > 2 * blockSpans) {
            Block half;
            half.spans.assign(block.spans.begin() + blockSpans, block.spans.end());
            block.spans.resize(blockSpans);
            for (const Span& moved : half.spans)
                half.length += moved.length;
            block.length -= half.length;
            blocks.insert(blocks.begin() + qsizetype(b) + 1, std::move(half));
        }
    }
    void remove(qsizetype position, qsizetype length) {
        if (length == 0)
            return;
        split(position + length);
        auto [b, i] = split(position);
        total -= length;
        while (length > 0) {
            Block& block = blocks[b];
            while (length > 0 && i < block.spans.size()) {
                length -= block.spans[i].length;
                block.length -= block.spans[i].length;
                block.spans.erase(block.spans.begin() + qsizetype(i));
            }
            if (block.spans.empty())
                blocks.erase(blocks.begin() + qsizetype(b));
            else
                ++b;
            i = 0;
        }
    }
    TextBuffer build() const {
        TextBuffer::Builder builder;
        for (const Block& block : blocks)
            for (const Span& span : block.spans)
                if (span.wide)
                    builder.append(
                        QStringView(static_cast<const char16_t*>(span.data), span.length));
                else
                    builder.append(
                        QLatin1StringView(static_cast<const char*>(span.data), span.length));
        return builder.take();
    }

private:
    static constexpr size_t blockSpans = 256;
    struct Block {
        std::vector<Span> spans;
        qsizetype length = 0;
    };
    // Makes position a span boundary: the block and span starting there (or the end).
    std::pair<size_t, size_t> split(qsizetype position) {
        size_t b = 0;
        while (b < blocks.size() && position >= blocks[b].length && position > 0) {
            position -= blocks[b].length;
            ++b;
        }
        if (b == blocks.size())
            return {b == 0 ? 0 : b - 1, b == 0 ? 0 : blocks[b - 1].spans.size()};
        std::vector<Span>& spans = blocks[b].spans;
        size_t i = 0;
        while (position >= spans[i].length && position > 0) {
            position -= spans[i].length;
            ++i;
        }
        if (position > 0) {
            Span tail = spans[i];
            const size_t unit = tail.wide ? 2 : 1;
            tail.data = static_cast<const char*>(tail.data) + size_t(position) * unit;
            tail.length -= position;
            spans[i].length = position;
            spans.insert(spans.begin() + qsizetype(i) + 1, tail);
            ++i;
        }
        return {b, i};
    }

    std::vector<Block> blocks;
    qsizetype total = 0;
};

// Applies the records in order; answers the index of the first that does not fit (a position
// outside the text, a malformed payload), or the count when all did.
size_t apply(const std::vector<Record>& records, size_t count, Replay& text,
             std::vector<QString>& decoded, FileState& file, bool& hasText) {
    for (size_t i = 0; i < count; ++i) {
        Payload p{records[i].payload};
        switch (records[i].kind) {
        case Kind::Reset:
            text.reset();
            hasText = true;
            break;
        case Kind::Insert: {
            const quint64 position = p.u64();
            const quint8 wide = p.u8();
            if (p.bad || !hasText || position > quint64(text.size()) || wide > 1 ||
                (wide && p.rest.size() % 2 != 0))
                return i;
            Span span{p.rest.data(), p.rest.size(), false};
            if (wide) {
                decoded.push_back(Payload::utf16(p.rest));
                span = {decoded.back().utf16(), decoded.back().size(), true};
            }
            text.insert(qsizetype(position), span);
            break;
        }
        case Kind::Remove: {
            const quint64 position = p.u64();
            const quint64 length = p.u64();
            if (p.bad || !hasText || position > quint64(text.size()) ||
                length > quint64(text.size()) - position)
                return i;
            text.remove(qsizetype(position), qsizetype(length));
            break;
        }
        case Kind::File: {
            FileState read;
            read.savePath = p.string();
            read.hasSavePath = p.u8() != 0;
            read.name = p.string();
            read.location = p.string();
            read.caption = p.string();
            const quint8 encoding = p.u8();
            read.layout.byteOrderMark = p.u8() != 0;
            read.layout.defaultBreak = p.bytes();
            read.layout.breakStyles = p.bytes();
            read.layout.trailingBytes = p.bytes();
            if (!p.rest.isEmpty())
                read.stamp = {p.u64(), p.u64(), qint64(p.u64()), qint64(p.u64()), qint64(p.u64())};
            if (p.bad || encoding > quint8(TextEncoding::EucKr))
                return i;
            read.layout.encoding = TextEncoding(encoding);
            file = std::move(read);
            break;
        }
        case Kind::Commit:
            break;
        default:
            return i;
        }
    }
    return count;
}
} // namespace

Recovered read(QByteArrayView bytes) {
    Recovered done;
    if (!bytes.startsWith(Magic))
        return done;
    done.validLength = Magic.size();
    // First the frames, up to the first whose length or CRC is wrong: a torn or damaged tail.
    std::vector<Record> records;
    size_t committed = 0; // records up to and including the last commit
    for (qsizetype at = Magic.size(); bytes.size() - at >= frame;) {
        const quint32 length = qFromLittleEndian<quint32>(bytes.data() + at + 1);
        if (quint64(length) > quint64(bytes.size() - at - frame))
            break;
        const QByteArrayView record = bytes.sliced(at, 5 + qsizetype(length));
        if (crc32(0, record) != qFromLittleEndian<quint32>(bytes.data() + at + 5 + length))
            break;
        at += frame + length;
        records.push_back({Kind(quint8(record[0])), record.sliced(5), at});
        if (records.back().kind == Kind::Commit)
            committed = records.size();
    }
    // Then the text, replayed once; only a record that passes its CRC yet does not fit (never
    // written by us) makes it start again, up to the commit before that record.
    for (;;) {
        Replay text;
        std::vector<QString> decoded;
        FileState file;
        bool hasText = false;
        const size_t applied = apply(records, committed, text, decoded, file, hasText);
        if (applied == committed) {
            if (committed > 0)
                done.validLength = records[committed - 1].end;
            done.hasText = hasText;
            if (hasText) {
                done.text = text.build();
                done.file = std::move(file);
            }
            return done;
        }
        while (committed > 0 &&
               (committed > applied || records[committed - 1].kind != Kind::Commit))
            --committed;
    }
}

} // namespace JournalFormat
