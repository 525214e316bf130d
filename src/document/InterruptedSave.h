#pragma once

#include "basics/Failure.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <sys/stat.h>

// An in-place write (InPlaceWrite.h) first records what it is about to change, synced, in the
// state folder ($XDG_STATE_HOME/notavo, folder 0700, files 0600): the file and where the copy of
// its old bytes lies. The record goes once the write is complete or undone, so a record left
// behind means the write was cut off and the file may hold a mix of new and old bytes.
struct InterruptedSave {
    QString record; // the record's own path
    QString target; // the file that was being written
    quint64 device = 0;
    quint64 inode = 0;
    QString backup; // the copy of its old bytes
};

// The state folder; with make, made (0700) when missing, and empty when it cannot be.
QString stateFolder(bool make);

// Records, synced, that the file (by its folder's descriptor and name, and its fstat) is about to
// be written in place behind the backup; answers a descriptor that holds the record locked while
// the write runs, or -1 when it could not be written. recordPath gets its path.
int recordIntent(int folder, const QByteArray& name, const struct stat& file, const QString& backup,
                 QString& recordPath);
// The write is complete or undone: the record goes.
void dropIntent(int lock, const QString& recordPath);

// Records that no running write holds: the saves a kill or a crash cut off.
QList<InterruptedSave> interruptedSaves();
// The cut-off save of the file at path (found by its path or by what it is), if any.
std::optional<InterruptedSave> interruptedSaveOf(const QString& path);
// Puts the old bytes back (itself a safe write), then removes the backup and the record.
[[nodiscard]] std::optional<Failure> putBack(const InterruptedSave& save);
// Forgets the cut-off save: the record goes, the backup stays where it is.
void forget(const InterruptedSave& save);
