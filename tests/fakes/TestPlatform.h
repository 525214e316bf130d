#pragma once

#include "fakes/FakeCommonDialog.h"
#include "fakes/FakeFileTypeRegistry.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakePrinter.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystemRegistry.h"
#include "fakes/FakeTrayHost.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>

// A platform of fakes and a settings store in a fresh temporary folder, for one test.
struct TestPlatform {
    QTemporaryDir configDir;
    // A folder for the windows' recovery journals that several windows, one after another,
    // share (a test of recovery, the helper a test kills); otherwise the process's own.
    static inline QString sharedState;
    SettingsStore settings{configDir.path()};
    FakeCommonDialog dialogs;
    FakeMessageBox messages;
    FakeFileTypeRegistry fileTypes;
    FakePrinter printer;
    FakeTrayHost tray;
    FakeSystemRegistry registry;
    FakeShell shell;
    Platform platform;

    TestPlatform() {
        // The first window of a process never sees the user's journals, nor leaves its own
        // there; a test that sets XDG_STATE_HOME itself after that keeps its choice.
        static QTemporaryDir processState;
        static bool isolated = false;
        if (!sharedState.isEmpty())
            qputenv("XDG_STATE_HOME", QFile::encodeName(sharedState));
        else if (!std::exchange(isolated, true))
            qputenv("XDG_STATE_HOME", QFile::encodeName(processState.path()));
        platform.dlgFile = &dialogs;
        platform.messageBox = &messages;
        platform.fileTypes = &fileTypes;
        platform.printer = &printer;
        platform.trayHost = &tray;
        platform.registry = &registry;
        platform.shell = &shell;
    }
    QString setting(const QString& section, const QString& key) const {
        return settings.ReadSetting(SettingsStore::SettingsAppName(), section, key,
                                    u"<missing>"_qs);
    }
    void store(const QString& section, const QString& key, const QString& text) {
        settings.WriteSetting(SettingsStore::SettingsAppName(), section, key, text);
    }
    // Several keys of one section, each given as "key=text".
    void store(const QString& section, const QStringList& entries) {
        for (const QString& entry : entries)
            store(section, entry.section(u'=', 0, 0), entry.section(u'=', 1));
    }
};
