// The copy worker: whole and split images, progress, replacing old copies, cancelling, each
// failure code with what it leaves behind, and a window closed in the middle of a copy.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "copy/isocopyworker.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <functional>

namespace {

constexpr qint64 chunk = 6291456;
constexpr qint64 fullPart = 651 * chunk; // 4,095,737,856

struct Outcome
{
    QList<int> progress;
    QList<int> totals;
    QList<int> failures;
    int finished = 0;
};

// Runs one copy in the calling thread; hook sees each progress value as it is reported.
Outcome runCopy(isoCopyWorker& worker, const QString& destDir, const QString& source,
                const std::function<void(int)>& hook = {})
{
    Outcome out;
    QObject ctx;
    QObject::connect(&worker, &isoCopyWorker::progressUpdate, &ctx, [&](int value, int total) {
        out.progress << value;
        out.totals << total;
        if (hook)
            hook(value);
    });
    QObject::connect(&worker, &isoCopyWorker::failed, &ctx,
                     [&](int code) { out.failures << code; });
    QObject::connect(&worker, &isoCopyWorker::finished, &ctx, [&] { ++out.finished; });
    worker.copyFile(destDir, source);
    return out;
}

QByteArray randomBytes(qint64 size, quint32 seed)
{
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(data), qint64(data.size()));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A sparse file with random marks at the start, across the first chunk and part boundaries and
// at the end, so a misplaced or lost chunk shows in the content.
void makeSparse(const QString& path, qint64 size)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(f.resize(size));
    const QByteArray mark = randomBytes(65536, quint32(size));
    for (qint64 at : { qint64(0), chunk - 1000, fullPart - 1000, size - mark.size() }) {
        at = qBound(qint64(0), at, size);
        QVERIFY(f.seek(at));
        QVERIFY(f.write(mark.left(int(size - at))) >= 0);
    }
    QCOMPARE(f.size(), size);
}

// Joined parts against the source, block by block.
bool sameContent(const QString& source, const QStringList& parts)
{
    QFile src(source);
    if (!src.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    QByteArray a(chunk, Qt::Uninitialized), b(chunk, Qt::Uninitialized);
    for (const QString& part : parts) {
        QFile f(part);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        for (;;) {
            const qint64 n = f.read(b.data(), chunk);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            if (src.read(a.data(), n) != n || memcmp(a.constData(), b.constData(), size_t(n)) != 0)
                return false;
        }
    }
    return src.atEnd();
}

QStringList entries(const QString& dir)
{
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(dir).entryList(filter, QDir::Name);
}

// Large copies write real gigabytes: a RAM-backed tmpfs keeps them quick and spares the disk.
QString bigTempRoot()
{
    const QStorageInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isValid() && shm.isReady() && shm.bytesAvailable() > (9LL << 30))
        return shm.rootPath();
    return QDir::tempPath();
}

// A worker in a thread of its own, as the window runs it.
struct ThreadedWorker
{
    QThread thread;
    isoCopyWorker worker;
    ThreadedWorker()
    {
        thread.start();
        worker.moveToThread(&thread);
    }
    ~ThreadedWorker()
    {
        thread.quit();
        thread.wait();
    }
    void start(const QString& destDir, const QString& source)
    {
        QMetaObject::invokeMethod(&worker, "copyFile", Q_ARG(QString, destDir),
                                  Q_ARG(QString, source));
    }
};

} // namespace

class TestIsoCopyWorker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }

    void smallSources_data();
    void smallSources();
    void partLimits_data();
    void partLimits();
    void replacesEarlierImage_data();
    void replacesEarlierImage();
    void cancelDuringCopy_data();
    void cancelDuringCopy();
    void cancelWhileIdle();
    void failures_data();
    void failures();
    void fatVolume_data();
    void fatVolume();
    void windowClosedDuringCopy();
};

void TestIsoCopyWorker::smallSources_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("empty") << qint64(0) << QList<int> { 0 };
    QTest::newRow("1 byte") << qint64(1) << QList<int> { 0, 100 };
    QTest::newRow("50 bytes") << qint64(50) << QList<int> { 0, 100 };
    QTest::newRow("150 bytes") << qint64(150) << QList<int> { 0, 150 };
    QTest::newRow("one chunk") << chunk << QList<int> { 0, 100 };
    // Hundredth 125,839: after one chunk 49.99, after two 99.99, then exactly 100.
    QTest::newRow("two chunks and a bit") << 2 * chunk + 1000 << QList<int> { 0, 49, 99, 100 };
}

