// Choosing the image the device loads: the bytes of config/iso_filename.txt and the results.
#include "common/sysfixture.h"
#include "detect/scsidrivedetector.h"
#include "library/imagechoice.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(ImageChoice::Result)

namespace {

const QByteArray oldChoice = "/an/older/and/much/longer/choice/of/image.iso\r\n";

QByteArray readChoice(const QString &root)
{
    QFile f(root + "config/iso_filename.txt");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

class TestImageChoice : public QObject
{
    Q_OBJECT
private slots:
    void choose_data();
    void choose();
};

void TestImageChoice::choose_data()
{
    QTest::addColumn<QString>("device"); // "", "no config", "read-only" or "none"
    QTest::addColumn<QString>("image");
    QTest::addColumn<ImageChoice::Result>("result");
    QTest::addColumn<QByteArray>("bytes");
    using R = ImageChoice::Result;
    QTest::newRow("top-level") << "" << "/a.iso" << R::Written << QByteArray("/a.iso");
    QTest::newRow("nested, no config folder")
        << "no config" << "/linux/tools/c.iso" << R::Written << QByteArray("/linux/tools/c.iso");
    QTest::newRow("split") << "" << "/y/x/part.ISO.0" << R::Written << QByteArray("/y/x/part.ISO");
    QTest::newRow("folder ending in .0") << "" << "/v1.0/d.iso" << R::Written
                                         << QByteArray("/v1.0/d.iso");
    QTest::newRow("latin-1") << "" << "/café.iso" << R::Written << QByteArray("/caf\xE9.iso");
    QTest::newRow("beyond latin-1") << "" << "/Ωmega.iso" << R::Written << QByteArray("/?mega.iso");
    QTest::newRow("read-only") << "read-only" << "/a.iso" << R::NotWritable << oldChoice;
    QTest::newRow("no device") << "none" << "/a.iso" << R::NoDevice << oldChoice;
}

void TestImageChoice::choose()
{
    QFETCH(QString, device);
    QFETCH(QString, image);
    QFETCH(ImageChoice::Result, result);
    QFETCH(QByteArray, bytes);
    SysFixture sys;
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), device == "read-only");
    QVERIFY(QDir(root).mkpath("config"));
    QFile old(root + "config/iso_filename.txt");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(oldChoice) == oldChoice.size());
    old.close();
    if (device == "no config")
        QVERIFY(QDir(root + "config").removeRecursively());
    ScsiDriveDetector detector(QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"), nullptr);
    if (device != "none")
        detector.forceRefresh();
    QCOMPARE(ImageChoice(detector).choose(image), result);
    // The old, longer content is gone entirely and no line ending is added.
    QCOMPARE(readChoice(root), bytes);
}

QTEST_GUILESS_MAIN(TestImageChoice)
#include "tst_imagechoice.moc"
