// Choosing the image the device loads: the bytes of config/iso_filename.txt and the results.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/scsidrivedetector.h"
#include "library/imagechoice.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(ImageChoice::Result)

class TestImageChoice : public QObject
{
    Q_OBJECT
private slots:
    void choose_data();
    void choose();
};

static const QByteArray oldChoice = "/an/older/and/much/longer/choice/of/image.iso\r\n";

void TestImageChoice::choose_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("image");
    QTest::addColumn<ImageChoice::Result>("result");
    QTest::addColumn<QByteArray>("bytes");
    using R = ImageChoice::Result;
    QTest::newRow("top-level") << "" << "/a.iso" << R::Written << QByteArray("/a.iso");
    QTest::newRow("nested, no config folder")
        << "no config" << "/linux/tools/c.iso" << R::Written << QByteArray("/linux/tools/c.iso");
    QTest::newRow("split") << "" << "/y/x/part.ISO.0" << R::Written << QByteArray("/y/x/part.ISO");
    QTest::newRow("folder ending in .0")
        << "" << "/v1.0/d.iso" << R::Written << QByteArray("/v1.0/d.iso");
    QTest::newRow("latin-1") << "" << "/café.iso" << R::Written << QByteArray("/caf\xE9.iso");
    // The device could not be told such a name: refused, the previous choice kept.
    QTest::newRow("beyond latin-1") << "" << "/Ωmega.iso" << R::NotLatin1 << oldChoice;
    QTest::newRow("read-only") << "read-only" << "/a.iso" << R::NotWritable << oldChoice;
    QTest::newRow("full stick") << "full" << "/a.iso" << R::WriteFailed << oldChoice;
    QTest::newRow("another volume in its place")
        << "swapped" << "/a.iso" << R::DeviceGone << oldChoice;
    QTest::newRow("no device") << "none" << "/a.iso" << R::NoDevice << oldChoice;
}

void TestImageChoice::choose()
{
    QFETCH(QString, device);
    SysFixture sys;
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), device == "read-only");
    QVERIFY(TestEnv::writeFile(root + "config/iso_filename.txt", oldChoice));
    if (device == "no config")
        QVERIFY(QDir(root + "config").removeRecursively());
    ScsiDriveDetector detector(QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"),
                               nullptr);
    if (device != "none")
        detector.forceRefresh();
    if (device == "swapped") {
        sys.unmount(root.chopped(1));
        sys.addDisk("sdc", "ACME", "PHOTO BACKUP");
        sys.addPartition("sdc", "sdc1");
        sys.mount("sdc1", root.chopped(1));
    }
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto lift = qScopeGuard([&saved] { setrlimit(RLIMIT_FSIZE, &saved); });
    if (device == "full") { // writes stop after three bytes, as on a stick with no room left
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered { 3, saved.rlim_max };
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    QFETCH(QString, image);
    QTEST(ImageChoice(detector).choose(image), "result");
    setrlimit(RLIMIT_FSIZE, &saved);
    // The old, longer content is gone entirely and no line ending is added; nothing else stays.
    QTEST(TestEnv::readFile(root + "config/iso_filename.txt"), "bytes");
    QCOMPARE(QDir(root + "config").entryList(QDir::Files | QDir::Hidden),
             QStringList { "iso_filename.txt" });
}

QTEST_GUILESS_MAIN(TestImageChoice)
#include "tst_imagechoice.moc"
