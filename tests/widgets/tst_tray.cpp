#include "commands/TrayCommands.h"
#include "dialogs/frmAbout.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "platform/QtTrayHost.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

class tst_tray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void minimizeRestoreAndTheTrayMenu();
    void recreatedAreaAddsAGreyIconWithACutTip();
    void onlyDoubleAndRightClicksAct();
};

namespace {
void minimize(frmMain& w) {
    w.action(u"mnuMinimizetotray"_qs)->trigger();
}
QAction* pop(frmMain& w, int index) {
    return w.mPopup()->actions().at(index);
}
} // namespace

void tst_tray::minimizeRestoreAndTheTrayMenu() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    QVERIFY(!t.tray.isPresent()); // nothing at start
    minimize(w);
    QVERIFY(!w.isVisible());
    pop(w, 0)->trigger(); // "Open"
    QVERIFY(w.isVisible());
    QVERIFY(t.tray.isPresent()); // restoring leaves the icon
    w.setWindowTitle(u"letters.nv - Notavo"_qs);
    minimize(w);
    QVERIFY(!w.isVisible());
    t.tray.doubleClick();
    QVERIFY(w.isVisible());
    t.tray.doubleClick(); // already visible: stays so
    QVERIFY(w.isVisible());
    QCOMPARE(t.tray.shown.size(), 1); // one icon, with the tip of the first time
    QCOMPARE(t.tray.shown.at(0).tip, u"Notavo"_qs);

    minimize(w);
    QSignalSpy closed(&w, &frmMain::closed);
    QSignalSpy newFile(w.action(u"mnuFileNew"_qs), &QAction::triggered);
    QStringList triggered;
    for (QAction* item : w.mPopup()->actions())
        connect(item, &QAction::triggered, this, [&triggered, item] { triggered << item->text(); });
    // Escape leaves the menu doing nothing, the window still in the tray.
    t.tray.rightClick();
    QTRY_VERIFY(w.mPopup()->isVisible());
    QTest::keyClick(w.mPopup(), Qt::Key_Escape);
    QTRY_VERIFY(!w.mPopup()->isVisible());
    QVERIFY(triggered.isEmpty() && !w.isVisible());
    pop(w, 3)->trigger(); // "About Notavo": not modal, the window stays hidden
    auto* about = w.findChild<frmAbout*>();
    QVERIFY(about && about->isVisible() && !about->isModal());
    QVERIFY(!w.isVisible());
    about->close();

    pop(w, 1)->trigger(); // "New File": the window first, then New
    QVERIFY(w.isVisible());
    QCOMPARE(newFile.size(), 1);

    w.txtMain().setPlainText(u"unsaved"_qs);
    pop(w, 2)->trigger(); // "Close": ends the program, asking nothing
    QCOMPARE(closed.size(), 1);
    QVERIFY(t.messages.calls.isEmpty());
}

void tst_tray::recreatedAreaAddsAGreyIconWithACutTip() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    const QString caption = QString(70, QLatin1Char('x')) + u" - Notavo"_qs;
    w.setWindowTitle(caption);
    t.tray.restartHost(); // never hidden, no icon yet: it is added, the window stays
    t.tray.restartHost();
    QCOMPARE(t.tray.shown.size(), 1);
    QCOMPARE(t.tray.shown.at(0).tip, caption.left(63));
    QVERIFY(w.isVisible());

    const QImage image = t.tray.shown.at(0).icon.pixmap(48, 48).toImage();
    QCOMPARE(image.size(), QSize(48, 48));
    int drawn = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            if (const QColor c = image.pixelColor(x, y); c.alpha() != 0) {
                ++drawn;
                QVERIFY2(c.red() == c.green() && c.green() == c.blue(), "a pixel is not grey");
            }
    QVERIFY(drawn > 500);
}

void tst_tray::onlyDoubleAndRightClicksAct() {
    QtTrayHost host;
    QSignalSpy doubles(&host, &TrayHost::doubleClicked);
    QSignalSpy rights(&host, &TrayHost::rightClicked);
    for (auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown,
          QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context})
        host.activate(reason);
    QCOMPARE(doubles.size(), 1);
    QCOMPARE(rights.size(), 1);
}

QTEST_MAIN(tst_tray)
#include "tst_tray.moc"
