#pragma once

#include "basics/Failure.h"
#include "document/DocumentFile.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct ReachedFile;

// Replaces the content of an existing regular file in the file itself, for when a rename would
// lose what the file carries (its owner, group, ACLs, attributes or other hard links) or its
// folder may not be written. The file is opened through its folder's descriptor, never through a
// link, and checked on that descriptor (another user's file in a shared folder, a changed stamp)
// before a byte is written. First a copy of the old bytes is made and synced: beside the file
// (".<name>.notavo-backup-XXXXXX") when the folder takes it, otherwise in the user's state
// folder ($XDG_STATE_HOME/notavo/backups, by default ~/.local/state/notavo/backups, named
// "<name>.notavo-backup-XXXXXX"). Then the new bytes are written and synced, and the copy is
// removed. A failure or a cancel on the way puts the old bytes back; only when even that fails
// is the copy kept, and the failure names it. After a crash in the middle the copy is where the
// old bytes are.
[[nodiscard]] std::optional<Failure> replaceInPlace(const QString& path, const ReachedFile& target,
                                                    const ByteSource& source,
                                                    const ByteProgress& progress,
                                                    WriteStamps* stamps);

// Where copies of files in folders we may not write go.
QString backupFolder();
