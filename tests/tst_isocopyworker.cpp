// The copy worker: whole and split images, progress, replacing old copies, a small FAT32 stick,
// cancelling, and each failure code with what it leaves behind.
#include "common/testenv.h"
#include "copy/isocopyworker.h"

#include <QDirIterator>
#include <QProcess>
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
    QList<int> progress, totals, failures;
    int finished = 0;
};

// Runs one copy in the calling thread; hook sees each progress value as it is reported.
Outcome runCopy(isoCopyWorker &worker, const QString &destDir, const QString &source,
                const std::function<void(int)> &hook = {})
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

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(data) == data.size(), qPrintable(path));
}

// A sparse file with random marks at the start, across the first chunk and part boundaries and
// at the end, so a misplaced or lost chunk shows in the content.
void makeSparse(const QString &path, qint64 size)
{
    QList<quint32> words(16384);
    QRandomGenerator(quint32(size)).fillRange(words.data(), words.size());
    const QByteArray mark(reinterpret_cast<const char *>(words.constData()), 65536);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(size));
    for (qint64 at : { qint64(0), chunk - 1000, fullPart - 1000, size - mark.size() }) {
        at = qBound(qint64(0), at, size);
        QVERIFY(f.seek(at) && f.write(mark.left(qMin(size - at, qint64(mark.size())))) >= 0);
    }
}

// Joined parts against the source, block by block.
bool sameContent(const QString &source, const QStringList &parts)
{
    QFile src(source);
    QByteArray a(chunk, Qt::Uninitialized), b(chunk, Qt::Uninitialized);
    bool same = src.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    for (const QString &part : parts) {
        QFile f(part);
        same = same && f.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        for (qint64 n; same && (n = f.read(b.data(), chunk)) > 0;)
            same = src.read(a.data(), n) == n
                && memcmp(a.constData(), b.constData(), size_t(n)) == 0;
    }
    return same && src.atEnd();
}

// Every file and folder below dir, relative to it.
QStringList entries(const QString &dir)
{
    QStringList found;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

// Large copies write real gigabytes: a RAM-backed tmpfs keeps them quick and spares the disk.
QString bigTempDir()
{
    const QStorageInfo shm(QStringLiteral("/dev/shm"));
    const bool roomy = shm.isValid() && shm.isReady() && shm.bytesAvailable() > (9LL << 30);
    return (roomy ? shm.rootPath() : QDir::tempPath())
        + QStringLiteral("/tst_isocopyworker-XXXXXX");
}

// A fresh 40 MB FAT32 volume holding a filler, mounted with fusefat until it goes out of scope.
// The kernel cannot copy onto a FUSE volume, so a copy there takes the worker's own buffer.
struct FatVolume
{
    QString dir;
    ~FatVolume()
    {
        if (!dir.isEmpty())
            QProcess::execute(QStringLiteral("fusermount"), { "-u", dir });
    }
    // False when the tools or FUSE are missing.
    bool mount(const QTemporaryDir &tmp, const QString &at, int filler)
    {
        const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", { "/usr/sbin", "/sbin" });
        const QString img = tmp.filePath(QStringLiteral("vol.img"));
        const QString fillerFile = tmp.filePath(QStringLiteral("filler"));
        writeFile(fillerFile, QByteArray(filler, 'f'));
        if (!QFile(img).open(QIODevice::WriteOnly) || !QFile::resize(img, 40 << 20)
            || QProcess::execute(mkfs, { "-F", "32", "-S", "512", "-s", "1", img }) != 0
            || QProcess::execute("mcopy", { "-i", img, fillerFile, "::" }) != 0
            || !QDir().mkpath(at) || QProcess::execute("fusefat", { "-o", "rw+", img, at }) != 0)
            return false;
        dir = at;
        for (int i = 0; i < 50 && QStorageInfo(at).rootPath() != QDir(at).canonicalPath(); ++i)
            QThread::msleep(100);
        return QStorageInfo(at).rootPath() == QDir(at).canonicalPath();
    }
};

} // namespace

class TestIsoCopyWorker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void copies_data();
    void copies();
    void cancelDuringCopy_data();
    void cancelDuringCopy();
    void verifyMismatch();
    void namesAndRoot_data();
    void namesAndRoot();
    void failures_data();
    void failures();
    void shutDownStopsLaterCopies();
};

