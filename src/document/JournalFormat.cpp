#include "document/JournalFormat.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace JournalFormat {
namespace {
constexpr qsizetype frame = 1 + 4 + 4; // kind, payload length, CRC

constexpr std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<quint32, 256> table = crcTable();

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
    for (char c : bytes)
        crc = table[(crc ^ quint8(c)) & 0xFF] ^ (crc >> 8);
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
    close(out, start);
}

void appendCommit(QByteArray& out) {
    close(out, open(out, Kind::Commit));
}

Recovered read(QByteArrayView bytes) {
    Recovered done;
    if (!bytes.startsWith(Magic))
        return done;
    // Applied as read; at each commit the state is kept (a copy costs the number of pieces),
    // and anything invalid after it falls back to that.
    TextBuffer text;
    FileState file;
    bool hasText = false;
    done.validLength = Magic.size();
    qsizetype at = Magic.size();
    while (bytes.size() - at >= frame) {
        const auto kind = Kind(quint8(bytes[at]));
        const quint32 length = qFromLittleEndian<quint32>(bytes.data() + at + 1);
        if (quint64(length) > quint64(bytes.size() - at - frame))
            break;
        const QByteArrayView record = bytes.sliced(at, 5 + qsizetype(length));
        if (crc32(0, record) != qFromLittleEndian<quint32>(bytes.data() + at + 5 + length))
            break;
        Payload p{record.sliced(5)};
        bool valid = true;
        switch (kind) {
        case Kind::Reset:
            text = TextBuffer();
            hasText = true;
            break;
        case Kind::Insert: {
            const quint64 position = p.u64();
            const quint8 wide = p.u8();
            valid = !p.bad && hasText && position <= quint64(text.size()) && wide <= 1 &&
                    (!wide || p.rest.size() % 2 == 0);
            if (valid)
                text.insert(qsizetype(position),
                            wide ? Payload::utf16(p.rest) : QString::fromLatin1(p.rest));
            break;
        }
        case Kind::Remove: {
            const quint64 position = p.u64();
            const quint64 length = p.u64();
            valid = !p.bad && hasText && position <= quint64(text.size()) &&
                    length <= quint64(text.size()) - position;
            if (valid)
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
            valid = !p.bad && encoding <= quint8(TextEncoding::Utf16BigEndian);
            read.layout.encoding = TextEncoding(encoding);
            if (valid)
                file = std::move(read);
            break;
        }
        case Kind::Commit:
            at += frame + length;
            done.validLength = at;
            if (hasText) {
                done.text = text;
                done.file = file;
                done.hasText = true;
            }
            continue;
        default:
            valid = false;
        }
        if (!valid)
            break;
        at += frame + length;
    }
    return done;
}

} // namespace JournalFormat
