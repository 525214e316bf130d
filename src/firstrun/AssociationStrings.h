#pragma once

#include <QString>
#include <optional>

// What the .nv association names: the icon beside the program and the command that starts it.
struct AssociationStrings {
    QString iconPath;
    // The program path as one quoted Exec word of a desktop entry; empty when the path holds a
    // character that such a command line cannot carry (a newline or another control character).
    std::optional<QString> openCommand;
};

// The folder, one "/" unless the folder already ends with one, then the file name.
QString joinProgramFolder(const QString& folder, const QString& fileName);

// Quotes a path as one argument of a desktop entry's Exec value (before the file format's own
// string escaping): inside double quotes, '"', '`', '$' and '\' get a backslash and '%' is
// doubled so that no field code can appear.
std::optional<QString> quoteExecArgument(const QString& path);

AssociationStrings buildAssociation(const QString& programFolder, const QString& programFile);
