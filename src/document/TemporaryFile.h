#pragma once

#include "document/DocumentFile.h"

#include <QByteArray>
#include <sys/stat.h>

// The hidden file a save writes in full beside its target before renaming it over the target:
// ".<name>.notavo-XXXXXX", with XXXXXX six random letters or digits.

// A name for the folder (a descriptor) made of prefix + fileName + suffix, where the suffix ends
// in "XXXXXX". fileName is cut, counted in bytes and at a character's start, so that the name
// fits the folder's limit (255 bytes on most file systems).
QByteArray namedAfter(int folder, const QByteArray& prefix, const QByteArray& fileName,
                      const QByteArray& suffix);
// Creates a new file (O_EXCL, never through a link) in the folder named after pattern, its
// XXXXXX made random; answers the descriptor, or -1 with errno.
int createUnique(int folder, QByteArray& name, const QByteArray& pattern, mode_t mode);
inline const QByteArray temporarySuffix = QByteArrayLiteral(".notavo-XXXXXX");

// The temporary could not be given the old file's owner, group, ACLs or extended attributes
// (or not be created in the folder): the old file is to be written in place instead.
inline constexpr int cannotKeep = -100;

// Writes what the source makes into a new temporary (named after pattern, see above) in the
// folder (a descriptor), synced, with the mode, and, when old is given, the owner, group and
// extended attributes (ACLs among them) of the old file, oldFile (a descriptor). Answers 0 with
// its name in name, an errno, or cannotKeep. On success lock is a descriptor of the file holding
// a lock on it, which the caller closes once the file is renamed: that tells leftovers of a
// killed writer from files being written.
int writeTemporary(int folder, const QByteArray& pattern, const ByteSource& source, mode_t mode,
                   const struct stat* old, int oldFile, QByteArray& name, int& lock,
                   const ByteProgress& progress);

// Removes what killed saves left in the folder (a descriptor): hidden temporaries of our naming
// that we own, that no writer holds locked (and, when empty, that nobody wrote for a minute).
// Never anything else.
void removeLeftovers(int folder);