void TestIsoCopyWorker::copies_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("parts"); // one entry: stored whole
    QTest::addColumn<QList<int>>("progress"); // empty: only the count and the end are checked
    QTest::addColumn<QStringList>("earlier"); // of the same image, on the stick before the copy
    QTest::addColumn<bool>("verify"); // read back and compared
    QTest::addColumn<int>("fatFiller"); // > 0: the stick is a small FAT32 volume this full
    const QString img = QStringLiteral("my image.iso");
    const auto row = [&](const char *name, qint64 size, QList<qint64> parts, QList<int> progress,
                         QStringList earlier = {}, bool verify = false, int fatFiller = 0) {
        QTest::newRow(name) << size << parts << progress << earlier << verify << fatFiller;
    };
    row("empty", 0, { 0 }, { 0 });
    row("50 bytes", 50, { 50 }, { 0, 100 });
    row("150 bytes", 150, { 150 }, { 0, 100 });
    // Hundredth 125,839: after one chunk 49.99, after two 99.99, then exactly 100.
    row("over an earlier whole image", 2 * chunk + 1000, { 2 * chunk + 1000 }, { 0, 49, 99, 100 },
        { img });
    row("verified on a FAT volume", 2 * chunk + 1000, { 2 * chunk + 1000 }, { 0, 49, 99, 100 },
        { img }, true, 10000000);
    // Parts in another letter case are the same files to FAT, and go as well.
    row("over earlier parts", 3000, { 3000 }, { 0, 100 },
        { img + ".0", img + ".1", img + ".10", img + ".123", "MY IMAGE.ISO.3" });
    row("at the limit stays whole", 4096000000, { 4096000000 }, {});
    row("one byte over splits, verified", 4096000001, { fullPart, 262145 }, {}, { img }, true);
}

void TestIsoCopyWorker::copies()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, parts);
    QFETCH(QList<int>, progress);
    QFETCH(QStringList, earlier);
    QFETCH(bool, verify);
    QFETCH(int, fatFiller);
    QTemporaryDir tmp(bigTempDir());
    const QString source = tmp.filePath(QStringLiteral("my image.iso"));
    makeSparse(source, size);
    FatVolume fat;
    if (fatFiller && !fat.mount(tmp, tmp.filePath(QStringLiteral("stick")), fatFiller))
        QSKIP("a FAT32 volume needs mkfs.vfat, mtools, fusefat and FUSE");
    const QString dest = tmp.filePath(QStringLiteral("stick/linux/"));
    QDir().mkpath(dest);
    // Neighbours that merely look like parts of the image stay.
    const QStringList kept { "my image.iso.bak", "my image.iso.1x", "my image.iso2",
                             "other.iso.0", "my image.iso.temp" };
    for (const QString &name : earlier + kept)
        writeFile(dest + name, "old copy");

    isoCopyWorker worker;
    worker.setVerify(verify);
    // A cancel while idle is cleared when the next copy is armed.
    worker.cancel();
    worker.arm();
    int verified = -1;
    QObject::connect(&worker, &isoCopyWorker::verifyProgress, [&](int value) { verified = value; });
    const Outcome out = runCopy(worker, dest, source);
    QCOMPARE(out.failures, QList<int>());
    QCOMPARE(out.finished, 1);
    QCOMPARE(verified, verify ? 100 : -1);
    if (progress.isEmpty()) {
        QCOMPARE(out.progress.size(), 1 + 652);
        QCOMPARE(out.progress.last(), 100);
    } else {
        QCOMPARE(out.progress, progress);
    }
    QVERIFY(std::is_sorted(out.progress.begin(), out.progress.end()));
    QCOMPARE(out.totals, QList<int>(out.progress.size(), 100));

    QStringList names = kept, paths;
    QList<qint64> sizes;
    for (int i = 0; i < parts.size(); ++i) {
        names << (parts.size() == 1 ? QStringLiteral("my image.iso")
                                    : QStringLiteral("my image.iso.%1").arg(i));
        paths << dest + names.last();
        sizes << QFileInfo(paths.last()).size();
    }
    names.sort();
    QCOMPARE(entries(dest), names);
    QCOMPARE(sizes, parts);
    QVERIFY2(sameContent(source, paths), "joined parts differ from the source");
}

