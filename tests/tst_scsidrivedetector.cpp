// Finding the discwand: the detection pass and its signals, drive notifications from the mount
// table, the write-access probe, the query layer's contract and the fatal connection failure.
#include "common/sysfixture.h"
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
#include <QTimer>

#include <iostream>
#include <sys/stat.h>

namespace {

const QString vendor = QStringLiteral("QUELLOR");
const QString product = QStringLiteral("DISCWAND FLASH");

// A discwand (sdb, FAT32 partition sdb1 mounted at ROOT) after a read-only FAT32 volume of
// another disk, which a query on the wrong disk would land on; a detector whose signals are
// logged in order; named steps that change the system or drive the detector.
struct Rig
{
    SysFixture fx;
    const QString root = [this] {
        fx.addDisk("sda", "ATA", "SOME DISK");
        fx.addPartition("sda", "sda1");
        fx.setFilesystem("sda1", "vfat", "FAT32");
        fx.mount("sda1", {}, true);
        return fx.addDiscwand();
    }();
    ScsiDriveDetector detector { vendor, product, nullptr };
    QStringList events;
    QString other; // mount point + "/" of the volume a step mounted last

    Rig()
    {
        using D = ScsiDriveDetector;
        const auto note = [this](const char *what) { return [this, what] { events << what; }; };
        QObject::connect(&detector, &D::refreshFailed, note("refreshFailed"));
        QObject::connect(&detector, &D::refreshComplete, note("refreshComplete"));
        QObject::connect(&detector, &D::driveDisappeared, note("driveDisappeared"));
        QObject::connect(&detector, &D::youShouldRefreshNow, note("youShouldRefreshNow"));
        QObject::connect(&detector, &D::driveDetected,
                         [this](const QString &p) { events << "driveDetected " + p; });
        QObject::connect(&detector, &D::driveStateChanged, [this](bool on) {
            events << QStringLiteral("driveStateChanged %1").arg(on);
        });
    }

