// End to end on a simulated discwand: dropping images with the read-only switch set, checked on
// the unplugged volume with fsck.fat and mtools.
#include "common/boxanswerer.h"
#include "common/testenv.h"
#include "fatimage.h"
#include "simstick.h"
#include "ui/discshelf.h"
#include "windowdriver.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestE2eCopy : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { qunsetenv("DISCSHELF_SYSROOT"); }

    void readOnlyBeforeCopy();

private:
    QByteArray makeSource(const QString &relPath, int size);

    QTemporaryDir sources;
};

#define REQUIRE_STICK(stick)                                                                       \
    QVERIFY2((stick).isValid(), qPrintable((stick).error()));                                     \
    qputenv("DISCSHELF_SYSROOT", (stick).sysroot().toLocal8Bit())

#define VERIFY_CLEAN(stick)                                                                        \
    do {                                                                                           \
        FatImage fat((stick).image());                                                             \
        QVERIFY2(fat.isClean(), qPrintable(fat.report()));                                         \
    } while (false)

#define VERIFY_NO_STRAY_BOX(app)                                                                   \
    QVERIFY2((app).strayBoxes().isEmpty(), qPrintable((app).strayBoxes().join(QLatin1Char(','))))

void TestE2eCopy::initTestCase()
{
    TestEnv::isolate();
    const QString reason = SimStick::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no simulated discwand on this computer: ") + reason));
    QVERIFY(sources.isValid());
}

// Random bytes, so that a misplaced or repeated chunk cannot go unnoticed.
QByteArray TestE2eCopy::makeSource(const QString &relPath, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(quint32(qHash(relPath)));
    for (int i = 0; i < size; ++i)
        bytes[i] = char(gen.bounded(256));
    const QString path = sources.filePath(relPath);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != size)
        return {};
    return bytes;
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
    w.show();
    WindowDriver app(w);
    QVERIFY(app.waitForRows({QStringLiteral("/windows")}));
    QVERIFY(app.waitForReady());

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

QTEST_MAIN(TestE2eCopy)
#include "tst_e2e_copy.moc"
