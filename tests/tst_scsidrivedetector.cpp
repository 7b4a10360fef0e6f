// Finding the discwand: the detection pass and its signals, drive notifications from the mount
// table, the write-access probe, the query layer's contract and the fatal connection failure.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/drivenotifier.h"
#include "detect/scsidrivedetector.h"
#include "ui/discshelf.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
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
        using D = ScsiDriveDetector;
        QObject::connect(d, &D::refreshFailed, d, [this] { events << "refreshFailed"; });
        QObject::connect(d, &D::refreshComplete, d, [this] { events << "refreshComplete"; });
        QObject::connect(d, &D::driveDetected, d,
                         [this](const QString &p) { events << "driveDetected " + p; });
        QObject::connect(d, &D::driveDisappeared, d, [this] { events << "driveDisappeared"; });
        QObject::connect(d, &D::driveStateChanged, d,
                         [this](bool on) { events << QStringLiteral("driveStateChanged %1").arg(on); });
        QObject::connect(d, &D::youShouldRefreshNow, d, [this] { events << "youShouldRefreshNow"; });
    }
};

// A read-only FAT32 volume on another disk, mounted first: a query whose meaning a value
// changed, or a match on the wrong disk, lands on it.
QString layout(SysFixture &fx)
{
    fx.addDisk("sda", "ATA", "SOME DISK");
    fx.addPartition("sda", "sda1");
    fx.setFilesystem("sda1", "vfat", "FAT32");
    fx.mount("sda1", {}, true);
    return fx.addDiscwand();
}

// A discwand (sdb, FAT32 partition sdb1 mounted at ROOT) beside that decoy, a detector, and
// named steps that change the system or drive the detector.
struct Rig {
    SysFixture fx;
    const QString root = layout(fx);
    ScsiDriveDetector detector{vendor, product, nullptr};
    SignalLog log{&detector};
    QString other; // mount point + "/" of the volume a step mounted last

    QString drive(const QString &name) const
    {
        return name == "ROOT" ? root
            : name == "ROOT without slash" ? root.chopped(1)
            : name == "ROOT in upper case" ? root.toUpper() : name;
    }

    void step(const QString &s)
    {
        if (s == "known") { // a pass that finds the device; its signals are not of interest
            detector.forceRefresh();
            log.events.clear();
        } else if (s == "pass") {
            detector.forceRefresh();
        } else if (s == "probe") { // logs what the probe said, then its answer
            static QStringList said;
            said.clear();
            const auto previous = qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext &, const QString &m) { said << m; });
            const bool writable = detector.isWritable();
            qInstallMessageHandler(previous);
            log.events << said << (writable ? "writable" : "not writable");
        } else if (s.startsWith("added ") || s.startsWith("removed ")) {
            detector.driveChanged(s.startsWith("added "), drive(s.section(' ', 1)));
        } else if (s == "other vendor") {
            fx.addDisk("sdb", "ATA", product);
        } else if (s == "other product") {
            fx.addDisk("sdb", vendor, "OTHER STICK");
        } else if (s == "no partition") {
            fx.vanish("sys/block/sdb/sdb1");
        } else if (s == "FAT16" || s == "NTFS" || s == "exFAT") {
            fx.setFilesystem("sdb1", s == "FAT16" ? "vfat" : s.toLower(), s == "FAT16" ? "FAT16" : "");
        } else if (s == "unmount") {
            fx.unmount(root.chopped(1));
        } else if (s.startsWith("remount")) {
            fx.mount("sdb1", root.chopped(1), s == "remount ro");
        } else if (s.startsWith("mount at ")) {
            other = fx.mount("sdb1", fx.makeDir(s.mid(9))) + "/";
        } else if (s == "FAT32 sdb2") {
            fx.addPartition("sdb", "sdb2");
            fx.setFilesystem("sdb2", "vfat", "FAT32");
            other = fx.mount("sdb2") + "/";
        } else if (s == "second discwand") {
            fx.addDiscwand("sdc");
            QTest::ignoreMessage(QtDebugMsg, "Found >1 matching drive, only using the first one.");
        } else if (s == "whole-disk volume") { // no partition table: the disk carries the FAT32
            fx.vanish("sys/block/sdb/sdb1");
            fx.setFilesystem("sdb", "vfat", "FAT32");
            fx.unmount(root.chopped(1));
            fx.mount("sdb", root.chopped(1));
        } else if (s == "ro partition" || s == "ro disk") {
            fx.setDeviceReadOnly(s == "ro disk" ? "sdb" : "sdb1", true);
        } else if (s.startsWith("no ")) {
            fx.vanish(s == "no disk"            ? "sys/block/sdb"
                          : s == "no disk list" ? "sys/block"
                                                : "proc/self/mountinfo");
        } else {
            QFAIL(qPrintable("unknown step " + s));
        }
    }
    void run(const QString &steps)
    {
        for (const QString &s : steps.split("; "))
            step(s);
    }
    QString expand(QString text) const { return text.replace("OTHER", other).replace("ROOT", root); }
};

