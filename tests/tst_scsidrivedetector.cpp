// Finding the discwand: the detection pass and its signals, drive notifications from the mount
// table, the write-access probe, the query layer's contract and the fatal connection failure.
#include "common/boxanswerer.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/drivenotifier.h"
#include "detect/scsidrivedetector.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <iostream>

namespace {

const QString vendor = QStringLiteral("QUELLOR");
const QString product = QStringLiteral("DISCWAND FLASH");

// Every signal of a detector, in the order emitted, with its argument.
struct SignalLog {
    QStringList events;
    explicit SignalLog(ScsiDriveDetector *d)
    {
        QObject::connect(d, &ScsiDriveDetector::refreshFailed, d, [this] { events << "refreshFailed"; });
        QObject::connect(d, &ScsiDriveDetector::refreshComplete, d, [this] { events << "refreshComplete"; });
        QObject::connect(d, &ScsiDriveDetector::driveDetected, d,
                         [this](const QString &p) { events << "driveDetected " + p; });
        QObject::connect(d, &ScsiDriveDetector::driveDisappeared, d, [this] { events << "driveDisappeared"; });
        QObject::connect(d, &ScsiDriveDetector::driveStateChanged, d, [this](bool present) {
            events << QStringLiteral("driveStateChanged %1").arg(present);
        });
        QObject::connect(d, &ScsiDriveDetector::youShouldRefreshNow, d,
                         [this] { events << "youShouldRefreshNow"; });
    }
};

// Collects everything written to the debug and warning channels while it lives.
struct MessageLog {
    static inline QStringList lines;
    QtMessageHandler previous;
    MessageLog()
    {
        lines.clear();
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) {
            lines << m;
        });
    }
    ~MessageLog() { qInstallMessageHandler(previous); }
};

} // namespace

class TestScsiDriveDetector : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }

    void passOutcomes_data();
    void passOutcomes();
    void fileSystems_data();
    void fileSystems();
    void twoMatchingDisks_data();
    void twoMatchingDisks();
    void firstFat32Volume_data();
    void firstFat32Volume();
    void newMountPoint();
    void partitionlessStick();
    void awkwardMountPoints_data();
    void awkwardMountPoints();
    void notifications_data();
    void notifications();
    void notifierFollowsMountTable();
    void detectorFollowsMountTable();
    void access_data();
    void access();
    void probeWithoutDevice();
    void probeOfVanishedVolume();
    void queryRows_data();
    void queryRows();
    void queryFailures_data();
    void queryFailures();
    void failureFlagIsNeverCleared();
    void realSystem();
    void fatalConnectionFailure_data();
    void fatalConnectionFailure();
};

void TestScsiDriveDetector::passOutcomes_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("presentBefore");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("presentAfter");
    const QStringList complete = {"refreshComplete"};
    const QStringList failed = {"refreshFailed"};
    QTest::newRow("no matching disk") << "other disk" << false << complete << false;
    QTest::newRow("vendor without the product") << "other product" << false << complete << false;
    QTest::newRow("matching disk without partitions") << "no partitions" << false << complete << false;
    QTest::newRow("partition not mounted") << "not mounted" << false << complete << false;
    QTest::newRow("no FAT32, absent before") << "exfat" << false << complete << false;
    QTest::newRow("no FAT32, present before")
        << "becomes ntfs" << true
        << QStringList({"driveStateChanged 0", "driveDisappeared", "refreshComplete"}) << false;
    QTest::newRow("found, absent before")
        << "discwand" << false
        << QStringList({"driveDetected ROOT", "driveStateChanged 1", "refreshComplete"}) << true;
    QTest::newRow("found, present before")
        << "discwand" << true << QStringList({"driveDetected ROOT", "refreshComplete"}) << true;
    QTest::newRow("disk gone without notice, present before") << "disk gone" << true << complete << false;
    QTest::newRow("volume unmounted without notice, present before")
        << "unmounted" << true
        << QStringList({"driveStateChanged 0", "driveDisappeared", "refreshComplete"}) << false;
    QTest::newRow("disk list unreadable, present before") << "no sys/block" << true << failed << false;
    QTest::newRow("disk list unreadable, absent before") << "no sys/block" << false << failed << false;
    QTest::newRow("mount table unreadable, present before") << "no mountinfo" << true << failed << false;
    QTest::newRow("mount table unreadable, absent before") << "no mountinfo" << false << failed << false;
}