void TestIsoCopyWorker::smallSources()
{
    QFETCH(qint64, size);
    QFETCH(QList<int>, progress);
    QTemporaryDir tmp;
    const QString source = tmp.filePath(QStringLiteral("src/Some Image.ISO"));
    QDir().mkpath(tmp.filePath(QStringLiteral("src")));
    const QByteArray data = randomBytes(size, 7);
    writeFile(source, data);

    isoCopyWorker worker;
    const QString dest = tmp.filePath(QStringLiteral("stick/linux/tools/"));
    const Outcome out = runCopy(worker, dest, source);
    QCOMPARE(out.failures, QList<int>());
    QCOMPARE(out.finished, 1);
    QCOMPARE(out.progress, progress);
    QCOMPARE(out.totals, QList<int>(progress.size(), 100));
    QCOMPARE(entries(dest), QStringList { QStringLiteral("Some Image.ISO") });
    QVERIFY(readFile(dest + QStringLiteral("Some Image.ISO")) == data);
}

void TestIsoCopyWorker::partLimits_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("partSizes"); // one entry: stored whole
    QTest::newRow("at the limit stays whole") << qint64(4096000000) << QList<qint64> { 4096000000 };
    QTest::newRow("one byte over splits")
        << qint64(4096000001) << QList<qint64> { fullPart, 262145 };
}

void TestIsoCopyWorker::partLimits()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, partSizes);
    QTemporaryDir tmp(bigTempRoot() + QStringLiteral("/tst_isocopyworker-XXXXXX"));
    QVERIFY(tmp.isValid());
    const QString source = tmp.filePath(QStringLiteral("big.iso"));
    makeSparse(source, size);
    const QString dest = tmp.filePath(QStringLiteral("dest/"));

    isoCopyWorker worker;
    const Outcome out = runCopy(worker, dest, source);
    const QStringList names = entries(dest);
    QStringList parts;
    QList<qint64> sizes;
    for (const QString& name : names) {
        parts << dest + name;
        sizes << QFileInfo(parts.last()).size();
    }
    // Gigabytes on a RAM disk: gone again as soon as they have been compared.
    const bool same = sameContent(source, parts);
    for (const QString& part : parts)
        QFile::remove(part);

    QCOMPARE(out.failures, QList<int>());
    QCOMPARE(out.finished, 1);
    QCOMPARE(out.progress.size(), 1 + 652);
    QCOMPARE(out.progress.last(), 100);
    QVERIFY(std::is_sorted(out.progress.begin(), out.progress.end()));
    QStringList expectedNames;
    if (partSizes.size() == 1) {
        expectedNames << QStringLiteral("big.iso");
    } else {
        for (int i = 0; i < partSizes.size(); ++i)
            expectedNames << QStringLiteral("big.iso.%1").arg(i);
    }
    QCOMPARE(names, expectedNames);
    QCOMPARE(sizes, partSizes);
    QVERIFY2(same, "joined parts differ from the source");
}

void TestIsoCopyWorker::replacesEarlierImage_data()
{
    QTest::addColumn<QStringList>("earlier");
    QTest::addColumn<QStringList>("after");
    const QString img = QStringLiteral("image.iso");
    QTest::newRow("whole") << QStringList { img } << QStringList { img };
    QTest::newRow("split") << QStringList { img + ".0", img + ".1", img + ".2" }
                           << QStringList { img };
    QStringList eleven;
    for (int i = 0; i <= 10; ++i)
        eleven << img + QStringLiteral(".%1").arg(i);
    QTest::newRow("eleven parts") << eleven << QStringList { img };
    QTest::newRow("gap in the parts")
        << QStringList { img + ".temp", img + ".1", img + ".10", img + ".123" }
        << QStringList { img };
    const QStringList others { img + ".bak", img + ".1x", img + "2", "other.iso", "other.iso.0" };
    QTest::newRow("neighbours kept")
        << QStringList { img + ".0" } + others << QStringList { img } + others;
}

