#pragma once

#include "document/Document.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

// A main window on fakes with a scratch folder, for the document command tests.
struct DocumentWindow {
    TestPlatform t;
    MainWindow w{t.platform, t.settings};
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    void run(const char* action) { w.action(QLatin1String(action))->trigger(); }
    QString name() const { return w.fNameString()->text(); }
    QString location() const { return w.fileDirText()->toPlainText(); }
    // What the window shows of its document: caption, name, location and status.
    QStringList shown() const { return {w.windowTitle(), name(), location(), w.statusText()}; }
    // The last message box, or an empty record when none was shown.
    FakeMessageBox::Call lastBox() const {
        return t.messages.calls.isEmpty() ? FakeMessageBox::Call{} : t.messages.calls.last();
    }
};

inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Open Custom and Convert File offer seven kinds.
inline const QString SevenKinds =
    u"Notavo Files (*.nv)|*.nv|Text Files (*.txt)|*.txt|DAT File (Data File) (*.dat)|*.dat|"
    "PWN Script (*.pwn)|*.pwn|PWN Include (*.inc)|*.inc|Configuration File (*.cfg)|*.cfg|"
    "Other (*.*)|*.*"_qs;

inline const QString AbortedLine =
    u"\rNotavo has aborted this operation to prevent a fatal crash."_qs;
