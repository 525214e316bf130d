#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QtTest>

// The real message box: Escape and the close box are told apart from No where the box has no
// Cancel, and are Cancel where it has.
class tst_QtMessageBox : public QObject {
    Q_OBJECT
private slots:
    void escapeAndCloseBox() {
        QtMessageBox boxes;
        const auto answer = [&](QMessageBox::StandardButtons buttons, auto act) {
            QTimer::singleShot(0, [act] {
                QWidget* modal = QApplication::activeModalWidget();
                QVERIFY(modal);
                act(modal);
            });
            return boxes.show(nullptr, u"Do you want to save first?"_qs, u"Save"_qs, buttons,
                              QMessageBox::Question);
        };
        const auto escape = [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); };
        const auto close = [](QWidget* box) { box->close(); };
        const auto yesNo = QMessageBox::Yes | QMessageBox::No;
        QCOMPARE(answer(yesNo, escape), MessageBox::Dismissed);
        QCOMPARE(answer(yesNo, close), MessageBox::Dismissed);
        const auto no = [](QWidget* box) {
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
        };
        QCOMPARE(answer(yesNo, no), QMessageBox::No);
        QCOMPARE(answer(yesNo | QMessageBox::Cancel, escape), QMessageBox::Cancel);
    }
};

QTEST_MAIN(tst_QtMessageBox)
#include "tst_QtMessageBox.moc"