    void step(const QString &s)
    {
        const QString mnt = root.chopped(1);
        if (s == "known") { // a pass that finds the device; its signals are not of interest
            detector.forceRefresh();
            events.clear();
        } else if (s == "pass") {
            detector.forceRefresh();
        } else if (s == "present") {
            events << (detector.isPresent() ? "present" : "not present");
        } else if (s == "probe") {
            events << (detector.isWritable() ? "writable" : "not writable");
        } else if (s == "why") { // a read-only mount of a writable disk: errors, not the switch
            events << (detector.isVolumeDirty() ? "errors" : "no errors");
        } else if (s == "wait") { // long enough for the notifier to report what it saw
            QTest::qWait(200);
            events << s;
        } else if (s.startsWith("added ") || s.startsWith("removed ")) {
            const QString d = s.section(' ', 1);
            detector.driveChanged(s.startsWith("added "),
                                  d == "ROOT"        ? root
                                      : d == "ROOT-" ? mnt
                                      : d == "ROOT+" ? root.toUpper()
                                                     : d);
        } else if (s == "other volume here") { // another disk mounted where the device was
            fx.unmount(mnt);
            fx.addDisk("sdc", "ACME", "PHOTO BACKUP");
            fx.addPartition("sdc", "sdc1");
            fx.setFilesystem("sdc1", "vfat", "FAT32");
            fx.mount("sdc1", mnt);
        } else if (s == "other volume on top") { // another disk mounted over the device
            fx.addDisk("sdc", "ACME", "PHOTO BACKUP");
            fx.addPartition("sdc", "sdc1");
            fx.setFilesystem("sdc1", "vfat", "FAT32");
            fx.mount("sdc1", mnt);
        } else if (s == "disk leaves") { // its mount lingers, as without an automounter
            fx.vanish("sys/block/sdb");
        } else if (s == "other vendor" || s == "other product") {
            fx.addDisk("sdb", s == "other vendor" ? "ATA" : vendor,
                       s == "other vendor" ? product : "OTHER");
        } else if (s == "FAT16" || s == "NTFS") {
            fx.setFilesystem("sdb1", s == "FAT16" ? "vfat" : "ntfs", s == "FAT16" ? "FAT16" : "");
        } else if (s == "unmount") {
            fx.unmount(mnt);
        } else if (s.startsWith("remount")) {
            fx.mount("sdb1", mnt, s == "remount ro");
        } else if (s.startsWith("mount at ")) {
            other = fx.mount("sdb1", fx.makeDir(s.mid(9))) + "/";
        } else if (s == "mount outside encoding") { // a name this system cannot spell exactly
            const QByteArray raw = QFile::encodeName(fx.mount("sdb1", fx.makeDir("cafX")))
                                       .replace("cafX", "caf\xE9");
            QVERIFY(::mkdir(raw.constData(), 0755) == 0);
            QFile table(fx.root() + "/proc/self/mountinfo"); // the same length: rewritten in place
            QVERIFY(table.open(QIODevice::ReadWrite));
            const QByteArray text = table.readAll().replace("cafX", "caf\xE9");
            QVERIFY(table.seek(0) && table.write(text) == text.size());
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("Leaving out the volume mounted at"));
        } else if (s == "pseudo mount") {
            fx.mount({}, fx.makeDir("tmp"));
        } else if (s == "table replaced") { // written elsewhere and renamed over the old one
            const QString table = fx.root() + "/proc/self/mountinfo";
            QVERIFY(QFile::copy(table, table + ".new") && QFile::remove(table)
                    && QFile::rename(table + ".new", table));
        } else if (s == "FAT32 sdb2") {
            fx.addPartition("sdb", "sdb2");
            fx.setFilesystem("sdb2", "vfat", "FAT32");
            other = fx.mount("sdb2") + "/";
        } else if (s == "second discwand") {
            other = fx.addDiscwand("sdaa"); // after sdb in name order, before it in character order
            QTest::ignoreMessage(QtDebugMsg, "Found >1 matching drive, only using the first one.");
        } else if (s == "whole-disk volume") { // no partition table: the disk carries the FAT32
            fx.vanish("sys/block/sdb/sdb1");
            fx.setFilesystem("sdb", "vfat", "FAT32");
            fx.unmount(mnt);
            fx.mount("sdb", mnt);
        } else if (s == "ro partition" || s == "ro disk") {
            fx.setDeviceReadOnly(s == "ro disk" ? "sdb" : "sdb1", true);
        } else if (s == "warns") {
            QTest::ignoreMessage(QtWarningMsg, "Derp, checking writability of non-existent drive.");
        } else if (s.startsWith("no ")) {
            fx.vanish(s == "no disk"            ? "sys/block/sdb"
                          : s == "no disk list" ? "sys/block"
                          : s == "no partition" ? "sys/block/sdb/sdb1"
                                                : "proc/self/mountinfo");
        } else {
            QFAIL(qPrintable("unknown step " + s));
        }
    }
    QString expand(QString text) const
    {
        return text.replace("OTHER", other).replace("ROOT", root);
    }
};

const QString complete = QStringLiteral("refreshComplete");
const QStringList appears = { "driveDetected ROOT", "driveStateChanged 1", complete };
const QStringList appearsOther = { "driveDetected OTHER", "driveStateChanged 1", complete };
const QStringList disappears = { "driveStateChanged 0", "driveDisappeared", complete };

} // namespace

class TestScsiDriveDetector : public QObject
{
    Q_OBJECT
private slots:
    void passes_data();
    void passes() { checkRow(); }
    void notifications_data();
    void notifications() { checkRow(); }
    void probe_data();
    void probe() { checkRow(); }
    void queries_data();
    void queries();
    void fatalConnectionFailure_data();
    void fatalConnectionFailure();

private:
    static void addColumns()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("expected"); // what the steps after "known" signalled
        QTest::addColumn<QString>("path"); // drivePath() at the end
    }
    static void checkRow();
};

