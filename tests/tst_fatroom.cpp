// The size and free room read from a FAT32 volume image against fsck.fat's own count of the
// clusters in use, after copies and deletions made by mtools and with a stale FSInfo hint.
#include "common/testenv.h"
#include "detect/fatroom.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString mkfs()
{
    return QStandardPaths::findExecutable("mkfs.vfat", { "/usr/sbin", "/sbin" });
}

// fsck.fat's data clusters, those in use and their size.
bool fsckCount(const QString &image, qint64 *clusters, qint64 *used, qint64 *clusterSize)
{
    const QString fsck = QStandardPaths::findExecutable("fsck.fat", { "/usr/sbin", "/sbin" });
    QProcess p;
    p.start(fsck, { "-n", "-v", image });
    if (!p.waitForFinished(60000))
        return false;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const auto count = QRegularExpression(" (\\d+)/(\\d+) clusters\n").match(out);
    const auto size = QRegularExpression("(\\d+) bytes per cluster").match(out);
    *used = count.captured(1).toLongLong();
    *clusters = count.captured(2).toLongLong();
    *clusterSize = size.captured(1).toLongLong();
    return count.hasMatch() && size.hasMatch();
}

} // namespace

class TestFatRoom : public QObject
{
    Q_OBJECT
private slots:
    void againstFsck_data();
    void againstFsck();
    void notFat32();

private:
    QTemporaryDir tmp;
};

void TestFatRoom::againstFsck_data()
{
    QTest::addColumn<int>("megabytes");
    QTest::addColumn<int>("sectorsPerCluster");
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("deleteOne");
    QTest::addColumn<bool>("staleHint");
    QTest::newRow("512-byte clusters, empty") << 40 << 1 << 0 << false << false;
    QTest::newRow("512-byte clusters, files") << 40 << 1 << 3 << false << false;
    QTest::newRow("4 KiB clusters, one deleted") << 260 << 8 << 3 << true << false;
    QTest::newRow("one deleted, FSInfo hint stale") << 40 << 1 << 3 << true << true;
}

void TestFatRoom::againstFsck()
{
    QFETCH(int, megabytes);
    QFETCH(int, sectorsPerCluster);
    QFETCH(int, files);
    QFETCH(bool, deleteOne);
    QFETCH(bool, staleHint);
    if (mkfs().isEmpty() || QStandardPaths::findExecutable("mcopy").isEmpty())
        QSKIP("needs mkfs.vfat and mtools");
    const QString image = tmp.filePath(QTest::currentDataTag());
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(megabytes) << 20));
    file.close();
    QCOMPARE(
        QProcess::execute(
            mkfs(), { "-F", "32", "-S", "512", "-s", QString::number(sectorsPerCluster), image }),
        0);
    // Sizes off cluster boundaries, so a count by bytes would be wrong.
    for (int i = 0; i < files; ++i) {
        const QString source = tmp.filePath(QStringLiteral("f%1").arg(i));
        QVERIFY(TestEnv::writeFile(source, TestEnv::randomBytes(700001 * (i + 1), quint32(i))));
        QCOMPARE(QProcess::execute("mcopy", { "-i", image, source, "::" }), 0);
    }
    if (deleteOne)
        QCOMPARE(QProcess::execute("mdel", { "-i", image, "::f1" }), 0);
    if (staleHint) {
        // The FSInfo sector (1) keeps its free count at byte 488: left as before the deletion.
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(512 + 488));
        QVERIFY(file.write(QByteArray("\x01\x00\x00\x00", 4)) == 4);
        file.close();
    }

    qint64 clusters = 0, used = 0, clusterSize = 0;
    QVERIFY(fsckCount(image, &clusters, &used, &clusterSize));
    const std::optional<FatRoom> room = FatRoom::read(image);
    QVERIFY(room);
    QCOMPARE(room->cluster, clusterSize);
    QCOMPARE(room->capacity, clusters * clusterSize);
    QCOMPARE(room->freeBytes, (clusters - used) * clusterSize);
}

void TestFatRoom::notFat32()
{
    QVERIFY(!FatRoom::read(tmp.filePath("missing")));
    const QString zeros = tmp.filePath("zeros");
    QVERIFY(TestEnv::writeFile(zeros, QByteArray(1 << 20, '\0')));
    QVERIFY(!FatRoom::read(zeros));
    if (mkfs().isEmpty())
        QSKIP("needs mkfs.vfat");
    const QString fat16 = tmp.filePath("fat16");
    QFile file(fat16);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(40 << 20));
    file.close();
    QCOMPARE(QProcess::execute(mkfs(), { "-F", "16", fat16 }), 0);
    QVERIFY(!FatRoom::read(fat16));
}

QTEST_GUILESS_MAIN(TestFatRoom)
#include "tst_fatroom.moc"