void TestIsoCopyWorker::replacesEarlierImage()
{
    QFETCH(QStringList, earlier);
    QFETCH(QStringList, after);
    QTemporaryDir tmp;
    const QString dest = tmp.filePath(QStringLiteral("dest/"));
    QDir().mkpath(dest);
    for (const QString& name : earlier)
        writeFile(dest + name, "old copy");
    const QString source = tmp.filePath(QStringLiteral("image.iso"));
    const QByteArray data = randomBytes(3000, 3);
    writeFile(source, data);

    isoCopyWorker worker;
    const Outcome out = runCopy(worker, dest, source);
    QCOMPARE(out.failures, QList<int>());
    QCOMPARE(out.finished, 1);
    after.sort();
    QCOMPARE(entries(dest), after);
    QVERIFY(readFile(dest + QStringLiteral("image.iso")) == data);
}

void TestIsoCopyWorker::cancelDuringCopy_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<bool>("partDone");
    // 8,200,000,000 bytes: the first part is complete once progress reaches 50.
    QTest::newRow("first part") << 1 << false;
    QTest::newRow("after a completed part") << 50 << true;
}

void TestIsoCopyWorker::cancelDuringCopy()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, partDone);
    QTemporaryDir tmp(bigTempRoot() + QStringLiteral("/tst_isocopyworker-XXXXXX"));
    const QString source = tmp.filePath(QStringLiteral("big.iso"));
    makeSparse(source, 8200000000);
    const QString dest = tmp.filePath(QStringLiteral("dest/"));

    ThreadedWorker t;
    QObject ctx;
    int lastValue = -1, finished = 0;
    bool cancelled = false, partSeen = false;
    QList<int> failures;
    connect(&t.worker, &isoCopyWorker::progressUpdate, &ctx, [&](int value, int) {
        lastValue = value;
        if (!cancelled && value >= cancelAt) {
            partSeen = QFile::exists(dest + QStringLiteral("big.iso.0"));
            t.worker.cancel();
            cancelled = true;
        }
    });
    connect(&t.worker, &isoCopyWorker::finished, &ctx, [&] { ++finished; });
    connect(&t.worker, &isoCopyWorker::failed, &ctx, [&](int code) { failures << code; });
    t.start(dest, source);
    QTRY_VERIFY_WITH_TIMEOUT(finished + failures.size() > 0, 60000);
    QTest::qWait(50); // nothing else may follow

    QVERIFY(cancelled);
    QCOMPARE(partSeen, partDone);
    QCOMPARE(finished, 1);
    QCOMPARE(failures, QList<int>());
    QVERIFY2(lastValue < 100, "the copy ran to its end");
    QCOMPARE(entries(dest), QStringList());
}

void TestIsoCopyWorker::cancelWhileIdle()
{
    QTemporaryDir tmp;
    const QString source = tmp.filePath(QStringLiteral("a.iso"));
    const QByteArray data = randomBytes(2 * chunk + 5, 11);
    writeFile(source, data);
    const QString dest = tmp.filePath(QStringLiteral("dest/"));

    isoCopyWorker worker;
    worker.cancel();
    const Outcome out = runCopy(worker, dest, source);
    QCOMPARE(out.finished, 1);
    QCOMPARE(out.progress.last(), 100);
    QCOMPARE(entries(dest), QStringList { QStringLiteral("a.iso") });
    QVERIFY(readFile(dest + QStringLiteral("a.iso")) == data);
}

void TestIsoCopyWorker::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("left"); // what the destination's parent holds afterwards
    QTest::newRow("folder blocked by a file")
        << "blocker" << 1 << QStringList { "blocker", "old.iso" };
    QTest::newRow("temporary name is a folder")
        << "tempdir" << 2 << QStringList { "dest", "dest/image.iso.temp", "old.iso" };
    QTest::newRow("source missing")
        << "nosource" << 3
        << QStringList { "dest", "dest/image.iso.0", "dest/image.iso.1", "old.iso" };
    QTest::newRow("source is a folder")
        << "sourcedir" << 3 << QStringList { "dest", "dest/image.iso", "old.iso" };
    QTest::newRow("source shrinks") << "shrink" << 5 << QStringList { "dest", "old.iso" };
    QTest::newRow("final name is a folder")
        << "finaldir" << 6 << QStringList { "dest", "dest/image.iso", "old.iso" };
}