void TestIsoCopyWorker::cancelDuringCopy_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("after a whole part") << "part";
    QTest::newRow("while verifying") << "verify";
    QTest::newRow("after the last sync") << "end";
    QTest::newRow("before the copy begins") << "armed";
}

// An overwrite cancelled at any step leaves the old image byte for byte and nothing else.
void TestIsoCopyWorker::cancelDuringCopy()
{
    QFETCH(QString, when);
    QTemporaryDir tmp(bigTempDir());
    const QString source = tmp.filePath(QStringLiteral("big.iso"));
    makeSparse(source, when == "part" ? 8200000000 : 3 * chunk);
    const QString dest = tmp.filePath(QStringLiteral("dest/"));
    QDir().mkpath(dest);
    const QStringList old { "big.iso.0", "big.iso.1", "big.iso.2" };
    for (const QString &name : old)
        writeFile(dest + name, "the old image " + name.toUtf8());
    isoCopyWorker worker;
    worker.setVerify(when == "verify");
    worker.arm();
    if (when == "armed")
        worker.cancel();
    QObject::connect(&worker, &isoCopyWorker::verifyProgress, [&](int value) {
        if (value > 30)
            worker.cancel();
    });
    // Once a part is complete, so the cleanup must reach finished parts too; until the copy is
    // whole, what the listing shows is the old image.
    bool oldWhileCopying = true;
    const Outcome out = runCopy(worker, dest, source, [&](int value) {
        QFile first(dest + "big.iso.0");
        oldWhileCopying = oldWhileCopying && first.open(QIODevice::ReadOnly)
            && first.readAll() == "the old image big.iso.0";
        if ((when == "part" && entries(dest).filter(QStringLiteral(".1")).size() > 1)
            || (when == "end" && value == 100))
            worker.cancel();
    });
    QVERIFY(oldWhileCopying);
    QCOMPARE(out.finished, 1);
    QCOMPARE(out.failures, QList<int>());
    QCOMPARE(entries(dest), old);
    for (const QString &name : old) {
        QFile f(dest + name);
        QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == "the old image " + name.toUtf8());
    }
}

// A copy that reads back differently from its source is never put in the old image's place.
void TestIsoCopyWorker::verifyMismatch()
{
    QTemporaryDir tmp;
    const QString source = tmp.filePath(QStringLiteral("a.iso"));
    makeSparse(source, 2 * chunk + 5);
    const QString dest = tmp.filePath(QStringLiteral("dest/"));
    QDir().mkpath(dest);
    writeFile(dest + "a.iso", "old");
    isoCopyWorker worker;
    worker.setVerify(true);
    // What the stick would return if it lost a byte: changed between the sync and the read.
    QObject::connect(&worker, &isoCopyWorker::verifyProgress, [&](int value) {
        if (value != 0)
            return;
        for (const QString &name : entries(dest)) {
            QFile part(dest + name);
            if (name.startsWith(".discshelf-") && part.open(QIODevice::ReadWrite) && part.seek(chunk))
                part.write("!");
        }
    });
    const Outcome out = runCopy(worker, dest, source);
    QCOMPARE(out.failures, QList<int> { 7 });
    QCOMPARE(entries(dest), QStringList { "a.iso" });
    QCOMPARE(QFileInfo(dest + "a.iso").size(), 3);
}

// Names up to FAT's 255 characters copy; a device root that is gone is never made anew.
void TestIsoCopyWorker::namesAndRoot_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("rootThere");
    QTest::newRow("255 characters") << 255 << true;
    QTest::newRow("251 characters") << 251 << true;
    QTest::newRow("device root gone") << 10 << false;
}

void TestIsoCopyWorker::namesAndRoot()
{
    QFETCH(int, length);
    QFETCH(bool, rootThere);
    QTemporaryDir tmp;
    const QString name = QString(length - 4, 'n') + ".iso";
    const QString source = tmp.filePath(name);
    makeSparse(source, 1000);
    const QString root = tmp.filePath(QStringLiteral("stick/"));
    if (rootThere)
        QDir().mkpath(root);
    isoCopyWorker worker;
    QSignalSpy failed(&worker, &isoCopyWorker::failed);
    worker.copyInto(root, "/linux/", source, false);
    QCOMPARE(failed.size(), rootThere ? 0 : 1);
    QCOMPARE(QFileInfo::exists(root + "linux/" + name), rootThere);
    QCOMPARE(QFileInfo::exists(root), rootThere);
}

