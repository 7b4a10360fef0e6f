// Ejecting through a stand-in UDisks2 on a private bus: the calls made, in order, and what the
// user is told when the service refuses, is missing or does not manage the mount.
#include "common/privatebus.h"
#include "common/udisksstandin.h"
#include "library/ejector.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestEjector : public QObject
{
    Q_OBJECT
private slots:
    void eject_data();
    void eject();
};

void TestEjector::eject_data()
{
    QTest::addColumn<QString>("serves"); // the mount point UDisks2 knows: "stick", "other", "none"
    QTest::addColumn<QString>("unmountError");
    QTest::addColumn<QString>("powerOffError");
    QTest::addColumn<Ejector::Outcome>("outcome");
    QTest::addColumn<int>("calls"); // GetManagedObjects, Unmount, PowerOff: how many were made
    QTest::addColumn<QString>("detail");
    const QString error = QStringLiteral("org.freedesktop.UDisks2.Error.");
    QTest::newRow("success") << "stick" << "" << "" << Ejector::Outcome::PoweredOff << 3 << "";
    QTest::newRow("busy") << "stick" << error + "DeviceBusy" << "" << Ejector::Outcome::Failed << 2
                          << "The discwand is in use: a program still has a file or folder on it "
                             "open";
    QTest::newRow("not authorised")
        << "stick" << error + "NotAuthorizedCanObtain" << "" << Ejector::Outcome::Failed << 2
        << "This computer does not allow you to eject the discwand (not authorised).";
    QTest::newRow("unmounted, power-off refused")
        << "stick" << "" << error + "Failed" << Ejector::Outcome::Unmounted << 3
        << "The system's disk service reported: refused by the stand-in";
    QTest::newRow("service absent") << "none" << "" << "" << Ejector::Outcome::SyncedOnly << 0
                                    << "The system's disk service (UDisks2) is not running.";
    QTest::newRow("mount not managed")
        << "other" << "" << "" << Ejector::Outcome::SyncedOnly << 1
        << "The system's disk service (UDisks2) does not manage the discwand's volume.";
}

void TestEjector::eject()
{
    QFETCH(QString, serves);
    QFETCH(QString, unmountError);
    QFETCH(QString, powerOffError);
    QFETCH(Ejector::Outcome, outcome);
    QFETCH(int, calls);
    QFETCH(QString, detail);
    PrivateBus bus;
    QVERIFY2(bus.isValid(), qPrintable(bus.error()));
    QTemporaryDir mount;
    std::unique_ptr<UDisksStandIn> udisks;
    if (serves != "none") {
        udisks = std::make_unique<UDisksStandIn>(
            bus.connect("service"), serves == "stick" ? mount.path() : QStringLiteral("/media/x"));
        QVERIFY(udisks->start());
        udisks->failWith("Unmount", unmountError);
        udisks->failWith("PowerOff", powerOffError);
    }

    Ejector ejector(bus.connect("client"), nullptr);
    QSignalSpy finished(&ejector, &Ejector::finished);
    ejector.eject(mount.path() + "/");
    QVERIFY(ejector.isBusy());
    QVERIFY(finished.wait(10000));
    QVERIFY(!ejector.isBusy());
    QCOMPARE(finished.at(0).at(0).value<Ejector::Outcome>(), outcome);
    const QString said = finished.at(0).at(1).toString();
    QVERIFY2(detail.isEmpty() ? said.isEmpty() : said.startsWith(detail), qPrintable(said));
    const QStringList expected { "GetManagedObjects /org/freedesktop/UDisks2",
                                 "Unmount " + UDisksStandIn::blockPath,
                                 "PowerOff " + UDisksStandIn::drivePath };
    QCOMPARE(udisks ? udisks->calls() : QStringList(), expected.mid(0, calls));
}

QTEST_MAIN(TestEjector)
#include "tst_ejector.moc"
