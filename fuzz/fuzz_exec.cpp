// The Exec line of the desktop entry for any program path. Read back as a desktop environment
// reads it -- the file's string escapes first, then the Exec quoting, then the field codes -- it
// must be exactly one argument, the program's path; otherwise the builder must refuse.
#include "firstrun/AssociationStrings.h"
#include "platform/DesktopEntryText.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// The value of a "key=value" line as a reader has it: blanks after '=' dropped, then \s \n \t
// \r \\ undone. A line break or other control character would have split or spoiled the line.
std::optional<QString> readValue(const QString& written) {
    QString line = written;
    while (line.startsWith(u' ') || line.startsWith(u'\t'))
        line.remove(0, 1);
    QString out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (c < 0x20 || c == 0x7f)
            return std::nullopt;
        if (c != u'\\') {
            out += line[i];
            continue;
        }
        if (++i == line.size())
            return std::nullopt;
        switch (line[i].unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '\\':
            out += u'\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The Exec arguments: blanks separate them; a double-quoted argument takes \" \` \$ \\ as the
// escaped character; an unquoted argument may hold none of the reserved characters. Field codes
// are expanded afterwards: "%%" is '%', any other '%' code is rejected here.
std::optional<QStringList> execArguments(const QString& exec) {
    QStringList args;
    qsizetype i = 0;
    while (i < exec.size()) {
        if (exec[i] == u' ') {
            ++i;
            continue;
        }
        QString arg;
        if (exec[i] == u'"') {
            ++i;
            while (true) {
                if (i == exec.size())
                    return std::nullopt; // unterminated
                const QChar c = exec[i++];
                if (c == u'"')
                    break;
                if (c == u'\\') {
                    if (i == exec.size())
                        return std::nullopt;
                    const QChar e = exec[i++];
                    if (e != u'"' && e != u'`' && e != u'$' && e != u'\\')
                        return std::nullopt;
                    arg += e;
                } else if (c == u'`' || c == u'$') {
                    return std::nullopt; // must have been escaped
                } else {
                    arg += c;
                }
            }
            if (i < exec.size() && exec[i] != u' ')
                return std::nullopt; // text glued to the closing quote
        } else {
            while (i < exec.size() && exec[i] != u' ') {
                if (QStringLiteral("\t\n\"'\\><~|&;$*?#()`").contains(exec[i]))
                    return std::nullopt;
                arg += exec[i++];
            }
        }
        QString expanded;
        for (qsizetype k = 0; k < arg.size(); ++k) {
            if (arg[k] != u'%') {
                expanded += arg[k];
            } else if (k + 1 < arg.size() && arg[k + 1] == u'%') {
                expanded += u'%';
                ++k;
            } else {
                return std::nullopt; // a field code the program did not ask for
            }
        }
        args << expanded;
    }
    return args;
}

bool hasControl(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The program's folder and file name, split at the first NUL (which a path cannot hold).
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t cut = 0;
    while (cut < size && data[cut] != 0)
        ++cut;
    const QString folder = QString::fromUtf8(text, qsizetype(cut));
    const QString file =
        cut < size ? QString::fromUtf8(text + cut + 1, qsizetype(size - cut - 1)) : QString();
    if (file.isEmpty() || file.contains(u'/') || file.contains(QChar(0)))
        return 0;
    const QString program = joinProgramFolder(folder, file);

    const AssociationStrings strings = buildAssociation(folder, file);
    check(strings.iconPath.endsWith(QStringLiteral("/notavo_logo.ico")), "icon beside program");
    if (!strings.openCommand) {
        check(hasControl(program), "refused a path that could be quoted");
        return 0;
    }
    const auto written = DesktopEntryText::escapeValue(*strings.openCommand);
    if (!written) {
        check(hasControl(*strings.openCommand), "refused an Exec value that could be written");
        return 0;
    }
    const auto value = readValue(*written);
    check(value.has_value(), "the Exec line does not read as a value");
    check(*value == *strings.openCommand, "string escapes did not give the command back");
    const auto args = execArguments(*value);
    check(args.has_value(), "the Exec value does not split into arguments");
    check(args->size() == 1, "the Exec value is not exactly one argument");
    check(args->first() == program, "the argument is not the program's path");
    return 0;
}