void TestScsiDriveDetector::passOutcomes()
{
    QFETCH(QString, scenario);
    QFETCH(bool, presentBefore);
    QFETCH(QStringList, expected);
    QFETCH(bool, presentAfter);

    SysFixture fx;
    QString root;
    const bool simple = scenario == "other disk" || scenario == "other product"
        || scenario == "no partitions" || scenario == "not mounted" || scenario == "exfat";
    if (scenario == "other disk") {
        fx.addDisk("sda", "ATA", "SOME DISK");
        fx.addPartition("sda", "sda1");
        fx.setFilesystem("sda1", "vfat", "FAT32");
        fx.mount("sda1");
    } else if (scenario == "other product") {
        fx.addDisk("sdb", vendor, "OTHER STICK");
        fx.addPartition("sdb", "sdb1");
        fx.setFilesystem("sdb1", "vfat", "FAT32");
        fx.mount("sdb1");
    } else if (scenario == "no partitions") {
        fx.addDisk("sdb", vendor, product);
    } else if (scenario == "not mounted") {
        fx.addDisk("sdb", vendor, product);
        fx.addPartition("sdb", "sdb1");
        fx.setFilesystem("sdb1", "vfat", "FAT32");
    } else if (scenario == "exfat") {
        fx.addDisk("sdb", vendor, product);
        fx.addPartition("sdb", "sdb1");
        fx.setFilesystem("sdb1", "exfat", "1.0");
        fx.mount("sdb1");
    } else {
        root = fx.addDiscwand();
    }
    QVERIFY(!simple || !presentBefore);

    ScsiDriveDetector detector(vendor, product, nullptr);
    QCOMPARE(detector.drivePath(), QString());
    if (presentBefore) {
        detector.forceRefresh();
        QCOMPARE(detector.drivePath(), root);
    }
    if (scenario == "becomes ntfs")
        fx.setFilesystem("sdb1", "ntfs");
    else if (scenario == "disk gone")
        fx.vanish("sys/block/sdb");
    else if (scenario == "unmounted")
        fx.unmount(root.chopped(1));
    else if (scenario == "no sys/block")
        fx.vanish("sys/block");
    else if (scenario == "no mountinfo")
        fx.vanish("proc/self/mountinfo");

    SignalLog log(&detector);
    detector.forceRefresh();
    expected.replaceInStrings("ROOT", root);
    QCOMPARE(log.events, expected);
    QCOMPARE(detector.drivePath(), presentAfter ? root : QString());
}

void TestScsiDriveDetector::fileSystems_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("taken");
    QTest::newRow("FAT32") << "vfat" << "FAT32" << true;
    QTest::newRow("FAT16") << "vfat" << "FAT16" << false;
    QTest::newRow("FAT12") << "vfat" << "FAT12" << false;
    QTest::newRow("NTFS") << "ntfs" << "" << false;
    QTest::newRow("exFAT") << "exfat" << "1.0" << false;
    QTest::newRow("ext4") << "ext4" << "1.0" << false;
}

void TestScsiDriveDetector::fileSystems()
{
    QFETCH(QString, type);
    QFETCH(QString, version);
    QFETCH(bool, taken);
    SysFixture fx;
    const QString root = fx.addDiscwand();
    fx.setFilesystem("sdb1", type, version);
    ScsiDriveDetector detector(vendor, product, nullptr);
    QSignalSpy complete(&detector, &ScsiDriveDetector::refreshComplete);
    detector.forceRefresh();
    QCOMPARE(complete.count(), 1);
    QCOMPARE(detector.drivePath(), taken ? root : QString());
}

void TestScsiDriveDetector::twoMatchingDisks_data()
{
    QTest::addColumn<QString>("firstType");
    QTest::addColumn<bool>("taken");
    QTest::newRow("first disk FAT32") << "vfat" << true;
    QTest::newRow("first disk NTFS, second never looked at") << "ntfs" << false;
}