void TestIsoCopyWorker::failures()
{
    QFETCH(QString, setup);
    QFETCH(int, code);
    QFETCH(QStringList, left);
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("stick"));
    QString dest = root + QStringLiteral("/dest/");
    QDir().mkpath(dest);
    writeFile(root + QStringLiteral("/old.iso"), "unrelated");
    QString source = tmp.filePath(QStringLiteral("image.iso"));
    writeFile(source, randomBytes(3 * chunk, 5));
    std::function<void(int)> hook;

    if (setup == QLatin1String("blocker")) {
        QDir(dest).removeRecursively();
        writeFile(root + QStringLiteral("/blocker"), "file");
        dest = root + QStringLiteral("/blocker/dest/");
    } else if (setup == QLatin1String("tempdir")) {
        writeFile(dest + QStringLiteral("image.iso"), "earlier");
        QDir().mkpath(dest + QStringLiteral("image.iso.temp"));
    } else if (setup == QLatin1String("nosource")) {
        writeFile(dest + QStringLiteral("image.iso.0"), "earlier 0");
        writeFile(dest + QStringLiteral("image.iso.1"), "earlier 1");
        QFile::remove(source);
    } else if (setup == QLatin1String("sourcedir")) {
        writeFile(dest + QStringLiteral("image.iso"), "earlier");
        source = tmp.filePath(QStringLiteral("folder/image.iso"));
        QDir().mkpath(source);
    } else if (setup == QLatin1String("shrink")) {
        writeFile(dest + QStringLiteral("image.iso"), "earlier");
        // After the first chunk the source loses all but ten bytes of the rest.
        hook = [source](int value) {
            if (value > 0 && QFileInfo(source).size() > chunk + 10)
                QFile::resize(source, chunk + 10);
        };
    } else if (setup == QLatin1String("finaldir")) {
        QDir().mkpath(dest + QStringLiteral("image.iso"));
    }

    isoCopyWorker worker;
    const Outcome out = runCopy(worker, dest, source, hook);
    QCOMPARE(out.failures, QList<int> { code });
    QCOMPARE(out.finished, 0);

    QStringList found;
    for (const QString& name : entries(root)) {
        found << name;
        if (QFileInfo(root + QLatin1Char('/') + name).isDir()) {
            for (const QString& inner : entries(root + QLatin1Char('/') + name))
                found << name + QLatin1Char('/') + inner;
        }
    }
    QCOMPARE(found, left);
    // An unreadable source leaves the copy already on the stick as it was.
    if (setup == QLatin1String("nosource"))
        QCOMPARE(readFile(dest + QStringLiteral("image.iso.1")), QByteArray("earlier 1"));
    if (setup == QLatin1String("sourcedir"))
        QCOMPARE(readFile(dest + QStringLiteral("image.iso")), QByteArray("earlier"));
    if (setup == QLatin1String("finaldir"))
        QVERIFY(QFileInfo(dest + QStringLiteral("image.iso")).isDir());
}

void TestIsoCopyWorker::fatVolume_data()
{
    QTest::addColumn<int>("filler");
    QTest::addColumn<int>("code"); // 0: the copy finishes
    QTest::addColumn<QStringList>("left");
    // The kernel cannot copy from here onto a FUSE volume, so the data takes the buffer.
    QTest::newRow("fits") << 10000000 << 0 << QStringList { "FILLER", "image.iso" };
    // About 4 MB free once the earlier image is gone.
    QTest::newRow("full") << 36000000 << 4 << QStringList { "FILLER" };
}

