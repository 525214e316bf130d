#include "document/DocumentFile.h"

#include <QFile>
#include <QSaveFile>

// Placeholder until the atomic, fully reported file layer lands.

std::optional<Failure> readDocumentFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{53, QStringLiteral("Open"), QStringLiteral("Cannot open ") + path};
    bytes = file.readAll();
    return std::nullopt;
}

std::optional<Failure> replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failure{75, QStringLiteral("Save"), QStringLiteral("Cannot write ") + path};
    return std::nullopt;
}

std::optional<Failure> appendToFile(const QString& path, const QByteArray& bytes) {
    QByteArray old;
    if (QFile::exists(path))
        if (auto failure = readDocumentFile(path, old))
            return failure;
    return replaceFile(path, old + bytes);
}
