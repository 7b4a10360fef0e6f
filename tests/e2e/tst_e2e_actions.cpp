// End to end on a simulated discwand: images added through the file dialog land whole, and a
// split image deleted from the tree leaves none of its parts and nothing else missing; each is
// checked on the unplugged volume with fsck.fat and mtools.
#include "common/boxanswerer.h"
#include "common/nextdialog.h"
#include "e2echecks.h"
#include "ui/discshelf.h"
#include "windowdriver.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

class TestE2eActions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { E2E_INIT(); }
    void cleanup() { qunsetenv("DISCSHELF_SYSROOT"); }

    void addThroughDialog();
    void deleteSplitImage();
};

void TestE2eActions::addThroughDialog()
{
    QTemporaryDir sources;
    QMap<QString, QByteArray> files { { "a.iso", TestEnv::randomBytes(300000, 1) },
                                      { "Rescue.ISO", TestEnv::randomBytes(1200000, 2) } };
    for (auto it = files.begin(); it != files.end(); ++it) {
        TestEnv::stampBootable(*it);
        QVERIFY(TestEnv::writeFile(sources.filePath(it.key()), *it));
    }
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({ "/windows" }));

    QVERIFY(app.select("/windows"));
    onNextDialog<QFileDialog>([&](QFileDialog *dialog) {
        dialog->setDirectory(sources.path());
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText("\"a.iso\" \"Rescue.ISO\"");
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->click();
    });
    w.findChild<QPushButton *>("btnAddImages")->click();
    QVERIFY(app.waitForBatchEnd());
    QVERIFY(app.waitForRows({ "/windows/a.iso", "/windows/Rescue.ISO" }));

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        QVERIFY2(fat.read("/windows/" + it.key()) == *it, qPrintable(it.key()));
    QCOMPARE(boxes.titles(), QStringList());
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eActions::deleteSplitImage()
{
    SimStick stick;
    REQUIRE_STICK(stick);
    QStringList kept;
    {
        FatImage fat(stick.image());
        // A name that only looks like a part of the image.
        QVERIFY2(fat.write("/big.iso.txt", "notes"), qPrintable(fat.report()));
        for (const QString &entry : fat.entries())
            if (!entry.startsWith("/big.iso."))
                kept << entry;
        kept << "/big.iso.txt";
    }
    QVERIFY(stick.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({ "/big.iso" }));

    QVERIFY(app.select("/big.iso"));
    boxes.answer(QMessageBox::Yes);
    w.findChild<QAction *>("actionDelete")->trigger();
    QCOMPARE(boxes.titles(), QStringList { "Delete image?" });
    QVERIFY2(boxes.seen().at(0).text.contains("big.iso.0\nbig.iso.1\n\nThis frees 1.4 MB."),
             qPrintable(boxes.seen().at(0).text));
    QVERIFY(QTest::qWaitFor([&] { return !app.row("/big.iso"); }, 10000));

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    QStringList entries = fat.entries();
    kept.sort();
    entries.sort();
    QCOMPARE(entries, kept);
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

QTEST_MAIN(TestE2eActions)
#include "tst_e2e_actions.moc"