const QString complete = QStringLiteral("refreshComplete");
const QString found = QStringLiteral("driveDetected ROOT");
const QStringList appears = {found, "driveStateChanged 1", complete};
const QStringList disappears = {"driveStateChanged 0", "driveDisappeared", complete};

} // namespace

class TestScsiDriveDetector : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void passOutcomes_data();
    void passOutcomes() { checkRow(); }
    void volumeChoice_data();
    void volumeChoice() { checkRow(); }
    void notifications_data();
    void notifications() { checkRow(); }
    void notifierFollowsMountTable();
    void detectorFollowsMountTable();
    void probe_data();
    void probe() { checkRow(); }
    void queries_data();
    void queries();
    void realSystem();
    void fatalConnectionFailure_data();
    void fatalConnectionFailure();

private:
    static void addColumns();
    static void checkRow();
};

void TestScsiDriveDetector::addColumns()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("expected"); // what the steps after "known" signalled
    QTest::addColumn<QString>("path");         // drivePath() at the end
}

// Runs a row's steps; checks the signals (and probe results) and the device root at the end.
void TestScsiDriveDetector::checkRow()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, expected);
    QFETCH(QString, path);
    Rig rig;
    rig.run(steps);
    QCOMPARE(rig.log.events, rig.expand(expected.join('\n')).split('\n', Qt::SkipEmptyParts));
    QCOMPARE(rig.detector.drivePath(), rig.expand(path));
}

void TestScsiDriveDetector::passOutcomes_data()
{
    addColumns();
    QTest::newRow("vendor without the product") << "other product; pass" << QStringList(complete) << "";
    QTest::newRow("product of another vendor") << "other vendor; pass" << QStringList(complete) << "";
    QTest::newRow("matching disk without partitions") << "no partition; pass" << QStringList(complete) << "";
    QTest::newRow("partition not mounted") << "unmount; pass" << QStringList(complete) << "";
    QTest::newRow("FAT16") << "FAT16; pass" << QStringList(complete) << "";
    QTest::newRow("exFAT") << "exFAT; pass" << QStringList(complete) << "";
    QTest::newRow("found, absent before") << "pass" << appears << "ROOT";
    QTest::newRow("found, present before") << "known; pass" << QStringList({found, complete}) << "ROOT";
    QTest::newRow("found at a new mount point")
        << "known; unmount; mount at elsewhere; pass" << QStringList({"driveDetected OTHER", complete})
        << "OTHER";
    QTest::newRow("no FAT32, present before") << "known; NTFS; pass" << disappears << "";
    QTest::newRow("volume unmounted unnoticed") << "known; unmount; pass" << disappears << "";
    QTest::newRow("disk gone unnoticed") << "known; no disk; pass" << QStringList(complete) << "";
    QTest::newRow("disk list unreadable, present before")
        << "known; no disk list; pass" << QStringList("refreshFailed") << "";
    QTest::newRow("mount table unreadable, absent before")
        << "no mount table; pass" << QStringList("refreshFailed") << "";
}

void TestScsiDriveDetector::volumeChoice_data()
{
    addColumns();
    QTest::newRow("two discwands: the first") << "second discwand; pass" << appears << "ROOT";
    QTest::newRow("two discwands, first NTFS: none")
        << "second discwand; NTFS; pass" << QStringList(complete) << "";
    QTest::newRow("two FAT32 volumes: partition order, not mount order")
        << "unmount; FAT32 sdb2; remount; pass" << appears << "ROOT";
    const QStringList other = {"driveDetected OTHER", "driveStateChanged 1", complete};
    QTest::newRow("first partition NTFS") << "NTFS; FAT32 sdb2; pass" << other << "OTHER";
    QTest::newRow("partitionless stick")
        << "whole-disk volume; pass; probe" << appears + QStringList("writable") << "ROOT";
    // Mount points that need unescaping from the mount table or escaping in a query.
    for (const char *name :
         {"my disc wand", "Bob's stick", "back\\slash", "odd\\'", "x' OR Name LIKE '%", "%1 %2"})
        QTest::addRow("mount point \"%s\"", name)
            << QString("unmount; mount at ") + name + "; pass; probe" << other + QStringList("writable")
            << "OTHER";
}

