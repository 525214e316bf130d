#include "app/ColourValue.h"
#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "fakes/TestPlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QtTest>

namespace {
QColor background(const QWidget* control) {
    return control->palette().color(QPalette::Window);
}

QList<QColor> sixBackgrounds(const frmMain& w) {
    return {w.formBackground(),    background(w.frame()),       background(w.fLocation()),
            background(w.fName()), background(w.fNameString()), background(w.autosavecheck())};
}

QString settingsFile(const TestPlatform& t) {
    QFile file(t.settings.filePath(SettingsStore::SettingsAppName()));
    if (!file.open(QIODevice::ReadOnly))
        return u"<no file>"_qs;
    return QString::fromUtf8(file.readAll());
}
} // namespace

class tst_appearance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cancelChangesNothing();
    void backgroundColour();
    void fontWithFractionalSize();
    void fontColour();
    void failedWriteIsReported();
};

void tst_appearance::cancelChangesNothing() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    const QList<QColor> before = sixBackgrounds(w);
    const QFont font = w.txtMain().font();
    const QColor text = w.txtMain().textColor();
    for (const char* name : {"mnuBackgroundCol", "mnuFont", "mnuFontColour"}) {
        t.dialogs.queueCancel();
        w.action(QLatin1String(name))->trigger();
    }
    QCOMPARE(t.dialogs.calls.size(), 3);
    QCOMPARE(t.dialogs.calls[0].title, u"Notavo | Background Colour"_qs);
    QCOMPARE(t.dialogs.calls[0].color, DesignedBackground); // starts from the present colour
    QCOMPARE(t.dialogs.calls[1].kind, FakeCommonDialog::Font);
    QCOMPARE(t.dialogs.calls[1].title, u"Notavo | Choose Font"_qs);
    QCOMPARE(t.dialogs.calls[1].flags, 1);
    QCOMPARE(t.dialogs.calls[1].font.size, 8.25f);
    QCOMPARE(t.dialogs.calls[2].title, u"Notavo | Text Colour"_qs);
    QCOMPARE(t.dialogs.calls[2].color, 0); // black text
    QCOMPARE(sixBackgrounds(w), before);
    QCOMPARE(w.txtMain().font(), font);
    QCOMPARE(w.txtMain().textColor(), text);
    QCOMPARE(settingsFile(t), u"<no file>"_qs);
    QVERIFY(t.messages.calls.isEmpty());
}

