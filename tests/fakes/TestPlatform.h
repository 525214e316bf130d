#pragma once

#include "app/SettingsStore.h"
#include "fakes/FakeCommonDialog.h"
#include "fakes/FakeFileTypeRegistry.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakePrinter.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystemRegistry.h"
#include "fakes/FakeTrayHost.h"
#include "platform/Platform.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A platform of fakes and a settings store in a fresh temporary folder, for one test.
struct TestPlatform {
    QTemporaryDir configDir;
    // The windows' recovery journals go here, never to the user's state folder: a folder of
    // their own unless a test that runs one window after another shares one.
    QTemporaryDir stateDir;
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
        qputenv("XDG_STATE_HOME",
                QFile::encodeName(sharedState.isEmpty() ? stateDir.path() : sharedState));
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
