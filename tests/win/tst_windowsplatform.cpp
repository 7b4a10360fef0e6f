// The Windows platform layer against a real Windows API (Wine's): WMI queries and a detector
// walking what they answer, volume broadcasts reaching the drive notifier (which needs a
// display for its window), telling volumes apart.
#include "copy/filesync.h"
#include "detect/drivenotifier.h"
#include "detect/scsidrivedetector.h"
#include "library/ejector.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>
#include <dbt.h>

class TestWindowsPlatform : public QObject
{
    Q_OBJECT
private slots:
    void query_data();
    void query();
    void detection_data();
    void detection();
    void unitMask_data();
    void unitMask();
    void broadcast_data();
    void broadcast();
    void volumes();
    void ejectMissingVolume();
};

void TestWindowsPlatform::query_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("property");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QString>("expected"); // one of the values
    QTest::addColumn<bool>("failed");
    QTest::newRow("disk drives") << "SELECT Model FROM Win32_DiskDrive" << "Model" << false
                                 << "Wine Disk Drive" << false;
    QTest::newRow("LIKE with the model") << "SELECT Model FROM Win32_DiskDrive WHERE Model LIKE 'Wine Disk%'"
                                         << "Model" << false << "Wine Disk Drive" << false;
    QTest::newRow("system drive") << "SELECT Name FROM Win32_LogicalDisk" << "Name" << false << "C:"
                                  << false;
    // A local fixed disk is drive type 3, read as a number.
    QTest::newRow("number") << "SELECT DriveType FROM Win32_LogicalDisk WHERE Name='C:'"
                            << "DriveType" << true << "3" << false;
    QTest::newRow("no rows") << "SELECT Name FROM Win32_LogicalDisk WHERE Name='no such'" << "Name"
                             << false << "" << false;
    QTest::newRow("not WQL") << "DELETE everything" << "Name" << false << "" << true;
}

void TestWindowsPlatform::query()
{
    QFETCH(QString, wql);
    QFETCH(QString, property);
    QFETCH(bool, numeric);
    QFETCH(QString, expected);
    QFETCH(bool, failed);
    ScsiDriveDetector detector(QStringLiteral("Wine"), QStringLiteral("Disk Drive"), nullptr);
    bool queryFailed = false;
    // Twice over one connection: nothing of the first query is left in the way of the second.
    for (int round = 0; round < 2; ++round) {
        const QStringList values = detector.queryProperty(wql, property, &queryFailed, numeric);
        QCOMPARE(queryFailed, failed);
        if (failed || expected.isEmpty())
            QVERIFY2(values.isEmpty(), qPrintable(values.join('|')));
        else
            QVERIFY2(values.contains(expected), qPrintable(values.join('|')));
    }
}

void TestWindowsPlatform::detection_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");
    QTest::addColumn<bool>("failed");
    QTest::newRow("no such stick") << "QUELLOR" << "DISCWAND FLASH" << false;
    // Wine's disk is found, but Wine hands out its DeviceID with the backslashes doubled
    // already; escaped once more for the association query, Wine refuses it as invalid. A
    // query that cannot be run fails the pass, and no device is reported.
    QTest::newRow("Wine's disk") << "Wine" << "Disk Drive" << true;
}

void TestWindowsPlatform::detection()
{
    QFETCH(QString, vendor);
    QFETCH(QString, product);
    QFETCH(bool, failed);
    ScsiDriveDetector detector(vendor, product, nullptr);
    QSignalSpy complete(&detector, &ScsiDriveDetector::refreshComplete);
    QSignalSpy failure(&detector, &ScsiDriveDetector::refreshFailed);
    QSignalSpy detected(&detector, &ScsiDriveDetector::driveDetected);
    detector.forceRefresh();
    QCOMPARE(complete.count(), failed ? 0 : 1);
    QCOMPARE(failure.count(), failed ? 1 : 0);
    QCOMPARE(detected.count(), 0);
    QCOMPARE(detector.drivePath(), QString());
    QVERIFY(!detector.isPresent());
    QVERIFY(!detector.isWritable());
}

void TestWindowsPlatform::unitMask_data()
{
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QStringList>("drives");
    QTest::newRow("none") << 0u << QStringList {};
    QTest::newRow("A") << 1u << QStringList { "A:/" };
    QTest::newRow("E and G") << ((1u << 4) | (1u << 6)) << QStringList { "E:/", "G:/" };
    QTest::newRow("Z, and bits past it") << (0xFFFFFFFFu & ~((1u << 25) - 1)) << QStringList { "Z:/" };
}

void TestWindowsPlatform::unitMask()
{
    QFETCH(quint32, mask);
    QFETCH(QStringList, drives);
    QCOMPARE(DriveNotifier::drivesOfUnitMask(mask), drives);
}

void TestWindowsPlatform::broadcast_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("reports"); // "+E:/" arrived, "-E:/" left
    QTest::newRow("arrival") << int(DBT_DEVICEARRIVAL) << int(DBT_DEVTYP_VOLUME) << "+E:/ +G:/";
    QTest::newRow("removal") << int(DBT_DEVICEREMOVECOMPLETE) << int(DBT_DEVTYP_VOLUME) << "-E:/ -G:/";
    QTest::newRow("removal asked only") << int(DBT_DEVICEQUERYREMOVE) << int(DBT_DEVTYP_VOLUME) << "";
    QTest::newRow("not a volume") << int(DBT_DEVICEARRIVAL) << int(DBT_DEVTYP_PORT) << "";
}

void TestWindowsPlatform::broadcast()
{
    QFETCH(int, event);
    QFETCH(int, deviceType);
    QFETCH(QString, reports);
    DriveNotifier notifier;
    QStringList heard;
    connect(&notifier, &DriveNotifier::logicalDriveChanged, this,
            [&](bool added, const QString &drive) { heard << (added ? "+" : "-") + drive; });
    // The system's broadcast, as it reaches the notifier's window: sent, not posted.
    const HWND window = FindWindowW(L"DiscshelfDriveNotifier", nullptr);
    QVERIFY(window);
    DEV_BROADCAST_VOLUME volume {};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DWORD(deviceType);
    volume.dbcv_unitmask = (1u << 4) | (1u << 6);
    SendMessageW(window, WM_DEVICECHANGE, WPARAM(event), LPARAM(&volume));
    QCOMPARE(heard.join(' '), reports);
}

void TestWindowsPlatform::volumes()
{
    // Wine opens a volume but cannot flush it, so only a missing one tells an answer apart.
    QTemporaryDir dir;
    QVERIFY(!FileSync::syncVolume(QStringLiteral("Q:/nowhere")));
    QVERIFY(Discwand::fileSystemOf(dir.path()) != 0);
    QCOMPARE(Discwand::fileSystemOf(QStringLiteral("Q:/nowhere")), quint64(0));
}

void TestWindowsPlatform::ejectMissingVolume()
{
    // A drive that is not there can be neither ejected nor written out, and says why.
    Ejector ejector;
    QSignalSpy finished(&ejector, &Ejector::finished);
    ejector.eject(QStringLiteral("Q:"));
    QVERIFY(ejector.isBusy());
    QVERIFY(finished.wait(10000));
    QVERIFY(!ejector.isBusy());
    QCOMPARE(finished.at(0).at(0).value<Ejector::Outcome>(), Ejector::Outcome::Failed);
    QVERIFY(!finished.at(0).at(1).toString().isEmpty());
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windowsplatform.moc"
