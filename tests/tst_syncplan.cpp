// Planning a sync of a computer folder to a stick folder: new, replaced (by size or bytes),
// same and extra images, split images compared joined, and the room the whole plan needs with
// what replacements and removals give back.
#include "common/testenv.h"
#include "library/syncplan.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Lays "name:size:fill" files in dir.
bool lay(const QString &dir, const QStringList &files)
{
    for (const QString &entry : files)
        if (!TestEnv::writeFile(dir + '/' + entry.section(':', 0, 0),
                                QByteArray(entry.section(':', 1, 1).toInt(),
                                           entry.section(':', 2).at(0).toLatin1())))
            return false;
    return true;
}

const char *const actions[] = { "new", "replace", "same", "remove" };

} // namespace

class TestSyncPlan : public QObject
{
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
};

void TestSyncPlan::plan_data()
{
    QTest::addColumn<QStringList>("local");
    QTest::addColumn<QStringList>("stick"); // in the stick's folder /images
    QTest::addColumn<bool>("removeExtra");
    QTest::addColumn<qint64>("freeBytes"); // in clusters of 1024 bytes
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("fits");

    const QStringList local { "a.iso:10:a", "b.iso:10:b", "c.iso:10:c", "d.iso:10:d",
                              "notes.txt:1:n" };
    const QStringList stick { "b.iso:5:b", "c.iso:10:x", "D.ISO:10:d", "e.iso:3:e", "f.txt:3:f" };
    QTest::newRow("new, changed by size, changed by bytes, same in another case, extra kept")
        << local << stick << false << qint64(1 << 20)
        << QStringList { "new a.iso", "replace b.iso", "replace c.iso", "same d.iso" } << true;
    QTest::newRow("extra removed when asked")
        << local << stick << true << qint64(1 << 20)
        << QStringList { "new a.iso", "replace b.iso", "replace c.iso", "same d.iso",
                         "remove e.iso" }
        << true;
    QTest::newRow("split image compared joined")
        << QStringList { "s.iso:10:s", "t.iso:10:t" }
        << QStringList { "s.iso.0:6:s", "s.iso.1:4:s", "t.iso.0:6:t", "t.iso.1:4:x" } << false
        << qint64(1 << 20) << QStringList { "same s.iso", "replace t.iso" } << true;
    QTest::newRow("no room for the new image and its journal")
        << QStringList { "a.iso:4096:a" } << QStringList() << false << qint64(4096)
        << QStringList { "new a.iso" } << false;
    QTest::newRow("room given back by a replacement and a removal")
        << QStringList { "b.iso:8192:b" } << QStringList { "b.iso:4096:x", "e.iso:4096:e" } << true
        << qint64(1024) << QStringList { "replace b.iso", "remove e.iso" } << true;
    QTest::newRow("without removals that room is missing")
        << QStringList { "b.iso:8192:b" } << QStringList { "b.iso:4096:x", "e.iso:4096:e" } << false
        << qint64(1024) << QStringList { "replace b.iso" } << false;
    QTest::newRow("nothing to do") << QStringList { "d.iso:10:d" } << QStringList { "d.iso:10:d" }
                                   << true << qint64(0) << QStringList { "same d.iso" } << true;
}

void TestSyncPlan::plan()
{
    QFETCH(QStringList, local);
    QFETCH(QStringList, stick);
    QFETCH(bool, removeExtra);
    QFETCH(qint64, freeBytes);
    QFETCH(QStringList, expected);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    QVERIFY(lay(dir.path() + "/local", local));
    QVERIFY(lay(dir.path() + "/stick/images", stick));
    QVERIFY(QDir().mkpath(dir.path() + "/stick/images"));

    SyncPlan plan = SyncPlan::make(dir.path() + "/stick/", DeviceFolder("/images"),
                                   dir.path() + "/local", removeExtra);
    plan.measure(freeBytes, 1024);
    QStringList got;
    for (const SyncPlan::Item &item : std::as_const(plan.items))
        got << QString("%1 %2").arg(actions[int(item.action)], item.name);
    QCOMPARE(got, expected);
    QCOMPARE(plan.fits(), fits);
    QCOMPARE(plan.isEmpty(), plan.count(SyncPlan::Item::Action::Same) == expected.size());
}

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
