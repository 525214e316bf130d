#include "platform/QtCommonDialog.h"
#include "widgets/DocumentWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QTimer>

// The real file dialog, as Qt draws it: what each kind of a command's filter lists.
class tst_QtCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void kindsListTheirFiles();
};

void tst_QtCommonDialog::kindsListTheirFiles() {
    QTemporaryDir dir;
    for (const char* name : {"notes", "a.txt", "b.nv", "c.cfg"})
        writeBytes(dir.filePath(QLatin1String(name)), "x\r\n");
    QtCommonDialog dialog;
    dialog.filter = SevenKinds;
    dialog.title = u"Notavo | Open File"_qs;
    QStringList shown;
    QList<QStringList> listed;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        const auto close = qScopeGuard([modal] {
            if (modal)
                modal->close();
        });
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY(files);
        files->setDirectory(dir.path());
        auto* kinds = files->findChild<QComboBox*>(u"fileTypeCombo"_qs);
        auto* model = files->findChild<QFileSystemModel*>(u"qt_filesystem_model"_qs);
        const auto names = [&] {
            QStringList found;
            const QModelIndex folder = model->index(dir.path());
            for (int row = 0; row < model->rowCount(folder); ++row)
                found << model->fileName(model->index(row, 0, folder));
            found.sort();
            return found;
        };
        // Loaded in the background; the first kind lists b.nv once it is there.
        QVERIFY(QTest::qWaitFor([&] { return !names().isEmpty(); }, 5000));
        for (int i = 0; i < kinds->count(); ++i) {
            shown << kinds->itemText(i);
            files->selectNameFilter(files->nameFilters().at(i));
            QTest::qWait(50); // the model filters again from its event loop
            listed << names();
        }
    });
    QVERIFY(!dialog.showOpen());
    // Each kind under the description the command set, character for character.
    QStringList descriptions;
    const QStringList parts = SevenKinds.split(u'|');
    for (qsizetype i = 0; i < parts.size(); i += 2)
        descriptions << parts[i];
    QCOMPARE(shown, descriptions);
    QCOMPARE(listed.value(0), QStringList({"b.nv"}));
    QCOMPARE(listed.value(1), QStringList({"a.txt"}));
    QCOMPARE(listed.value(5), QStringList({"c.cfg"}));
    // "Other (*.*)": every file, also one without an extension.
    QCOMPARE(listed.value(6), QStringList({"a.txt", "b.nv", "c.cfg", "notes"}));
}

QTEST_MAIN(tst_QtCommonDialog)
#include "tst_QtCommonDialog.moc"