// Runs a row's steps; the signals (and probe results) must come within a second, as the mount
// table's changes must, and the device root is checked at the end.
void TestScsiDriveDetector::checkRow()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, expected);
    QFETCH(QString, path);
    QTest::failOnWarning(
        "Derp, checking writability of non-existent drive."); // unless a row expects it
    Rig rig;
    for (const QString &s : steps.split("; "))
        rig.step(s);
    QTRY_COMPARE_WITH_TIMEOUT(
        rig.events, rig.expand(expected.join('\n')).split('\n', Qt::SkipEmptyParts), 1000);
    QCOMPARE(rig.detector.drivePath(), rig.expand(path));
}

void TestScsiDriveDetector::passes_data()
{
    addColumns();
    const QStringList none(complete), failed("refreshFailed");
    QTest::newRow("vendor without the product") << "other product; pass" << none << "";
    QTest::newRow("product of another vendor") << "other vendor; pass" << none << "";
    QTest::newRow("matching disk without partitions") << "no partition; pass" << none << "";
    QTest::newRow("partition not mounted") << "unmount; pass" << none << "";
    QTest::newRow("FAT16") << "FAT16; pass" << none << "";
    QTest::newRow("found, absent before") << "pass" << appears << "ROOT";
    QTest::newRow("found, present before")
        << "known; pass" << QStringList({ "driveDetected ROOT", complete }) << "ROOT";
    QTest::newRow("found at a new mount point")
        << "known; unmount; mount at elsewhere; pass"
        << QStringList({ "driveDetected OTHER", complete }) << "OTHER";
    QTest::newRow("no FAT32, present before") << "known; NTFS; pass" << disappears << "";
    QTest::newRow("volume unmounted unnoticed") << "known; unmount; pass" << disappears << "";
    QTest::newRow("disk gone unnoticed") << "known; no disk; pass" << none << "";
    QTest::newRow("disk list unreadable, present before")
        << "known; no disk list; pass" << failed << "";
    QTest::newRow("mount table unreadable, absent before")
        << "no mount table; pass" << failed << "";
    // Which volume is taken.
    QTest::newRow("two discwands: the first") << "second discwand; pass" << appears << "ROOT";
    QTest::newRow("two discwands, first NTFS: the second")
        << "second discwand; NTFS; pass" << appearsOther << "OTHER";
    QTest::newRow("two FAT32 volumes: partition order, not mount order")
        << "unmount; FAT32 sdb2; remount; pass" << appears << "ROOT";
    QTest::newRow("first partition NTFS") << "NTFS; FAT32 sdb2; pass" << appearsOther << "OTHER";
    QTest::newRow("partitionless stick")
        << "whole-disk volume; pass; probe" << appears + QStringList("writable") << "ROOT";
    // A mount point this system cannot spell exactly is no device: writes would go to a folder
    // of another spelling on the computer's own disk.
    QTest::newRow("mount point outside the encoding")
        << "unmount; mount outside encoding; pass" << none << "";
    // Mount points that need unescaping from the mount table or escaping in a query.
    for (const char *name :
         { "my disc wand", "Bob's stick", "back\\slash", "odd\\'", "x' OR Name LIKE '%", "%1 %2" })
        QTest::addRow("mount point \"%s\"", name)
            << QString("unmount; mount at ") + name + "; pass; probe"
            << appearsOther + QStringList("writable") << "OTHER";
}

