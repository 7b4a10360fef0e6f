// Deleting from the stick: every file of an image goes and nothing whose name merely looks
// alike; the boot image is recognised; only empty folders are removed.
#include "common/testenv.h"
#include "library/imagedeletion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Lays "name:size" files below root.
void lay(const QString &root, const QStringList &files)
{
    for (const QString &entry : files) {
        QVERIFY(TestEnv::writeFile(root + entry.section(':', 0, 0),
                                   QByteArray(entry.section(':', 1).toInt(), 'x')));
    }
}

} // namespace

class TestImageDeletion : public QObject
{
    Q_OBJECT
private slots:
    void deleteImage_data();
    void deleteImage();
    void removeFolder();
};

void TestImageDeletion::deleteImage_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("chosen"); // config/iso_filename.txt
    QTest::addColumn<QStringList>("goes");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("boot");
    QTest::newRow("split image, every part in any case")
        << "/big.iso.0" << "/big.iso" << QStringList { "big.iso.0", "big.iso.1", "BIG.ISO.2" }
        << qint64(157) << true;
    QTest::newRow("whole image in a folder")
        << "/linux/a.iso" << "/LINUX/A.ISO" << QStringList { "a.iso" } << qint64(10) << true;
    // One name as a file and as parts: each row goes with its own files only.
    QTest::newRow("doubled, the file") << "/linux/c.iso" << "/c.iso" << QStringList { "c.iso" }
                                       << qint64(3) << false;
    QTest::newRow("doubled, the parts") << "/linux/c.iso.0" << "/c.iso"
                                        << QStringList { "c.iso.0", "c.iso.1" } << qint64(9) << false;
    QTest::newRow("not the boot image")
        << "/linux/b.iso" << "/linux/a.iso" << QStringList { "b.iso" } << qint64(0) << false;
}

void TestImageDeletion::deleteImage()
{
    QFETCH(QString, image);
    QFETCH(QString, chosen);
    QFETCH(QStringList, goes);
    QFETCH(qint64, bytes);
    QFETCH(bool, boot);
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    // Besides the images, names that only look like theirs.
    lay(root, { "big.iso.0:100", "big.iso.1:50", "BIG.ISO.2:7", "big.iso.txt:1", "big.iso.1.bak:1",
                "big.iso.x1:1", "xbig.iso.0:1", "linux/big.iso.3:1", "linux/a.iso:10",
                "linux/a.iso.bak:1", "linux/b.iso:0", "a.iso:1", "linux/c.iso:3", "linux/c.iso.0:4",
                "linux/c.iso.1:5" });
    QVERIFY(TestEnv::writeFile(root + "config/iso_filename.txt", chosen.toLatin1()));
    const QStringList before = TestEnv::entriesBelow(root, QDir::Files);

    const ImageDeletion::Plan plan = ImageDeletion::plan(root, image);
    QCOMPARE(plan.files, goes);
    QCOMPARE(plan.bytes, bytes);
    QCOMPARE(ImageDeletion::isBootImage(root, image), boot);
    QCOMPARE(ImageDeletion::remove(root, plan), QStringList());
    QStringList expected = before;
    for (const QString &name : goes)
        expected.removeOne(plan.folder.mid(1) + name);
    QCOMPARE(TestEnv::entriesBelow(root, QDir::Files), expected);
}

void TestImageDeletion::removeFolder()
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    QVERIFY(QDir(root).mkpath("empty") && QDir(root).mkpath("kept/inner"));
    lay(root, { "notes/readme.txt:3" });
    QVERIFY(ImageDeletion::removeFolder(root, "/empty"));
    QVERIFY(!QFileInfo::exists(root + "empty"));
    // A folder holding anything, shown or not, stays as it is.
    QVERIFY(!ImageDeletion::removeFolder(root, "/notes"));
    QVERIFY(!ImageDeletion::removeFolder(root, "/kept"));
    QVERIFY(!ImageDeletion::removeFolder(root, "/"));
    QCOMPARE(TestEnv::entriesBelow(root, QDir::Files), QStringList { "notes/readme.txt" });
    QVERIFY(QFileInfo::exists(root + "kept/inner"));
}

QTEST_MAIN(TestImageDeletion)
#include "tst_imagedeletion.moc"