void TestScsiDriveDetector::twoMatchingDisks()
{
    QFETCH(QString, firstType);
    QFETCH(bool, taken);
    SysFixture fx;
    const QString second = fx.addDiscwand("sdc");
    const QString first = fx.addDiscwand("sdb");
    fx.setFilesystem("sdb1", firstType, "FAT32");
    ScsiDriveDetector detector(vendor, product, nullptr);
    QSignalSpy detected(&detector, &ScsiDriveDetector::driveDetected);
    QTest::ignoreMessage(QtDebugMsg, "Found >1 matching drive, only using the first one.");
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), taken ? first : QString());
    QCOMPARE(detected.count(), taken ? 1 : 0);
    Q_UNUSED(second);
}

void TestScsiDriveDetector::firstFat32Volume_data()
{
    QTest::addColumn<bool>("mountSecondFirst");
    QTest::addColumn<bool>("firstIsFat32");
    QTest::newRow("partition order, not mount order") << true << true;
    QTest::newRow("in order") << false << true;
    QTest::newRow("first partition NTFS") << false << false;
}

void TestScsiDriveDetector::firstFat32Volume()
{
    QFETCH(bool, mountSecondFirst);
    QFETCH(bool, firstIsFat32);
    SysFixture fx;
    fx.addDisk("sdb", vendor, product);
    fx.addPartition("sdb", "sdb1");
    fx.addPartition("sdb", "sdb2");
    fx.setFilesystem("sdb1", firstIsFat32 ? "vfat" : "ntfs", "FAT32");
    fx.setFilesystem("sdb2", "vfat", "FAT32");
    QString a, b;
    if (mountSecondFirst) {
        b = fx.mount("sdb2");
        a = fx.mount("sdb1");
    } else {
        a = fx.mount("sdb1");
        b = fx.mount("sdb2");
    }
    ScsiDriveDetector detector(vendor, product, nullptr);
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), (firstIsFat32 ? a : b) + "/");
}

void TestScsiDriveDetector::newMountPoint()
{
    SysFixture fx;
    const QString before = fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    detector.forceRefresh();
    fx.unmount(before.chopped(1));
    const QString after = fx.mount("sdb1", fx.makeDir("elsewhere")) + "/";
    SignalLog log(&detector);
    detector.forceRefresh();
    QCOMPARE(log.events, QStringList({"driveDetected " + after, "refreshComplete"}));
    QCOMPARE(detector.drivePath(), after);
}

void TestScsiDriveDetector::partitionlessStick()
{
    SysFixture fx;
    fx.addDisk("sdb", vendor, product);
    fx.setFilesystem("sdb", "vfat", "FAT32");
    const QString root = fx.mount("sdb") + "/";
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QCOMPARE(detector.queryProperty("SELECT DeviceID FROM Win32_DiskPartition", "DeviceID", &failed, false),
             QStringList("/dev/sdb"));
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), root);
    QVERIFY(detector.isWritable());
}

void TestScsiDriveDetector::awkwardMountPoints_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my disc wand";
    QTest::newRow("quote") << "Bob's stick";
    QTest::newRow("backslash") << "back\\slash";
    QTest::newRow("quote and backslash at the end") << "odd\\'";
    QTest::newRow("tab") << "tab\there";
    QTest::newRow("query text") << "x' OR Name LIKE '%";
    QTest::newRow("placeholder") << "%1 %2";
}

void TestScsiDriveDetector::awkwardMountPoints()
{
    QFETCH(QString, name);
    SysFixture fx;
    // A decoy FAT32 volume that a query changed by the name would find.
    fx.addDisk("sda", "ATA", "SOME DISK");
    fx.addPartition("sda", "sda1");
    fx.setFilesystem("sda1", "vfat", "FAT32");
    fx.mount("sda1", {}, true);
    fx.addDisk("sdb", vendor, product);
    fx.addPartition("sdb", "sdb1");
    fx.setFilesystem("sdb1", "vfat", "FAT32");
    const QString root = fx.mount("sdb1", fx.makeDir(name)) + "/";
    ScsiDriveDetector detector(vendor, product, nullptr);
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), root);
    QVERIFY(detector.isWritable());
}