void tst_appearance::backgroundColour() {
    TestPlatform t;
    {
        frmMain w(t.platform, t.settings);
        const QColor editBase = w.txtMain().widget()->palette().color(QPalette::Base);
        const std::int32_t chosen = 0x00336699; // red 0x99, green 0x66, blue 0x33
        t.dialogs.queueColor(chosen);
        w.action(u"mnuBackgroundCol"_qs)->trigger();
        const QColor colour = colourFromValue(chosen);
        QCOMPARE(sixBackgrounds(w), QList<QColor>(6, colour));
        QCOMPARE(w.fileDirText()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(w.txtMain().widget()->palette().color(QPalette::Base), editBase);
        QVERIFY(w.tlBar()->palette().color(QPalette::Window) != colour);
        QCOMPARE(settingsFile(t), u"[data-col]\nformcol=3368601\nframecol=3368601\n"
                                  "filelocation=3368601\nfilename=3368601\n"
                                  "filenamestring=3368601\nautosavecheck=3368601\n"
                                  "gotcolour=1\n"_qs);
        // A second choice starts from the first and replaces it.
        t.dialogs.queueColor(255);
        w.action(u"mnuBackgroundCol"_qs)->trigger();
        QCOMPARE(t.dialogs.calls.last().color, chosen);
    }
    frmMain next(t.platform, t.settings); // the next start
    QCOMPARE(sixBackgrounds(next), QList<QColor>(6, QColor(255, 0, 0)));
    QVERIFY(t.messages.calls.isEmpty());
}

void tst_appearance::fontWithFractionalSize() {
    TestPlatform t;
    {
        frmMain w(t.platform, t.settings);
        w.txtMain().setText(u"first\nsecond"_qs);
        t.dialogs.queueFont(FontChoice{u"DejaVu Serif"_qs, true, true, 8.25f});
        w.action(u"mnuFont"_qs)->trigger();
        const QFont font = w.txtMain().font();
        QCOMPARE(font.family(), u"DejaVu Serif"_qs);
        QVERIFY(font.bold() && font.italic());
        QCOMPARE(font.pointSizeF(), 8.25);
        QVERIFY(!font.underline() && !font.strikeOut());
        // One font for the whole box: every line is drawn in the box's font.
        QCOMPARE(w.txtMain().widget()->font().family(), u"DejaVu Serif"_qs);
        QCOMPARE(settingsFile(t), u"[data-font]\nfontname=DejaVu Serif\n"
                                  "fontbold=True\nfontitalic=True\n"
                                  "fontsize=8.25\ngotfont=1\n"_qs);

        t.dialogs.queueFont(FontChoice{u"DejaVu Sans"_qs, false, false, 12.0f});
        w.action(u"mnuFont"_qs)->trigger();
        QCOMPARE(t.dialogs.calls.last().font.name, u"DejaVu Serif"_qs);
        QCOMPARE(t.dialogs.calls.last().font.size, 8.25f);
        QCOMPARE(t.setting(u"data-font"_qs, u"fontsize"_qs), u"12"_qs);
        QCOMPARE(t.setting(u"data-font"_qs, u"fontbold"_qs), u"False"_qs);
        t.dialogs.queueFont(FontChoice{u"DejaVu Serif"_qs, true, false, 8.25f});
        w.action(u"mnuFont"_qs)->trigger();
    }
    frmMain next(t.platform, t.settings);
    const QFont font = next.txtMain().font();
    QCOMPARE(font.family(), u"DejaVu Serif"_qs);
    QCOMPARE(font.pointSizeF(), 8.25);
    QVERIFY(font.bold() && !font.italic());
}

void tst_appearance::fontColour() {
    TestPlatform t;
    {
        frmMain w(t.platform, t.settings);
        const QColor base = w.txtMain().widget()->palette().color(QPalette::Base);
        t.dialogs.queueColor(0x0000FF00); // green
        w.action(u"mnuFontColour"_qs)->trigger();
        QCOMPARE(w.txtMain().textColor(), QColor(0, 255, 0));
        QCOMPARE(w.txtMain().widget()->palette().color(QPalette::Base), base);
        QCOMPARE(sixBackgrounds(w), QList<QColor>(6, colourFromValue(DesignedBackground)));
        QCOMPARE(settingsFile(t), u"[data-col]\ntextcol=65280\ngotfontcol=1\n"_qs);
    }
    frmMain next(t.platform, t.settings);
    QCOMPARE(next.txtMain().textColor(), QColor(0, 255, 0));
}

void tst_appearance::failedWriteIsReported() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    // A folder where the settings file belongs: every write fails.
    QVERIFY(QDir().mkpath(t.settings.filePath(SettingsStore::SettingsAppName())));
    t.dialogs.queueColor(255);
    w.action(u"mnuBackgroundCol"_qs)->trigger();
    QCOMPARE(sixBackgrounds(w), QList<QColor>(6, QColor(255, 0, 0))); // applied, and stays
    QCOMPARE(t.messages.calls.size(), 1);
    QCOMPARE(t.messages.calls[0].title, u"Error"_qs);
    QCOMPARE(t.messages.calls[0].icon, QMessageBox::Critical);
    QCOMPARE(t.messages.calls[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(t.messages.calls[0].text.contains(u"\"formcol\""_qs));

    t.dialogs.queueFont(FontChoice{u"DejaVu Sans"_qs, false, true, 10.5f});
    w.action(u"mnuFont"_qs)->trigger();
    QVERIFY(w.txtMain().font().italic());
    QCOMPARE(t.messages.calls.size(), 2);
    QVERIFY(t.messages.calls[1].text.contains(u"\"fontname\""_qs));
}

QTEST_MAIN(tst_appearance)
#include "tst_appearance.moc"