void TestIsoCopyWorker::failures_data()
{
    QTest::addColumn<QStringList>("files"); // on the stick before the copy, beside old.iso
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("source"); // "missing", "shrinks" or empty
    QTest::addColumn<int>("fatFiller"); // > 0: the stick is a small FAT32 volume this full
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("left");
    const auto row = [](const char *name, QStringList files, QStringList folders,
                        const char *source, int fatFiller, int code, QStringList left) {
        QTest::newRow(name) << files << folders << QString::fromLatin1(source) << fatFiller << code
                            << left;
    };
    row("folder blocked by a file", { "dest" }, {}, "", 0, 1, { "dest", "old.iso" });
    row("source missing, old image kept", { "dest/image.iso.0", "dest/image.iso.1" }, {}, "missing",
        0, 3, { "dest", "dest/image.iso.0", "dest/image.iso.1", "old.iso" });
    row("full FAT volume, old image kept", { "dest/image.iso" }, {}, "", 36000000, 9,
        { "FILLER", "dest", "dest/image.iso", "old.iso" });
    row("source shrinks, old image kept", { "dest/image.iso" }, {}, "shrinks", 0, 5,
        { "dest", "dest/image.iso", "old.iso" });
    row("final name is a folder", {}, { "dest/image.iso" }, "", 0, 6,
        { "dest", "dest/image.iso", "old.iso" });
}

void TestIsoCopyWorker::failures()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, source);
    QFETCH(int, fatFiller);
    QFETCH(int, code);
    QFETCH(QStringList, left);
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("stick/"));
    files << QStringLiteral("old.iso");
    FatVolume fat;
    if (fatFiller && !fat.mount(tmp, root, fatFiller))
        QSKIP("a FAT32 volume needs mkfs.vfat, mtools, fusefat and FUSE");
    for (const QString &name : files) {
        QDir().mkpath(QFileInfo(root + name).path());
        writeFile(root + name, "earlier");
    }
    for (const QString &name : folders)
        QDir().mkpath(root + name);
    const QString from = tmp.filePath(QStringLiteral("image.iso"));
    if (source != QLatin1String("missing"))
        makeSparse(from, 3 * chunk);
    // After the first chunk the source loses all but ten bytes of the rest.
    const auto shrink = [&](int value) {
        if (value > 0 && source == QLatin1String("shrinks"))
            QFile::resize(from, chunk + 10);
    };

    isoCopyWorker worker;
    const Outcome out = runCopy(worker, root + QStringLiteral("dest/"), from, shrink);
    QCOMPARE(out.failures, QList<int> { code });
    QCOMPARE(out.finished, 0);
    QCOMPARE(entries(root), left);
    // What is left of the earlier files is untouched: an unreadable source costs the old image
    // nothing.
    for (const QString &name : files) {
        QFile f(root + name);
        QVERIFY(!left.contains(name) || QFileInfo(f).isDir()
                || (f.open(QIODevice::ReadOnly) && f.readAll() == "earlier"));
    }
}

// A copy that reaches the worker after the window has gone must neither run nor touch the stick.
void TestIsoCopyWorker::shutDownStopsLaterCopies()
{
    QTemporaryDir tmp;
    const QString source = tmp.filePath(QStringLiteral("a.iso"));
    makeSparse(source, 3000);
    const QString dest = tmp.filePath(QStringLiteral("stick/"));
    QDir().mkpath(dest);
    QFile earlier(dest + QStringLiteral("a.iso"));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("old") == 3);
    earlier.close();

    isoCopyWorker worker;
    QSignalSpy finished(&worker, &isoCopyWorker::finished);
    QSignalSpy failed(&worker, &isoCopyWorker::failed);
    worker.shutDown();
    worker.copyFile(dest, source);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(entries(dest), QStringList{QStringLiteral("a.iso")});
    QCOMPARE(QFileInfo(dest + QStringLiteral("a.iso")).size(), 3);
}

QTEST_GUILESS_MAIN(TestIsoCopyWorker)
#include "tst_isocopyworker.moc"