void TestScsiDriveDetector::notifications_data()
{
    QTest::addColumn<bool>("known");
    QTest::addColumn<QList<bool>>("added");
    QTest::addColumn<QStringList>("drives"); // ROOT stands for the device root
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("stillKnown");
    QTest::newRow("added while no device") << false << QList<bool>{true} << QStringList("/media/other/")
                                           << QStringList("youShouldRefreshNow") << false;
    QTest::newRow("each addition while no device")
        << false << QList<bool>{true, true} << QStringList({"/a/", "/b/"})
        << QStringList({"youShouldRefreshNow", "youShouldRefreshNow"}) << false;
    QTest::newRow("removed while no device") << false << QList<bool>{false} << QStringList("/a/")
                                             << QStringList() << false;
    QTest::newRow("known root removed, twice")
        << true << QList<bool>{false, false} << QStringList({"ROOT", "ROOT"})
        << QStringList("driveDisappeared") << false;
    QTest::newRow("known root removed, then another added")
        << true << QList<bool>{false, true} << QStringList({"ROOT", "/a/"})
        << QStringList({"driveDisappeared", "youShouldRefreshNow"}) << false;
    QTest::newRow("removal without trailing slash") << true << QList<bool>{false}
                                                    << QStringList("ROOT-SLASH") << QStringList() << true;
    QTest::newRow("removal in other case") << true << QList<bool>{false} << QStringList("ROOT-UPPER")
                                           << QStringList() << true;
    QTest::newRow("other drive removed") << true << QList<bool>{false} << QStringList("/media/other/")
                                         << QStringList() << true;
    QTest::newRow("other drive added while known") << true << QList<bool>{true} << QStringList("/media/x/")
                                                   << QStringList() << true;
    QTest::newRow("known root added again") << true << QList<bool>{true} << QStringList("ROOT")
                                            << QStringList() << true;
}

void TestScsiDriveDetector::notifications()
{
    QFETCH(bool, known);
    QFETCH(QList<bool>, added);
    QFETCH(QStringList, drives);
    QFETCH(QStringList, expected);
    QFETCH(bool, stillKnown);
    SysFixture fx;
    const QString root = fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    if (known)
        detector.forceRefresh();
    QCOMPARE(detector.drivePath().isEmpty(), !known);
    SignalLog log(&detector);
    for (int i = 0; i < drives.size(); ++i) {
        QString drive = drives.at(i);
        drive.replace("ROOT-SLASH", root.chopped(1)).replace("ROOT-UPPER", root.toUpper());
        drive.replace("ROOT", root);
        detector.driveChanged(added.at(i), drive);
    }
    QCOMPARE(log.events, expected);
    QCOMPARE(detector.drivePath(), stillKnown ? root : QString());
}

void TestScsiDriveDetector::notifierFollowsMountTable()
{
    SysFixture fx;
    fx.addDisk("sdb", vendor, product);
    fx.addPartition("sdb", "sdb1");
    fx.addPartition("sdb", "sdb2");
    const QString early = fx.mount("sdb2");
    DriveNotifier notifier;
    QSignalSpy spy(&notifier, &DriveNotifier::logicalDriveChanged);

    const QString mnt = fx.mount("sdb1");
    fx.addPseudoMount(fx.makeDir("tmp"), "tmpfs");
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), QVariantList({true, mnt + "/"}));

    // A table replaced as a whole (written elsewhere, renamed over) is still followed.
    const QString table = fx.root() + "/proc/self/mountinfo";
    QVERIFY(QFile::copy(table, table + ".new"));
    QVERIFY(QFile::remove(table));
    QVERIFY(QFile::rename(table + ".new", table));
    QTest::qWait(200);
    QCOMPARE(spy.count(), 1);
    fx.unmount(early);
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1), QVariantList({false, early + "/"}));

    // While the table cannot be read nothing is reported; afterwards, what changed meanwhile is.
    fx.vanish("proc/self/mountinfo");
    QTest::qWait(200);
    QCOMPARE(spy.count(), 2);
    fx.unmount(mnt);
    QTRY_COMPARE(spy.count(), 3);
    QCOMPARE(spy.at(2), QVariantList({false, mnt + "/"}));
}

