// End to end on a simulated discwand: dropping images and folders, the read-only switch, a stick
// unplugged in the middle of a copy, an overwrite stopped halfway, and two sticks copying at
// once, one pulled out; each checked on the unplugged volume with fsck.fat and mtools.
#include "common/boxanswerer.h"
#include "detect/scsidrivedetector.h"
#include "e2echecks.h"
#include "fatimage.h"
#include "simstick.h"
#include "ui/discshelf.h"
#include "windowdriver.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestE2eCopy : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { qunsetenv("DISCSHELF_SYSROOT"); }

    void dropImagesAndFolder();
    void readOnlyBeforeCopy();
    void unplugDuringCopy_data();
    void unplugDuringCopy();
    void overwriteCancelled();
    void twoSticksOneGoes();

private:
    QByteArray makeSource(const QString &relPath, int size);

    QTemporaryDir sources;
};

void TestE2eCopy::initTestCase()
{
    E2E_INIT();
    QVERIFY(sources.isValid());
}

// Random bytes behind a boot record, so that a misplaced or repeated chunk cannot go unnoticed.
QByteArray TestE2eCopy::makeSource(const QString &relPath, int size)
{
    QByteArray bytes = TestEnv::randomBytes(size, quint32(qHash(relPath)));
    if (relPath.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
        TestEnv::stampBootable(bytes);
    return TestEnv::writeFile(sources.filePath(relPath), bytes) ? bytes : QByteArray();
}

static QStringList tempOrParts(const QStringList &entries)
{
    QStringList out;
    for (const QString &e : entries)
        if (e.contains(QLatin1String("/.discshelf-")) || e.contains(QLatin1String(".iso.")))
            out << e;
    return out;
}

void TestE2eCopy::dropImagesAndFolder()
{
    const QMap<QString, QByteArray> files{
        {QStringLiteral("drop1/a.iso"), makeSource(QStringLiteral("drop1/a.iso"), 200000)},
        {QStringLiteral("drop1/Rescue.ISO"), makeSource(QStringLiteral("drop1/Rescue.ISO"), 1500000)},
        {QStringLiteral("drop1/distro/x.iso"), makeSource(QStringLiteral("drop1/distro/x.iso"), 300000)},
        {QStringLiteral("drop1/distro/sub/y.iso"),
         makeSource(QStringLiteral("drop1/distro/sub/y.iso"), 7000001)},
    };
    makeSource(QStringLiteral("drop1/distro/readme.txt"), 100);
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({QStringLiteral("/linux")}));

    boxes.answer(QMessageBox::Ok); // copy the images, leave the text file
    app.drop(QStringLiteral("/linux"),
             {sources.filePath(QStringLiteral("drop1/a.iso")),
              sources.filePath(QStringLiteral("drop1/Rescue.ISO")),
              sources.filePath(QStringLiteral("drop1/distro"))});
    QVERIFY(app.waitForBatchEnd());
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Ignoring non-ISO files!")});
    const QStringList copied{QStringLiteral("/linux/a.iso"), QStringLiteral("/linux/Rescue.ISO"),
                             QStringLiteral("/linux/distro/x.iso"),
                             QStringLiteral("/linux/distro/sub/y.iso")};
    QVERIFY2(app.waitForRows(copied), qPrintable(app.rows().join(QLatin1Char(' '))));

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString onStick = QStringLiteral("/linux") + it.key().mid(QStringLiteral("drop1").size());
        QVERIFY2(fat.read(onStick) == it.value(), qPrintable(onStick));
    }
    const QStringList entries = fat.entries();
    QVERIFY(!entries.contains(QStringLiteral("/linux/distro/readme.txt")));
    QCOMPARE(tempOrParts(entries), QStringList({QStringLiteral("/big.iso.0"), QStringLiteral("/big.iso.1")}));
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eCopy::readOnlyBeforeCopy()
{
    makeSource(QStringLiteral("ro/a.iso"), 100000);
    SimStick stick;
    REQUIRE_STICK(stick);
    const QStringList before = FatImage(stick.image()).entries();
    QVERIFY(!before.isEmpty());
    QVERIFY(stick.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({QStringLiteral("/windows")}));

    QVERIFY(stick.setReadOnly(true));
    boxes.answer(QMessageBox::Ok);
    app.drop(QStringLiteral("/windows"), {sources.filePath(QStringLiteral("ro/a.iso"))});
    QVERIFY(QTest::qWaitFor([&] { return boxes.pending() == 0; }, 10000));
    QVERIFY(app.waitForBatchEnd());
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Couldn't write to discwand")});

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    QCOMPARE(fat.entries(), before);
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eCopy::unplugDuringCopy_data()
{
    QTest::addColumn<bool>("yank");
    // Unmounted once the open file is let go of: the copy in hand ends, the next finds no stick.
    QTest::newRow("unplugged") << false;
    // Pulled out at once: writing fails, and the failure is told as the stick gone.
    QTest::newRow("pulled out") << true;
}

void TestE2eCopy::unplugDuringCopy()
{
    QFETCH(bool, yank);
    QMap<QString, QByteArray> files;
    for (const auto &[name, size] : {std::pair{"gone/c.iso", 300000}, std::pair{"gone/b.iso", 400000},
                                     std::pair{"gone/long.iso", 40000000}})
        files.insert(QString::fromLatin1(name), makeSource(QString::fromLatin1(name), size));
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({QStringLiteral("/linux")}));

    // The last dropped is copied first: long.iso, long enough to pull the stick in the middle.
    app.drop(QString(), {sources.filePath(QStringLiteral("gone/c.iso")),
                         sources.filePath(QStringLiteral("gone/b.iso")),
                         sources.filePath(QStringLiteral("gone/long.iso"))});
    const auto copying = [&] {
        return !QDir(stick.deviceRoot()).entryList({ ".discshelf-*" }, QDir::Files | QDir::Hidden).isEmpty();
    };
    QVERIFY(QTest::qWaitFor(copying, 20000));
    boxes.answer(QMessageBox::Ok);
    QVERIFY2(stick.unplug(yank), qPrintable(stick.error()));
    QVERIFY(app.waitForBatchEnd());
    QVERIFY(QTest::qWaitFor([&] { return boxes.pending() == 0; }, 10000));
    // One box ends the batch: the stick is gone, or, if the removal has not been noticed yet,
    // its volume no longer takes writes.
    const QStringList titles = boxes.titles();
    QVERIFY2(titles == QStringList{"discwand disappeared!"} || titles == QStringList{"Couldn't write to discwand"},
             qPrintable(titles.join(',')));
    QVERIFY(app.waitForRows({QStringLiteral("/<Waiting for a discwand to appear>")}));

    QVERIFY(stick.plug());
    QVERIFY(app.waitForReady({QStringLiteral("/linux")}));
    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    const QStringList entries = fat.entries();
    // A stick pulled out keeps the copy's hidden parts until it is found again after replugging.
    QCOMPARE(tempOrParts(entries).join(" "), QStringList({QStringLiteral("/big.iso.0"), QStringLiteral("/big.iso.1")}).join(" "));
    // What is on the stick is whole; what is not is not there at all.
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString onStick = it.key().mid(QStringLiteral("gone").size());
        if (entries.contains(onStick))
            QVERIFY2(fat.read(onStick) == it.value(), qPrintable(onStick));
    }
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eCopy::overwriteCancelled()
{
    const QString image = QStringLiteral("/linux/debian-12-netinst.iso");
    makeSource(QStringLiteral("new/debian-12-netinst.iso"), 30000000);
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    const QByteArray oldBytes = TestEnv::readFile(stick.deviceRoot() + image.mid(1));
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({image}));

    boxes.answer(QMessageBox::Yes);
    app.drop(QStringLiteral("/linux"), {sources.filePath(QStringLiteral("new/debian-12-netinst.iso"))});
    QVERIFY(QTest::qWaitFor([&] {
        return !QDir(stick.deviceRoot() + "linux").entryList({".discshelf-*"}, QDir::Files | QDir::Hidden).isEmpty();
    }, 20000));
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnCancelCurrentFile")), Qt::LeftButton);
    QVERIFY(app.waitForBatchEnd());
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("File exists!")});

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    QCOMPARE(tempOrParts(fat.entries()), QStringList({QStringLiteral("/big.iso.0"), QStringLiteral("/big.iso.1")}));
    QVERIFY(fat.read(image) == oldBytes);
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

