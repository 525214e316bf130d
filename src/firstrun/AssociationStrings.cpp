#include "firstrun/AssociationStrings.h"

QString joinProgramFolder(const QString& folder, const QString& fileName) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

std::optional<QString> quoteExecArgument(const QString& path) {
    QString quoted;
    quoted.reserve(path.size() + 8);
    quoted += QLatin1Char('"');
    for (const QChar c : path) {
        // Control characters have no escape in a quoted Exec argument that every launcher reads
        // alike; a command that might run something else is worse than none.
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        switch (c.unicode()) {
        case '"':
        case '`':
        case '$':
        case '\\':
            quoted += QLatin1Char('\\');
            quoted += c;
            break;
        case '%':
            quoted += QLatin1String("%%");
            break;
        default:
            quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

AssociationStrings buildAssociation(const QString& programFolder, const QString& programFile) {
    return {joinProgramFolder(programFolder, QStringLiteral("notavo_logo.ico")),
            quoteExecArgument(joinProgramFolder(programFolder, programFile))};
}