void TestScsiDriveDetector::detectorFollowsMountTable()
{
    SysFixture fx;
    ScsiDriveDetector detector(vendor, product, nullptr);
    QSignalSpy refreshNow(&detector, &ScsiDriveDetector::youShouldRefreshNow);
    QSignalSpy disappeared(&detector, &ScsiDriveDetector::driveDisappeared);
    const QString root = fx.addDiscwand();
    QTRY_COMPARE(refreshNow.count(), 1);
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), root);
    fx.unmount(root.chopped(1));
    QTRY_COMPARE(disappeared.count(), 1);
    QCOMPARE(detector.drivePath(), QString());
    QCOMPARE(refreshNow.count(), 1);
}

void TestScsiDriveDetector::access_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("writable");
    QTest::newRow("read-write") << "rw" << true;
    QTest::newRow("read-only mount") << "ro mount" << false;
    QTest::newRow("partition read-only flag") << "ro partition" << false;
    QTest::newRow("disk read-only flag") << "ro disk" << false;
}

void TestScsiDriveDetector::access()
{
    QFETCH(QString, how);
    QFETCH(bool, writable);
    SysFixture fx;
    const QString root = fx.addDiscwand("sdb", how == "ro mount");
    if (how == "ro partition")
        fx.setDeviceReadOnly("sdb1", true);
    if (how == "ro disk")
        fx.setDeviceReadOnly("sdb", true);
    ScsiDriveDetector detector(vendor, product, nullptr);
    detector.forceRefresh();
    QCOMPARE(detector.drivePath(), root);
    QCOMPARE(detector.isWritable(), writable);
    bool failed = false;
    const QString name = root.chopped(1);
    QCOMPARE(detector.queryProperty("SELECT Access FROM Win32_LogicalDisk WHERE Name = '" + name + "'",
                                    "Access", &failed, true),
             QStringList(writable ? "3" : "1"));
    QVERIFY(!failed);
}

void TestScsiDriveDetector::probeWithoutDevice()
{
    SysFixture fx;
    fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    fx.vanish("sys/block"); // any query now would fail and say so
    fx.vanish("proc/self/mountinfo");
    MessageLog messages;
    QVERIFY(!detector.isWritable());
    QCOMPARE(MessageLog::lines, QStringList());
}

void TestScsiDriveDetector::probeOfVanishedVolume()
{
    SysFixture fx;
    const QString root = fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    detector.forceRefresh();
    fx.unmount(root.chopped(1)); // the notification has not been handled yet
    QTest::ignoreMessage(QtWarningMsg, "Derp, checking writability of non-existent drive.");
    QVERIFY(!detector.isWritable());
    QCOMPARE(detector.drivePath(), root);
}

