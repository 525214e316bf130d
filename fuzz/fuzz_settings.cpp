// Settings texts and the settings file. Any text converts to a value or to nothing (the caller's
// default), and a value's own text converts back to it. Any file content reads without a crash,
// and a value written reads back exactly, whatever it holds (line breaks, '\', '=', '['), while
// the other keys keep theirs.
#include "settings/SettingsCodec.h"
#include "settings/SettingsStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QTemporaryDir* folder = nullptr;
SettingsStore* store = nullptr;
const QString app = QStringLiteral("fuzz");

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

void conversions(const QString& text) {
    using namespace SettingsCodec;
    if (const auto n = toLong(text))
        check(toLong(fromLong(*n)) == n, "a whole number's text reads back");
    if (const auto n = toInteger(text))
        check(toInteger(fromLong(*n)) == n, "an Integer's text reads back");
    if (const auto b = toBool(text))
        check(toBool(fromBool(*b)) == b, "a Boolean's text reads back");
    if (const auto f = toSingle(text)) {
        check(std::isfinite(*f), "a Single read as infinite or NaN");
        check(toSingle(fromSingle(*f)) == f, "a Single's text reads back");
    }
}

// Sections and keys as the program names them (no "=", no blanks at the ends), in odd cases so
// that matching without regard to case is exercised.
const char* const sections[] = {"Settings", "settings", "Recent", "[x]", "Window Pos"};
const char* const keys[] = {"Size", "SIZE", "Name", "Find What", "Top"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Under /dev/shm when there is one: every run writes the file several times.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    folder = new QTemporaryDir(base + QStringLiteral("/notavo-fuzz-XXXXXX"));
    store = new SettingsStore(folder->path());
    QDir().mkpath(folder->path() + QStringLiteral("/notavo"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Layout: a selector byte, the value to write, a NUL, the file's content.
    if (size < 1)
        return 0;
    const unsigned selector = data[0];
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const std::size_t restSize = size - 1;
    const char* nul = static_cast<const char*>(std::memchr(rest, 0, restSize));
    const qsizetype valueSize = nul ? nul - rest : qsizetype(restSize);
    const QString value = QString::fromUtf8(rest, valueSize);
    const QByteArray content =
        nul ? QByteArray(nul + 1, qsizetype(restSize) - valueSize - 1) : QByteArray();

    conversions(value);
    conversions(QString::fromUtf8(rest, qsizetype(restSize)));

    const QString path = store->filePath(app);
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the test file opens");
        file.write(content);
    }
    const QString section = QString::fromLatin1(sections[selector % 5]);
    const QString key = QString::fromLatin1(keys[(selector / 5) % 5]);
    const QString otherSection = QString::fromLatin1(sections[(selector / 25) % 5]);
    const QString otherKey = QString::fromLatin1(keys[(selector / 125 + 1 + selector) % 5]);
    const QString missing = QStringLiteral("\x01missing");

    // Any content: a value or the default, no crash.
    store->ReadSetting(app, section, key, missing);
    const bool sameKey = section.compare(otherSection, Qt::CaseInsensitive) == 0 &&
                         key.compare(otherKey, Qt::CaseInsensitive) == 0;
    const QString otherBefore = store->ReadSetting(app, otherSection, otherKey, missing);

    check(store->WriteSetting(app, section, key, value), "a write succeeds");
    check(store->ReadSetting(app, section, key, missing) == value, "a written value reads back");
    if (!sameKey)
        check(store->ReadSetting(app, otherSection, otherKey, missing) == otherBefore,
              "a write changed another key");
    return 0;
}