void TestScsiDriveDetector::notifications_data()
{
    addColumns();
    const QStringList none, refresh("youShouldRefreshNow"), gone("driveDisappeared");
    QTest::newRow("added while no device") << "added /media/x/" << refresh << "";
    QTest::newRow("removed while no device") << "removed /media/x/" << none << "";
    QTest::newRow("known root removed twice") << "known; removed ROOT; removed ROOT" << gone << "";
    QTest::newRow("known root removed, another added")
        << "known; removed ROOT; added /media/x/" << gone + refresh << "";
    QTest::newRow("removal without trailing slash") << "known; removed ROOT-" << none << "ROOT";
    QTest::newRow("removal in other case") << "known; removed ROOT+" << none << "ROOT";
    QTest::newRow("other drive removed") << "known; removed /media/x/" << none << "ROOT";
    QTest::newRow("other drive added while known") << "known; added /media/x/" << none << "ROOT";
    // From the mount table itself.
    QTest::newRow("table: volume mounted, pseudo mount left out")
        << "pseudo mount; mount at x" << refresh << "";
    QTest::newRow("table: volume unmounted") << "known; unmount" << gone << "";
    QTest::newRow("table: replaced as a whole") << "known; table replaced; unmount" << gone << "";
    QTest::newRow("table: unreadable for a while")
        << "known; no mount table; wait; unmount" << QStringList("wait") + gone << "";
    // Changes that leave the mount point's line count as it was.
    QTest::newRow("table: another disk at the same place")
        << "known; other volume here" << gone + refresh << "";
    QTest::newRow("table: disk gone, mount lingering") << "known; disk leaves" << gone << "";
    // Writes there would reach the disk on top: the device is out of reach.
    QTest::newRow("table: another disk mounted over it") << "known; other volume on top; pass"
                                                         << disappears << "";
}

void TestScsiDriveDetector::probe_data()
{
    addColumns();
    const QStringList yes("writable"), no("not writable"), present("present"),
        absent("not present");
    const QStringList errors("errors"), fine("no errors");
    QTest::newRow("read-write") << "known; probe; why" << yes + fine << "ROOT";
    QTest::newRow("read-only mount")
        << "unmount; remount ro; known; probe; why" << no + errors << "ROOT";
    QTest::newRow("partition read-only flag")
        << "ro partition; known; probe; why" << no + fine << "ROOT";
    QTest::newRow("disk read-only flag") << "ro disk; known; probe; why" << no + fine << "ROOT";
    QTest::newRow("switch and read-only mount")
        << "ro disk; unmount; remount ro; known; why" << fine << "ROOT";
    QTest::newRow("no device: no query") << "no disk list; no mount table; probe" << no << "";
    QTest::newRow("volume vanished, notice not yet handled")
        << "known; unmount; warns; probe" << no << "ROOT";
    // Before writing: the device root must still lead to the device's own volume.
    QTest::newRow("still the device") << "known; present" << present << "ROOT";
    QTest::newRow("another volume mounted in its place")
        << "known; other volume here; present" << absent << "ROOT";
    QTest::newRow("disk gone, mount lingering")
        << "known; disk leaves; present" << absent << "ROOT";
    QTest::newRow("no device") << "present" << absent << "";
}

void TestScsiDriveDetector::queries_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QStringList>("rows"); // A, B stand for the two mount points
    const auto row
        = [](const char *name, const QString &wql, const QString &property,
             const QStringList &rows) { QTest::newRow(name) << wql << property << rows; };
    const QStringList failed("failed");
    row("partitions by number",
        "ASSOCIATORS OF {Win32_DiskDrive.DeviceID='/dev/sdb'} WHERE "
        "ResultClass=Win32_DiskPartition",
        "DeviceID", { "/dev/sdb1", "/dev/sdb2", "/dev/sdb10" });
    row("logical disks of a partition, mount order",
        "ASSOCIATORS OF {Win32_DiskPartition='/dev/sdb1'} WHERE ResultClass=Win32_LogicalDisk",
        "DeviceID", { "B", "A" });
    row("logical disks skip pseudo mounts", "SELECT Name FROM Win32_LogicalDisk", "Name",
        { "B", "A" });
    row("unknown class", "SELECT DeviceID FROM Win32_Toaster", "DeviceID", failed);
    row("unknown property read", "SELECT * FROM Win32_DiskDrive", "Colour", failed);
    row("syntax error", "SELECT DeviceID FROM Win32_DiskDrive WHERE (Model = 'x'", "DeviceID",
        failed);
    row("unknown result class",
        "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE ResultClass=Win32_Toaster", "DeviceID",
        failed);
}