void TestScsiDriveDetector::queryRows_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("property");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QStringList>("rows"); // A, B stand for the two mount points
    QTest::newRow("disks in name order") << "SELECT DeviceID FROM Win32_DiskDrive" << "DeviceID" << false
                                         << QStringList({"/dev/sda", "/dev/sdb", "/dev/sdaa"});
    QTest::newRow("model trimmed and joined") << "SELECT Model FROM Win32_DiskDrive WHERE DeviceID='/dev/sdb'"
                                              << "Model" << false << QStringList("QUELLOR DISCWAND FLASH");
    QTest::newRow("model LIKE") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model LIKE 'QUELLOR DISCWAND FLASH%'"
                                << "DeviceID" << false << QStringList("/dev/sdb");
    QTest::newRow("partitions by number")
        << "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition" << "DeviceID"
        << false << QStringList({"/dev/sdb1", "/dev/sdb2", "/dev/sdb10"});
    QTest::newRow("partitions, key property form")
        << "ASSOCIATORS OF {Win32_DiskDrive.DeviceID='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition"
        << "DeviceID" << false << QStringList({"/dev/sdb1", "/dev/sdb2", "/dev/sdb10"});
    QTest::newRow("no such disk") << "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdx'} WHERE ResultClass=Win32_DiskPartition"
                                  << "DeviceID" << false << QStringList();
    QTest::newRow("logical disks of a partition, mount order")
        << "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb1'} WHERE ResultClass=Win32_LogicalDisk" << "DeviceID"
        << false << QStringList({"B", "A"});
    QTest::newRow("disk of a partition")
        << "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb2'} WHERE ResultClass=Win32_DiskDrive" << "DeviceID"
        << false << QStringList("/dev/sdb");
    QTest::newRow("all associators of a partition")
        << "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb1'}" << "DeviceID" << false
        << QStringList({"/dev/sdb", "B", "A"});
    QTest::newRow("partition of a logical disk")
        << "ASSOCIATORS OF {Win32_LogicalDisk='A'} WHERE ResultClass=Win32_DiskPartition" << "DeviceID" << false
        << QStringList("/dev/sdb1");
    QTest::newRow("logical disks skip pseudo mounts") << "SELECT Name FROM Win32_LogicalDisk" << "Name" << false
                                                       << QStringList({"B", "A"});
    QTest::newRow("file system") << "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='A'" << "FileSystem"
                                 << false << QStringList("FAT32");
    QTest::newRow("OR of two names") << "SELECT * FROM Win32_LogicalDisk WHERE Name='A' OR Name='B'" << "Access"
                                     << true << QStringList({"1", "3"});
    QTest::newRow("access as text") << "SELECT Access FROM Win32_LogicalDisk WHERE Name='B'" << "Access"
                                    << false << QStringList("1");
    QTest::newRow("no match") << "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='/nowhere'"
                              << "FileSystem" << false << QStringList();
    QTest::newRow("property not selected") << "SELECT Name FROM Win32_LogicalDisk WHERE Name='A'"
                                           << "FileSystem" << false << QStringList("");
}

void TestScsiDriveDetector::queryRows()
{
    QFETCH(QString, wql);
    QFETCH(QString, property);
    QFETCH(bool, numeric);
    QFETCH(QStringList, rows);
    SysFixture fx;
    fx.addDisk("sdaa", "ATA", "LAST");
    fx.addDisk("sdb", vendor, product);
    fx.addDisk("sda", "ATA", "FIRST");
    for (const char *p : {"sdb1", "sdb2", "sdb10"})
        fx.addPartition("sdb", p);
    fx.setFilesystem("sdb1", "vfat", "FAT32");
    const QString b = fx.mount("sdb1", fx.makeDir("b"), true);
    fx.addPseudoMount(fx.makeDir("proc2"), "proc");
    const QString a = fx.mount("sdb1", fx.makeDir("a"));
    wql.replace("'A'", "'" + a + "'").replace("'B'", "'" + b + "'");
    rows.replaceInStrings(QRegularExpression("^A$"), a).replaceInStrings(QRegularExpression("^B$"), b);
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QCOMPARE(detector.queryProperty(wql, property, &failed, numeric), rows);
    QVERIFY(!failed);
}

void TestScsiDriveDetector::queryFailures_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("property");
    QTest::newRow("unknown class") << "SELECT DeviceID FROM Win32_Toaster" << "DeviceID";
    QTest::newRow("unknown selected property") << "SELECT Colour FROM Win32_DiskDrive" << "Colour";
    QTest::newRow("unknown property read") << "SELECT * FROM Win32_DiskDrive" << "Colour";
    QTest::newRow("unknown property in condition") << "SELECT * FROM Win32_LogicalDisk WHERE Colour = 1"
                                                   << "Name";
    QTest::newRow("property of another class") << "SELECT Model FROM Win32_LogicalDisk" << "Model";
    QTest::newRow("syntax error") << "SELECT DeviceID FROM Win32_DiskDrive WHERE (Model = 'x'" << "DeviceID";
    QTest::newRow("unknown result class")
        << "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE ResultClass=Win32_Toaster" << "DeviceID";
    QTest::newRow("unknown source class")
        << "ASSOCIATORS OF {Win32_Toaster='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition" << "DeviceID";
    QTest::newRow("unknown key property")
        << "ASSOCIATORS OF {Win32_DiskDrive.Colour='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition"
        << "DeviceID";
    QTest::newRow("unknown association")
        << "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE AssocClass=Win32_Toaster" << "DeviceID";
    QTest::newRow("value closes the literal")
        << "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='/media/Bob's stick'" << "FileSystem";
    QTest::newRow("empty") << "" << "DeviceID";
}