void TestScsiDriveDetector::notifications_data()
{
    addColumns();
    const QStringList none, refresh("youShouldRefreshNow"), gone("driveDisappeared");
    QTest::newRow("added while no device") << "added /media/x/" << refresh << "";
    QTest::newRow("removed while no device") << "removed /media/x/" << none << "";
    QTest::newRow("known root removed twice") << "known; removed ROOT; removed ROOT" << gone << "";
    QTest::newRow("known root removed, another added")
        << "known; removed ROOT; added /media/x/" << QStringList({gone.first(), refresh.first()}) << "";
    QTest::newRow("removal without trailing slash") << "known; removed ROOT without slash" << none << "ROOT";
    QTest::newRow("removal in other case") << "known; removed ROOT in upper case" << none << "ROOT";
    QTest::newRow("other drive removed") << "known; removed /media/x/" << none << "ROOT";
    QTest::newRow("other drive added while known") << "known; added /media/x/" << none << "ROOT";
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
    QVERIFY(QFile::copy(table, table + ".new") && QFile::remove(table)
            && QFile::rename(table + ".new", table));
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
    SignalLog log(&detector);
    const QString root = fx.addDiscwand();
    QTRY_COMPARE(log.events, QStringList("youShouldRefreshNow"));
    detector.forceRefresh();
    fx.unmount(root.chopped(1));
    QTRY_COMPARE(log.events.last(), QStringLiteral("driveDisappeared"));
    QCOMPARE(log.events, QStringList({"youShouldRefreshNow", "driveDetected " + root, "driveStateChanged 1",
                                      complete, "driveDisappeared"}));
    QCOMPARE(detector.drivePath(), QString());
}

void TestScsiDriveDetector::probe_data()
{
    addColumns();
    const QStringList yes("writable"), no("not writable");
    QTest::newRow("read-write") << "known; probe" << yes << "ROOT";
    QTest::newRow("read-only mount") << "unmount; remount ro; known; probe" << no << "ROOT";
    QTest::newRow("partition read-only flag") << "ro partition; known; probe" << no << "ROOT";
    QTest::newRow("disk read-only flag") << "ro disk; known; probe" << no << "ROOT";
    // Any query would fail and say so.
    QTest::newRow("no device: no query") << "no disk list; no mount table; probe" << no << "";
    const QString warning = "Derp, checking writability of non-existent drive.";
    QTest::newRow("volume vanished, notice not yet handled")
        << "known; unmount; probe" << QStringList({warning, no.first()}) << "ROOT";
}

void TestScsiDriveDetector::queries_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("property");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QStringList>("rows"); // A, B stand for the two mount points
    const auto row = [](const char *name, const QString &wql, const QString &property,
                        const QStringList &rows, bool numeric = false) {
        QTest::newRow(name) << wql << property << numeric << rows;
    };
    const QStringList failed("failed");
    row("disks in name order", "SELECT DeviceID FROM Win32_DiskDrive", "DeviceID",
        {"/dev/sda", "/dev/sdb", "/dev/sdaa"});
    row("model trimmed and joined", "SELECT Model FROM Win32_DiskDrive WHERE DeviceID='/dev/sdb'", "Model",
        {"QUELLOR DISCWAND FLASH"});
    row("partitions by number",
        "ASSOCIATORS OF {Win32_DiskDrive.DeviceID='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition",
        "DeviceID", {"/dev/sdb1", "/dev/sdb2", "/dev/sdb10"});
    row("logical disks of a partition, mount order",
        "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb1'} WHERE ResultClass=Win32_LogicalDisk", "DeviceID",
        {"B", "A"});
    row("all associators of a partition", "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb1'}", "DeviceID",
        {"/dev/sdb", "B", "A"});
    row("logical disks skip pseudo mounts", "SELECT Name FROM Win32_LogicalDisk", "Name", {"B", "A"});
    row("file system", "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='A'", "FileSystem", {"FAT32"});
    row("numeric Access of two", "SELECT * FROM Win32_LogicalDisk WHERE Name='A' OR Name='B'", "Access",
        {"1", "3"}, true);
    row("no match", "SELECT Name FROM Win32_LogicalDisk WHERE Name='/nowhere'", "Name", {});
    row("property not selected", "SELECT Name FROM Win32_LogicalDisk WHERE Name='A'", "FileSystem", {""});
    row("unknown class", "SELECT DeviceID FROM Win32_Toaster", "DeviceID", failed);
    row("unknown selected property", "SELECT Colour FROM Win32_DiskDrive", "Colour", failed);
    row("unknown property read", "SELECT * FROM Win32_DiskDrive", "Colour", failed);
    row("unknown property in condition", "SELECT * FROM Win32_LogicalDisk WHERE Colour = 1", "Name", failed);
    row("syntax error", "SELECT DeviceID FROM Win32_DiskDrive WHERE (Model = 'x'", "DeviceID", failed);
    row("unknown result class",
        "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE ResultClass=Win32_Toaster", "DeviceID", failed);
    row("unknown key property",
        "ASSOCIATORS OF {Win32_DiskDrive.Colour='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition",
        "DeviceID", failed);
    row("unknown association",
        "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE AssocClass=Win32_Toaster", "DeviceID", failed);
}

