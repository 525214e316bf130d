#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "platform/ColourValue.h"
#include "platform/QtCommonDialog.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
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

// The box's one font and its text colour, as a user sees them.
QString look(frmMain& w) {
    const QFont f = w.txtMain().font();
    return u"%1 %2pt%3%4 %5"_qs.arg(f.family())
        .arg(f.pointSizeF())
        .arg(f.bold() ? u" bold"_qs : QString(), f.italic() ? u" italic"_qs : QString(),
             w.txtMain().textColor().name());
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
    void cancelChangesNothingAndFailedWritesAreReported();
    void choicesApplyAtOnceAndComeBackAtTheNextStart();
    void storedLookRestoredAtStart();
    void fontDialogAcceptedUntouched();
};

void tst_appearance::cancelChangesNothingAndFailedWritesAreReported() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    const QList<QColor> before = sixBackgrounds(w);
    const QString unchanged = look(w);
    QStringList asked;
    for (const char* name : {"mnuBackgroundCol", "mnuFont", "mnuFontColour"}) {
        t.dialogs.queueCancel();
        w.action(QLatin1String(name))->trigger();
        const auto& call = t.dialogs.calls.last();
        asked << call.title + u'|' +
                     (call.kind == FakeCommonDialog::Font
                          ? u"flags %1|%2"_qs.arg(call.flags).arg(call.font.size)
                          : QString::number(call.color));
    }
    // Each dialog starts from the present value: the designed background, 8.25 pt, black text.
    QCOMPARE(asked, QStringList({"Notavo | Background Colour|8438015",
                                 "Notavo | Choose Font|flags 1|8.25", "Notavo | Text Colour|0"}));
    const QFontInfo used(w.txtMain().font()); // the face really used
    QCOMPARE(t.dialogs.calls[1].font.name + u' ' + t.dialogs.calls[1].font.style,
             used.family() + u' ' + used.styleName());
    QCOMPARE(sixBackgrounds(w), before);
    QCOMPARE(look(w), unchanged);
    QCOMPARE(settingsFile(t), u"<no file>"_qs);
    QVERIFY(t.messages.calls.isEmpty());

    // A folder where the settings file belongs: every write fails, and says so.
    QVERIFY(QDir().mkpath(t.settings.filePath(SettingsStore::SettingsAppName())));
    t.dialogs.queueColor(255);
    w.action(u"mnuBackgroundCol"_qs)->trigger();
    QCOMPARE(sixBackgrounds(w), QList<QColor>(6, QColor(255, 0, 0))); // applied, and stays
    QCOMPARE(t.messages.calls.size(), 1);
    const FakeMessageBox::Call box = t.messages.calls[0];
    QCOMPARE(box,
             (FakeMessageBox::Call{box.text, "Error", QMessageBox::Ok, QMessageBox::Critical}));
    QVERIFY(box.text.contains(u"\"formcol\""_qs));

    t.dialogs.queueFont(FontChoice{u"DejaVu Sans"_qs, false, true, 10.5f});
    w.action(u"mnuFont"_qs)->trigger();
    QVERIFY(w.txtMain().font().italic());
    QCOMPARE(t.messages.calls.size(), 2);
    QVERIFY(t.messages.calls[1].text.contains(u"\"fontname\""_qs));
}