void TestScsiDriveDetector::queryFailures()
{
    QFETCH(QString, wql);
    QFETCH(QString, property);
    SysFixture fx;
    fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Query \".*\" failed\\.$"));
    QCOMPARE(detector.queryProperty(wql, property, &failed, false), QStringList());
    QVERIFY(failed);
}

void TestScsiDriveDetector::failureFlagIsNeverCleared()
{
    SysFixture fx;
    fx.addDiscwand();
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QCOMPARE(detector.queryProperty("SELECT Name FROM Win32_LogicalDisk WHERE Name = '/none'", "Name",
                                    &failed, false),
             QStringList());
    QVERIFY(!failed); // matching nothing is no failure
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Query .* failed\\.$"));
    detector.queryProperty("SELECT Name FROM Nowhere", "Name", &failed, false);
    QVERIFY(failed);
    const QStringList disks = detector.queryProperty("SELECT DeviceID FROM Win32_DiskDrive", "DeviceID",
                                                     &failed, false);
    QCOMPARE(disks, QStringList("/dev/sdb"));
    QVERIFY(failed);
}

void TestScsiDriveDetector::realSystem()
{
    QVERIFY(qEnvironmentVariableIsEmpty("DISCSHELF_SYSROOT"));
    ScsiDriveDetector detector(vendor, product, nullptr);
    SignalLog log(&detector);
    detector.forceRefresh();
    QCOMPARE(log.events, QStringList("refreshComplete"));
    QCOMPARE(detector.drivePath(), QString());
}

void TestScsiDriveDetector::fatalConnectionFailure_data()
{
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("text");
    const QString tail = "\nIf this problem persists, please contact support@quellor-makeworth.com";
    QTest::newRow("no description at all")
        << "" << "Failed to create IWbemLocator object. Error code 0x2" + tail;
    QTest::newRow("disk list missing")
        << "sys/block" << "Couldn't connect to local wbem thingy. Error code 0x2" + tail;
    QTest::newRow("mount table missing")
        << "proc/self/mountinfo" << "Couldn't connect to local wbem thingy. Error code 0x2" + tail;
}

// The box ends the process, so it is shown in a child: this test program started again with
// --construct-detector, which answers the box itself and reports what it saw.
void TestScsiDriveDetector::fatalConnectionFailure()
{
    QFETCH(QString, remove);
    QFETCH(QString, text);
    SysFixture fx;
    QString root = fx.root();
    if (remove.isEmpty())
        root += "/missing";
    else
        fx.vanish(remove);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISCSHELF_SYSROOT", root);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--construct-detector"});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 255); // -1
    const QStringList seen = QString::fromUtf8(child.readAllStandardOutput()).split("\n--\n");
    QCOMPARE(seen.value(0), QStringLiteral("Fatal Error"));
    QCOMPARE(seen.value(1), text);
    QCOMPARE(seen.value(2), QStringLiteral("critical, OK only"));
    QCOMPARE(seen.value(3), QStringLiteral("no parent"));
}

static int constructDetector()
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const bool okOnly = box->buttons().size() == 1 && box->button(QMessageBox::Ok);
        std::cout << box->windowTitle().toStdString() << "\n--\n" << box->text().toStdString() << "\n--\n"
                  << (box->icon() == QMessageBox::Critical ? "critical" : "other")
                  << (okOnly ? ", OK only" : ", other buttons")
                  << "\n--\n" << (box->parentWidget() ? "parent" : "no parent") << std::flush;
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    ScsiDriveDetector detector(vendor, product, nullptr);
    std::cout << "constructed" << std::flush;
    return 0;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--construct-detector") == 0)
        return constructDetector();
    TestScsiDriveDetector test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scsidrivedetector.moc"