// A failed query returns nothing, says so and sets the flag; a later good query leaves it as it was.
void TestScsiDriveDetector::queries()
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
    const bool fails = rows == QStringList("failed");
    if (fails) {
        QTest::ignoreMessage(QtDebugMsg, qPrintable("Query \"" + wql + "\" failed."));
        rows.clear();
    }
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QCOMPARE(detector.queryProperty(wql, property, &failed, numeric), rows);
    QCOMPARE(failed, fails);
    QCOMPARE(detector.queryProperty("SELECT Model FROM Win32_DiskDrive WHERE DeviceID='/dev/sdb'", "Model",
                                    &failed, false),
             QStringList("QUELLOR DISCWAND FLASH"));
    QCOMPARE(failed, fails);
}

void TestScsiDriveDetector::realSystem()
{
    QVERIFY(qEnvironmentVariableIsEmpty("DISCSHELF_SYSROOT"));
    ScsiDriveDetector detector(vendor, product, nullptr);
    SignalLog log(&detector);
    detector.forceRefresh();
    QCOMPARE(log.events, QStringList(complete));
    QCOMPARE(detector.drivePath(), QString());
}

void TestScsiDriveDetector::fatalConnectionFailure_data()
{
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("window"); // the window program shows a box; the core alone logs
    const QString tail =
        " Error code 0x2\nIf this problem persists, please contact support@quellor-makeworth.com";
    QTest::newRow("no description at all")
        << "" << "Failed to create IWbemLocator object." + tail << true;
    QTest::newRow("disk list missing")
        << "sys/block" << "Couldn't connect to local wbem thingy." + tail << true;
    QTest::newRow("mount table missing, no window")
        << "proc/self/mountinfo" << "Couldn't connect to local wbem thingy." + tail << false;
}

// The box ends the process, so it is shown in a child: this test program started again with
// --construct-detector, which answers the box itself and reports what it saw.
void TestScsiDriveDetector::fatalConnectionFailure()
{
    QFETCH(QString, remove);
    QFETCH(QString, text);
    QFETCH(bool, window);
    SysFixture fx;
    if (!remove.isEmpty())
        fx.vanish(remove);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISCSHELF_SYSROOT", remove.isEmpty() ? fx.root() + "/missing" : fx.root());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                { window ? "--construct-window" : "--construct-detector" });
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 255); // -1
    if (window)
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()),
                 "Fatal Error\n--\n" + text + "\n--\ncritical, OK only, no parent");
    else
        QVERIFY(QString::fromUtf8(child.readAllStandardError()).contains(text));
}

static int construct(bool window)
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
                  << (box->parentWidget() ? ", parent" : ", no parent") << std::flush;
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    if (window)
        discShelf w;
    else
        ScsiDriveDetector detector(vendor, product, nullptr);
    std::cout << "constructed" << std::flush;
    return 0;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrncmp(argv[1], "--construct-", 12) == 0)
        return construct(qstrcmp(argv[1], "--construct-window") == 0);
    TestScsiDriveDetector test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scsidrivedetector.moc"
