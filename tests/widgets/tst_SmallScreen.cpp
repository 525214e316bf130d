// The main window on a screen smaller than its designed size (a small screen, or a large
// scale factor): the whole window, frame included, stays on the screen.
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class tst_SmallScreen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowTakesTheAvailableArea();
};

void tst_SmallScreen::windowTakesTheAvailableArea() {
    const QRect available = QApplication::primaryScreen()->availableGeometry();
    QCOMPARE(available.size(), QSize(560, 400));
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(available.contains(w.frameGeometry()));
    QVERIFY(w.frameGeometry().top() > available.top() - 1 && w.height() > 300);
    // Resizable within the screen, no further.
    QVERIFY(w.minimumSize() != w.maximumSize());
    QVERIFY(available.size().expandedTo(w.maximumSize()) == available.size());
    // The find window opens on the screen too.
    w.txtMain().setEnabled(true);
    w.action(u"mnuEditReplace"_qs)->trigger();
    const QWidget* find = w.findChild<QWidget*>(u"frmFind"_qs);
    QVERIFY(find && find->isVisible());
    QTRY_VERIFY(available.contains(find->frameGeometry()));
}

// A screen of 560 x 400 with window frames, made before the application starts.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"windowFrameMargins": true, "screens": [{"name": "small", "x": 0, "y": 0,
            "width": 560, "height": 400, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    tst_SmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SmallScreen.moc"