void tst_appearance::choicesApplyAtOnceAndComeBackAtTheNextStart() {
    TestPlatform t;
    const QColor chosen(0x99, 0x66, 0x33);
    {
        MainWindow w(t.platform, t.settings);
        const QColor editBase = w.txtMain().palette().color(QPalette::Base);
        t.dialogs.queueColor(0x00336699);
        t.dialogs.queueFont(FontChoice{u"DejaVu Serif"_qs, true, true, 8.25f});
        t.dialogs.queueColor(0x0000FF00); // green text
        for (const char* name : {"mnuBackgroundCol", "mnuFont", "mnuFontColour"})
            w.action(QLatin1String(name))->trigger();
        QCOMPARE(sixBackgrounds(w), QList<QColor>(6, chosen));
        // As painted: the check box's corners show the panel's colour, not a patch of grey.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage panel = w.frame()->grab().toImage();
        const QRect box = w.autosavecheck()->geometry();
        for (const QPoint corner :
             {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight(),
              box.center() + QPoint(0, box.height() / 2 - 1)})
            QCOMPARE(panel.pixelColor(corner), chosen);
        QCOMPARE(w.fileDirText()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(w.txtMain().palette().color(QPalette::Base), editBase);
        QVERIFY(w.tlBar()->palette().color(QPalette::Window) != chosen);
        QCOMPARE(look(w), u"DejaVu Serif 8.25pt bold italic #00ff00"_qs);
        // Each group's flag is written after its values.
        QCOMPARE(settingsFile(t), u"[data-col]\nformcol=3368601\nframecol=3368601\n"
                                  "filelocation=3368601\nfilename=3368601\n"
                                  "filenamestring=3368601\nautosavecheck=3368601\n"
                                  "gotcolour=1\ntextcol=65280\ngotfontcol=1\n\n"
                                  "[data-font]\nfontname=DejaVu Serif\nfontbold=True\n"
                                  "fontitalic=True\nfontsize=8.25\ngotfont=1\n"_qs);
    }
    MainWindow next(t.platform, t.settings);
    QCOMPARE(sixBackgrounds(next), QList<QColor>(6, chosen));
    QCOMPARE(look(next), u"DejaVu Serif 8.25pt bold italic #00ff00"_qs);
    QVERIFY(t.messages.calls.isEmpty());
}

// Values written by an earlier run, read by a window whose dialog component knows nothing of
// them: only the settings store can bring them back.
void tst_appearance::storedLookRestoredAtStart() {
    TestPlatform t;
    t.store("data-col", {"gotcolour=1", "formcol=3368601", "framecol=3368601",
                         "filelocation=3368601", "filename=3368601", "filenamestring=3368601",
                         "autosavecheck=3368601", "gotfontcol=1", "textcol=65280"});
    t.store("data-font", {"gotfont=1", "fontname=DejaVu Serif", "fontbold=True", "fontitalic=False",
                          "fontsize=14.5"});
    MainWindow w(t.platform, t.settings);
    QCOMPARE(sixBackgrounds(w), QList<QColor>(6, QColor(0x99, 0x66, 0x33)));
    QCOMPARE(look(w), u"DejaVu Serif 14.5pt bold #00ff00"_qs);
}

// Qt's own font dialog, accepted as it opens, hands back the box's font: not the family's
// first face (an italic one for DejaVu), not a size rounded to whole points.
void tst_appearance::fontDialogAcceptedUntouched() {
    TestPlatform t;
    QtCommonDialog dialogs;
    t.platform.dlgFile = &dialogs;
    MainWindow w(t.platform, t.settings);
    const QFont serif(u"DejaVu Serif"_qs, 10);
    const QFont boldItalic(u"DejaVu Sans"_qs, 12, QFont::Bold, true);
    for (const QFont& font : {w.txtMain().font(), serif, boldItalic}) {
        w.txtMain().setFont(font);
        const QFontInfo before(font);
        QTimer::singleShot(0, [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QFontDialog*>(top); dialog && dialog->isVisible())
                    dialog->accept();
        });
        w.action(u"mnuFont"_qs)->trigger();
        const QFont after = w.txtMain().font();
        QCOMPARE(QFontInfo(after).family(), before.family());
        QCOMPARE(QFontInfo(after).styleName(), before.styleName());
        QCOMPARE(after.pointSizeF(), font.pointSizeF());
        QCOMPARE(t.setting(u"data-font"_qs, u"fontitalic"_qs),
                 font.italic() ? u"True"_qs : u"False"_qs);
        QCOMPARE(t.setting(u"data-font"_qs, u"fontsize"_qs).toDouble(), font.pointSizeF());
    }
}

QTEST_MAIN(tst_appearance)
#include "tst_appearance.moc"