void TestIsoCopyWorker::fatVolume()
{
    QFETCH(int, filler);
    QFETCH(int, code);
    QFETCH(QStringList, left);
    const QString mkfs
        = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), { "/usr/sbin", "/sbin" });
    for (const char* tool : { "fusefat", "fusermount", "mcopy", "mdir" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    }
    if (mkfs.isEmpty() || !QFile::exists(QStringLiteral("/dev/fuse")))
        QSKIP("FAT32 image needs mkfs.vfat and FUSE (/dev/fuse)");

    // A 40 MB FAT32 volume holding a filler and an earlier copy of the image.
    QTemporaryDir tmp;
    const QString img = tmp.filePath(QStringLiteral("vol.img"));
    const QString mnt = tmp.filePath(QStringLiteral("mnt"));
    QDir().mkpath(mnt);
    QVERIFY(QFile(img).open(QIODevice::WriteOnly) && QFile::resize(img, 40 << 20));
    const QString fillerFile = tmp.filePath(QStringLiteral("filler"));
    writeFile(fillerFile, QByteArray(filler, 'f'));
    const QString earlier = tmp.filePath(QStringLiteral("image.iso"));
    writeFile(earlier, QByteArray(1 << 20, 'e'));
    QCOMPARE(QProcess::execute(mkfs, { "-F", "32", "-S", "512", "-s", "1", img }), 0);
    QCOMPARE(QProcess::execute("mcopy", { "-i", img, fillerFile, earlier, "::" }), 0);
    const QString source = tmp.filePath(QStringLiteral("src/image.iso"));
    QDir().mkpath(tmp.filePath(QStringLiteral("src")));
    const QByteArray data = randomBytes(2 * chunk + 1000, 9);
    writeFile(source, data);

    if (QProcess::execute("fusefat", { "-o", "rw+", img, mnt }) != 0)
        QSKIP("fusefat could not mount the FAT32 image (FUSE unavailable?)");
    bool mounted = false;
    for (int i = 0; i < 50 && !mounted; ++i) {
        mounted = QStorageInfo(mnt).rootPath() == QDir(mnt).canonicalPath();
        if (!mounted)
            QTest::qWait(100);
    }
    QVERIFY(mounted);

    isoCopyWorker worker;
    const Outcome out = runCopy(worker, mnt + QLatin1Char('/'), source);
    const QStringList found = entries(mnt);
    QProcess::execute("fusermount", { "-u", mnt });

    QCOMPARE(out.failures, code ? QList<int> { code } : QList<int>());
    QCOMPARE(out.finished, code ? 0 : 1);
    QCOMPARE(found, left);
    // The volume itself agrees once unmounted.
    QProcess mdir;
    mdir.start("mdir", { "-b", "-i", img, "::" });
    QVERIFY(mdir.waitForFinished());
    QStringList listed;
    for (const QString& line : QString::fromLatin1(mdir.readAllStandardOutput()).split('\n'))
        if (!line.trimmed().isEmpty())
            listed << line.trimmed().toUpper();
    QStringList expected;
    for (const QString& name : left)
        expected << QStringLiteral("::/") + name.toUpper();
    QCOMPARE(listed, expected);
    if (code == 0) {
        const QString back = tmp.filePath(QStringLiteral("back.iso"));
        QCOMPARE(QProcess::execute("mcopy", { "-i", img, "::/image.iso", back }), 0);
        QVERIFY2(readFile(back) == data, "the copy on the volume differs from the source");
    }
}

void TestIsoCopyWorker::windowClosedDuringCopy()
{
    SysFixture sys;
    QTemporaryDir tmp(bigTempRoot() + QStringLiteral("/tst_isocopyworker-XXXXXX"));
    const QString source = tmp.filePath(QStringLiteral("big.iso"));
    makeSparse(source, 8200000000);
    const QString dest = tmp.filePath(QStringLiteral("stick/linux/"));

    auto* w = new discShelf;
    auto* thread = w->findChild<QThread*>();
    QVERIFY(thread && thread->isRunning());
    QSignalSpy threadDone(thread, &QThread::finished);
    auto* bar = w->findChild<QProgressBar*>(QStringLiteral("progressBarCurrentFile"));
    emit w->startFileCopy(dest, source);
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0, 20000);
    QVERIFY(bar->value() < 100);

    delete w;
    QCOMPARE(threadDone.size(), 1);
    QCOMPARE(entries(dest), QStringList());
}

QTEST_MAIN(TestIsoCopyWorker)
#include "tst_isocopyworker.moc"
