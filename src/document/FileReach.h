#pragma once

#include <QByteArray>
#include <sys/stat.h>

// A file reached for writing without looking at any path twice. The walk opens each folder on
// the way (O_PATH) and takes the next name only relative to it; a symbolic link is opened
// itself, checked with the fstat of that descriptor and read from it, and its target walked the
// same way. So whatever was checked is what is written, whatever another user swaps in meanwhile.
struct ReachedFile {
    int folder = -1;           // the folder holding name, O_PATH
    int file = -1;             // the existing file itself, O_PATH; -1 when there is none
    QByteArray name;           // the last name, never a link
    struct stat info {};       // of file, when there is one
    bool sharedFolder = false; // sticky and writable by anyone, as /tmp
    uid_t folderOwner = 0;

    ReachedFile() = default;
    ReachedFile(const ReachedFile&) = delete;
    ReachedFile& operator=(const ReachedFile&) = delete;
    ~ReachedFile();
    bool exists() const { return file >= 0; }
};

// Walks path; answers 0, an errno, or FileCause::PlantedLink for a link in a shared folder that
// neither we nor the folder's owner own (the kernel's fs.protected_symlinks rule, applied
// whether it is switched on or not).
int reachFile(const QByteArray& path, ReachedFile& reached);

// The kernel's fs.protected_regular rule, always: in a shared folder a file or named pipe that
// neither we nor the folder's owner own is never opened for writing; someone could have made it
// in advance to receive what we write.
bool foreignInSharedFolder(const ReachedFile& reached, const struct stat& file);

// The path a name in a folder (a descriptor) has now, for messages and records.
QByteArray pathOf(int folder, const QByteArray& name);

// The user whose permissions file access uses (root's tests change it per thread).
uid_t fileSystemUser();