// A failed query returns nothing, says so and sets the flag; a later good query leaves it as it
// was.
void TestScsiDriveDetector::queries()
{
    QFETCH(QString, wql);
    QFETCH(QString, property);
    QFETCH(QStringList, rows);
    SysFixture fx;
    fx.addDisk("sdb", vendor, product);
    for (const char *p : { "sdb1", "sdb2", "sdb10" })
        fx.addPartition("sdb", p);
    fx.setFilesystem("sdb1", "vfat", "FAT32");
    const QString b = fx.mount("sdb1", fx.makeDir("b"), true);
    fx.mount({}, fx.makeDir("proc2"));
    const QString a = fx.mount("sdb1", fx.makeDir("a"));
    wql.replace("'A'", "'" + a + "'");
    rows.replaceInStrings(QRegularExpression("^A$"), a)
        .replaceInStrings(QRegularExpression("^B$"), b);
    const bool fails = rows == QStringList("failed");
    if (fails) {
        QTest::ignoreMessage(QtDebugMsg, qPrintable("Query \"" + wql + "\" failed."));
        rows.clear();
    }
    ScsiDriveDetector detector(vendor, product, nullptr);
    bool failed = false;
    QCOMPARE(detector.queryProperty(wql, property, &failed, false), rows);
    QCOMPARE(failed, fails);
    // Numbers as numbers: a read-only volume has Access 1, a writable one 3; the model is
    // vendor and product, each trimmed of the kernel's padding.
    QCOMPARE(detector.queryProperty("SELECT Access FROM Win32_LogicalDisk WHERE Name='" + a
                                        + "' OR Name='" + b + "'",
                                    "Access", &failed, true),
             QStringList({ "1", "3" }));
    QCOMPARE(detector.queryProperty("SELECT Model FROM Win32_DiskDrive WHERE DeviceID='/dev/sdb'",
                                    "Model", &failed, false),
             QStringList("QUELLOR DISCWAND FLASH"));
    QCOMPARE(failed, fails);
}

void TestScsiDriveDetector::fatalConnectionFailure_data()
{
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("output"); // the window program shows a box; the core alone logs
    const QString tail = " Error code 0x2\nIf this problem persists, please contact "
                         "support@quellor-makeworth.com";
    const QString box = "Fatal Error\n%1\ncritical, OK only, no parent";
    const QString lost = "Couldn't connect to local wbem thingy.";
    QTest::newRow("no description at all")
        << "" << box.arg("Failed to create IWbemLocator object." + tail);
    QTest::newRow("disk list missing") << "sys/block" << box.arg(lost + tail);
    QTest::newRow("mount table missing, no window") << "proc/self/mountinfo" << lost + tail;
}

// The failure ends the process, so a child (this program with --construct) meets it and
// describes the box it answered.
void TestScsiDriveDetector::fatalConnectionFailure()
{
    QFETCH(QString, remove);
    QFETCH(QString, output);
    SysFixture fx;
    fx.vanish(remove); // "": the whole description
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISCSHELF_SYSROOT", fx.root());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                { "--construct", output.startsWith("Fatal") ? "window" : "detector" });
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 255); // -1
    QVERIFY(QString::fromUtf8(child.readAll()).contains(output));
}

static int construct(bool window)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const bool plain = box->icon() == QMessageBox::Critical && box->buttons().size() == 1
            && box->button(QMessageBox::Ok) && !box->parentWidget();
        std::cout << qPrintable(box->windowTitle() + '\n' + box->text())
                  << (plain ? "\ncritical, OK only, no parent" : "") << std::flush;
        box->buttons().first()->click();
    });
    poll.start(10);
    if (window)
        discShelf w;
    else
        ScsiDriveDetector detector(vendor, product, nullptr);
    return 0;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--construct") == 0)
        return construct(qstrcmp(argv[2], "window") == 0);
    TestScsiDriveDetector test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scsidrivedetector.moc"
