#pragma once

#include <QString>

// Where Save and auto-save write without asking. A location in use always has a path. Clear
// forgets it, so that they ask again, but keeps the path: the window may still name that file
// and the recovery journal records it.
class SaveLocation {
public:
    SaveLocation() = default; // none: Save asks where
    static SaveLocation at(const QString& path) {
        SaveLocation location;
        location.where = path;
        location.used = !path.isEmpty();
        return location;
    }
    // No longer written to without asking.
    SaveLocation forgotten() const {
        SaveLocation location = *this;
        location.used = false;
        return location;
    }
    bool inUse() const { return used; }
    const QString& path() const { return where; }
    bool operator==(const SaveLocation&) const = default;

private:
    QString where;
    bool used = false;
};