// A copy to each of two sticks from the window, the second started while the first runs; the
// first pulled out in the middle: the second's copy finishes, whole.
void TestE2eCopy::twoSticksOneGoes()
{
    const QByteArray bytes = makeSource(QStringLiteral("two/big.iso"), 24 * 1024 * 1024);
    SimStick one(SimStick::Options { 64, true, false });
    REQUIRE_STICK(one);
    SimStick two(SimStick::Options { 64, true, false, "SECOND", "sdy" }, one);
    QVERIFY2(two.isValid(), qPrintable(two.error()));
    QVERIFY(one.plug() && two.plug());
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady());
    auto *finder = w.findChild<ScsiDriveDetector *>();
    auto *chooser = w.findChild<QComboBox *>(QStringLiteral("stickChooser"));
    QTRY_VERIFY(chooser->isVisible() && chooser->count() == 2);
    const auto copyingTo = [](const SimStick &stick) {
        return QTest::qWaitFor(
            [&] {
                return !QDir(stick.deviceRoot())
                            .entryList({ ".discshelf-*" }, QDir::Files | QDir::Hidden)
                            .isEmpty();
            },
            20000);
    };
    const auto show = [&](const SimStick &stick) {
        for (const Discwand &found : finder->sticks())
            if (found.root() == stick.deviceRoot())
                emit chooser->activated(chooser->findData(found.volume()));
        return QTest::qWaitFor([&] { return finder->drivePath() == stick.deviceRoot(); })
            && app.waitForReady();
    };
    const QString image = sources.filePath(QStringLiteral("two/big.iso"));

    QVERIFY(show(one));
    app.drop(QString(), { image });
    QVERIFY(copyingTo(one));
    QVERIFY(chooser->isEnabled());
    QVERIFY(show(two));
    QVERIFY(!app.copying());
    app.drop(QString(), { image });
    QVERIFY(copyingTo(two));
    boxes.answer(QMessageBox::Ok);
    QVERIFY2(one.unplug(true), qPrintable(one.error()));
    QVERIFY(app.waitForBatchEnd());
    QCOMPARE(finder->drivePath(), two.deviceRoot());
    QVERIFY(QTest::qWaitFor([&] { return boxes.pending() == 0; }, 10000));
    QCOMPARE(boxes.titles(), QStringList { QStringLiteral("discwand disappeared!") });
    QVERIFY(QTest::qWaitFor([&] { return !chooser->isVisible(); }));

    QVERIFY2(two.unplug(), qPrintable(two.error()));
    VERIFY_CLEAN(two);
    QCOMPARE(FatImage(two.image()).read("/big.iso"), bytes);
    VERIFY_CLEAN(one);
    QVERIFY(!FatImage(one.image()).entries().contains(QStringLiteral("/big.iso")));
    VERIFY_NO_STRAY_BOX(app);
}

QTEST_MAIN(TestE2eCopy)
#include "tst_e2e_copy.moc"
