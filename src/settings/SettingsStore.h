#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The per-user settings: text values addressed by application name, section and key, kept in
// an INI file per application name under the user's configuration folder
// ($XDG_CONFIG_HOME/notavo/<application name>.ini). Every read goes to the file and every write
// replaces it atomically, so two running instances see each other's writes at their next read.
class SettingsStore {
public:
    // configRoot empty: the user's configuration folder (XDG_CONFIG_HOME, or ~/.config).
    explicit SettingsStore(QString configRoot = QString());

    // The running executable's file name without folder and extension, taken at every call.
    static QString SettingsAppName();

    QString ReadSetting(const QString& appName, const QString& section, const QString& key,
                        const QString& defaultText) const;
    // False when the store could not be written; the old file is then left as it was.
    bool WriteSetting(const QString& appName, const QString& section, const QString& key,
                      const QString& text);

    // Typed reads under SettingsAppName(): a stored text that does not convert counts as
    // missing, so the default applies.
    std::int32_t readLong(const QString& section, const QString& key,
                          std::int32_t defaultValue) const;
    std::int16_t readInteger(const QString& section, const QString& key,
                             std::int16_t defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    float readSingle(const QString& section, const QString& key, float defaultValue) const;
    QString readText(const QString& section, const QString& key, const QString& defaultValue) const;
    bool write(const QString& section, const QString& key, const QString& text);

    QString filePath(const QString& appName) const;

private:
    QString root;
};
