// The copy worker: whole and split images, progress, replacing old copies, a small FAT32 stick,
// cancelling, each failure code with what it leaves behind, published checksums and the record.
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "copy/isocopyworker.h"
#include "copy/shadigest.h"
#include "copy/shadigest.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

constexpr qint64 chunk = 6291456;
constexpr qint64 fullPart = 651 * chunk; // 4,095,737,856

struct Outcome
{
    QList<int> progress, failures;
    int finished = 0;
};

// Runs one copy in the calling thread; hook sees each progress value as it is reported.
Outcome runCopy(isoCopyWorker &worker, const QString &root, const QString &folder,
                const QString &source, const std::function<void(int)> &hook = [](int) {})
{
    Outcome out;
    QObject ctx;
    QObject::connect(&worker, &isoCopyWorker::progressUpdate, &ctx, [&](int value, int total) {
        out.progress << (total == 100 ? value : -1);
        hook(value);
    });
    QObject::connect(&worker, &isoCopyWorker::failed, &ctx,
                     [&](CopyError error) { out.failures << int(error); });
    QObject::connect(&worker, &isoCopyWorker::finished, &ctx, [&] { ++out.finished; });
    worker.copyInto(root, folder, source, false);
    return out;
}

// A sparse file with marks at the start, across the first chunk and part boundaries and at the
// end, each its own, so a misplaced or lost chunk shows in the content.
void makeSparse(const QString &path, qint64 size)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(size));
    for (qint64 at : { qint64(0), chunk - 1000, fullPart - 1000, size - 65536 }) {
        const QByteArray mark = QByteArray::number(at + 1).repeated(8000);
        at = qBound(qint64(0), at, size);
        QVERIFY(f.seek(at) && f.write(mark.left(qMin<qint64>(size - at, 65536))) >= 0);
    }
}

// Joined parts against the source; parts hold whole chunks, so chunk reads line up.
bool sameContent(const QString &source, const QStringList &parts)
{
    QFile src(source);
    bool same = src.open(QIODevice::ReadOnly);
    for (const QString &name : parts) {
        QFile part(name);
        same = same && part.open(QIODevice::ReadOnly);
        while (same && !part.atEnd())
            same = part.read(chunk) == src.read(chunk);
    }
    return same && src.atEnd();
}

// True while each file named below dir holds what TreeRows::lay put there; "name/" is a folder.
bool untouched(const QString &dir, const QStringList &names)
{
    return std::all_of(names.begin(), names.end(), [&](const QString &name) {
        return name.endsWith('/') || TestEnv::readFile(dir + name) == "x";
    });
}

// Large copies write real gigabytes: a RAM-backed tmpfs keeps them quick and spares the disk.
QString bigTempDir()
{
    const QStorageInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isReady() && shm.bytesAvailable() > (9LL << 30) ? shm.rootPath() : QDir::tempPath())
        + QStringLiteral("/tst_isocopyworker-XXXXXX");
}

// A fresh 40 MB FAT32 volume holding a filler, mounted with fusefat until it goes out of scope.
// The kernel cannot copy onto a FUSE volume, so a copy there takes the worker's own buffer.
// Killing fusefat pulls the stick: every access then fails as on a vanished device.
struct FatVolume
{
    QString dir;
    QProcess fuse;
    ~FatVolume()
    {
        if (!dir.isEmpty())
            QProcess::execute(QStringLiteral("fusermount"), { "-u", dir });
        fuse.waitForFinished();
    }
    // False when the tools or FUSE are missing.
    bool mount(const QTemporaryDir &tmp, const QString &at, int filler)
    {
        const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", { "/usr/sbin", "/sbin" });
        const QString img = tmp.filePath(QStringLiteral("vol.img"));
        const QString fillerFile = tmp.filePath(QStringLiteral("filler"));
        if (!TreeRows::lay(tmp.path(), { "filler", "vol.img" }) || !QFile::resize(fillerFile, filler)
            || !QFile::resize(img, 40 << 20)
            || QProcess::execute(mkfs, { "-F", "32", "-S", "512", "-s", "1", img }) != 0
            || QProcess::execute("mcopy", { "-i", img, fillerFile, "::" }) != 0
            || !QDir().mkpath(at))
            return false;
        // In the foreground it talks; nobody reads it while a copy holds the event loop.
        fuse.setStandardOutputFile(QProcess::nullDevice());
        fuse.setStandardErrorFile(QProcess::nullDevice());
        fuse.start(QStringLiteral("fusefat"), { "-f", "-o", "rw+", img, at });
        if (!fuse.waitForStarted())
            return false;
        dir = at;
        return QTest::qWaitFor(
            [&] { return QStorageInfo(at).rootPath() == QDir(at).canonicalPath(); });
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
    void namesAndRoot();
};

void TestIsoCopyWorker::copies_data()
{
    QTest::addColumn<qint64>("size"); // of the source; -1: there is none
    QTest::addColumn<QList<qint64>>("parts"); // one entry: stored whole; none: old image kept
    QTest::addColumn<QList<int>>("progress"); // empty: only the count and the end are checked
    QTest::addColumn<QStringList>("earlier"); // of the same image, on the stick before the copy
    QTest::addColumn<bool>("verify"); // read back and compared
    QTest::addColumn<int>("fatFiller"); // > 0: the stick is a small FAT32 volume this full
    QTest::addColumn<QString>("event"); // when the copy is cancelled, or what befalls it
    QTest::addColumn<int>("code"); // of the failure
    const QString img = QStringLiteral("my image.iso");
    const QStringList old { img + ".0", img + ".1", img + ".2" };
    const auto row = [&](const char *name, qint64 size, QList<qint64> parts, QList<int> progress,
                         QStringList earlier = {}, bool verify = false, int fatFiller = 0,
                         const char *event = "", int code = 0) {
        QTest::newRow(name) << size << parts << progress << earlier << verify << fatFiller
                            << QString::fromLatin1(event) << code;
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
    // An overwrite cancelled at any step leaves the old image byte for byte and nothing else.
    row("cancelled after a whole part", 8200000000, {}, {}, old, false, 0, "part");
    row("cancelled while verifying", 3 * chunk, {}, {}, old, true, 0, "verify");
    row("cancelled after the last sync", 3 * chunk, {}, {}, old, false, 0, "end");
    row("cancelled before the copy begins", 3 * chunk, {}, {}, old, false, 0, "armed");
    // A copy that reaches the worker after the window has gone must not run, armed or not.
    row("after shutting down", 3 * chunk, {}, {}, old, false, 0, "shut down");
    // Whatever fails, an unreadable source first of all, costs the old image nothing.
    row("source missing", -1, {}, {}, { img + ".0", img + ".1" }, false, 0, "", 3);
    row("full FAT volume", 3 * chunk, {}, {}, { img }, false, 36000000, "", 9);
    // The file system takes no file this large (here: a limit on the process's file size).
    row("file too large", 3 * chunk, {}, {}, { img }, false, 0, "size limit", 10);
    row("source shrinks", 3 * chunk, {}, {}, { img }, false, 0, "shrinks", 5);
    row("final name is a folder", 3 * chunk, {}, {}, { img + "/" }, false, 0, "", 6);
    row("verify mismatch", 3 * chunk, {}, {}, { img }, true, 0, "corrupt", 7);
    // The checksum published beside the source is compared before the copy takes its place.
    row("matches its published SHA-512", 2 * chunk + 1000, { 2 * chunk + 1000 }, { 0, 49, 99, 100 },
        { img }, true, 0, "sums right");
    row("published SHA-256 disagrees", 3 * chunk, {}, {}, { img }, false, 0, "sums wrong", 12);
    // Rewritten in place where it was read already: the check alone would agree.
    row("source rewritten while copied", 3 * chunk, {}, {}, { img }, true, 0, "rewritten", 11);
    row("pulled while verifying", 3 * chunk, {}, {}, { img }, true, 10000000, "pull", 8);
}

void TestIsoCopyWorker::copies()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, parts);
    QFETCH(QList<int>, progress);
    QFETCH(QStringList, earlier);
    QFETCH(bool, verify);
    QFETCH(int, fatFiller);
    QFETCH(QString, event);
    QFETCH(int, code);
#ifdef Q_OS_WIN
    // Wine writes every byte of a copy of a sparse image; at the 4 GB part size that is minutes.
    // Where a part ends is decided above the file calls, the same on every system.
    if (size > 1000000000)
        QSKIP("multi-gigabyte copies are left to the Linux run");
#endif
    QTemporaryDir tmp(bigTempDir());
    const QString source = tmp.filePath(QStringLiteral("my image.iso"));
    if (size >= 0)
        makeSparse(source, size);
    FatVolume fat;
    const QString root = tmp.filePath(QStringLiteral("stick")), dest = root + "/linux/";
    if (fatFiller && !fat.mount(tmp, root, fatFiller))
        QSKIP("a FAT32 volume needs mkfs.vfat, mtools, fusefat and FUSE");
    // Neighbours that merely look like parts of the image stay.
    const QStringList kept { "my image.iso.bak", "my image.iso.1x", "my image.iso2",
                             "other.iso.0", "my image.iso.temp" };
    QVERIFY(TreeRows::lay(dest, earlier + kept));

    isoCopyWorker worker;
    worker.setVerify(verify);
    if (event == "shut down")
        worker.shutDown();
    // A cancel while idle is cleared when the next copy is armed.
    worker.cancel();
    worker.arm();
    if (event == "armed")
        worker.cancel();
    int verified = -1;
    QObject::connect(&worker, &isoCopyWorker::verifyProgress, [&](int value) {
        verified = value;
        if (event == "verify" && value > 30)
            worker.cancel();
        if (event == "pull" && value > 30)
            fat.fuse.kill();
        // What the stick would return if it lost a byte: changed between the sync and the read.
        for (const QString &name : TestEnv::entriesBelow(dest)) {
            QFile part(dest + name);
            if (event == "corrupt" && value == 0 && name.startsWith(".discshelf-")
                && part.open(QIODevice::ReadWrite))
                QVERIFY(part.seek(chunk) && part.write("!") == 1);
        }
    });
    // Until the copy is whole, what the listing shows is the old image. A cancel once a part is
    // complete must reach finished parts too.
    bool oldWhileCopying = true;
#ifdef Q_OS_UNIX
    rlimit unlimited {};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    if (event == "size limit") {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small { 1 << 20, unlimited.rlim_max };
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const auto limitGone = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &unlimited); });
#else
    if (event == "size limit")
        QSKIP("a limit on file sizes is set on Unix only");
#endif
    if (event.startsWith("sums")) {
        const QByteArray data = TestEnv::readFile(source);
        Sha512 sha;
        sha.addData(data);
        QVERIFY(event == "sums right"
                    ? TestEnv::writeFile(tmp.filePath("CHECKSUM"),
                                         "SHA512 (my image.iso) = " + sha.result().toHex() + "\n")
                    : TestEnv::writeFile(tmp.filePath("SHA256SUMS"),
                                         Sha256::hash(data + "x").toHex() + "  my image.iso\n"));
    }
    const Outcome out = runCopy(worker, root, "/linux/", source, [&](int value) {
        oldWhileCopying = oldWhileCopying && untouched(dest, earlier);
        if (event == "shrinks" && value > 0) // all but ten bytes of the rest are gone
            QFile::resize(source, chunk + 10);
        QFile rewrite(source);
        if (event == "rewritten" && value == 33 && rewrite.open(QIODevice::ReadWrite))
            rewrite.write("changed");
        if ((event == "part" && TestEnv::entriesBelow(dest).filter(QStringLiteral(".discshelf-")).size() > 1)
            || (event == "end" && value == 100))
            worker.cancel();
    });
    QVERIFY(oldWhileCopying);
    QCOMPARE(out.failures, code ? QList<int> { code } : QList<int>());
    QCOMPARE(out.finished, code ? 0 : 1);
    if (event == "pull")
        return;
    // A committed copy that was checked is recorded with the hash of what was written; a failed
    // one is not, nor one that nothing checked (it goes at the kernel's speed, unhashed).
    const std::optional<RecordedImage> recorded
        = ImageRecord::find(ImageRecord::read(root), "/linux/" + QFileInfo(source).fileName());
    QCOMPARE(recorded.has_value(), !parts.isEmpty() && (verify || event.startsWith("sums")));
    if (recorded && size < 100000000) {
        QCOMPARE(recorded->sha256, Sha256::hash(TestEnv::readFile(source)).toHex());
        QCOMPARE(recorded->parts, parts.size());
        QCOMPARE(recorded->published, event == "sums right" ? "CHECKSUM" : "");
    }

    QStringList names = kept + (parts.isEmpty() ? earlier : QStringList()), paths;
    QVERIFY(untouched(dest, names));
    QList<qint64> sizes;
    for (int i = 0; i < parts.size(); ++i) {
        names << QFileInfo(source).fileName()
                + (parts.size() == 1 ? QString() : QStringLiteral(".%1").arg(i));
        paths << dest + names.last();
        sizes << QFileInfo(paths.last()).size();
    }
    names.replaceInStrings(QStringLiteral("/"), QString()).sort();
    QCOMPARE(TestEnv::entriesBelow(dest), names);
    if (parts.isEmpty())
        return;
    QCOMPARE(verified, verify ? 100 : -1);
    QCOMPARE(out.progress.size(), progress.isEmpty() ? 1 + 652 : progress.size());
    QVERIFY(progress.isEmpty() ? out.progress.last() == 100 : out.progress == progress);
    QVERIFY(std::is_sorted(out.progress.begin(), out.progress.end()) && out.progress.first() == 0);
    QCOMPARE(sizes, parts);
    // The writer's rule as the room check knows it, and a whole set to every reader.
    QCOMPARE(sizes, ImageSet::partSizes(size));
    QVERIFY(!ImageSet::read(dest, QFileInfo(source).fileName()).isBroken());
    QVERIFY2(sameContent(source, paths), "joined parts differ from the source");
}

// A device root that is gone is never made anew, nor a folder where a file is; names up to
// FAT's 255 characters copy.
void TestIsoCopyWorker::namesAndRoot()
{
    QTemporaryDir tmp;
    const QString name = QString(251, 'n') + ".iso", root = tmp.filePath(QStringLiteral("stick/"));
    makeSparse(tmp.filePath(name), 1000);
    isoCopyWorker worker;
    const auto copy = [&](const char *folder) {
        return runCopy(worker, root, folder, tmp.filePath(name)).failures;
    };
    QCOMPARE(copy("/linux/"), QList<int> { 1 });
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(TreeRows::lay(root, { "linux" }));
    QCOMPARE(copy("/linux/"), QList<int> { 1 });
    QCOMPARE(copy("/iso/"), QList<int>());
    QCOMPARE(TestEnv::entriesBelow(root),
             (QStringList { "iso", "iso/" + name, "linux" }));
    QVERIFY(QFileInfo(root + "linux").isFile());
    QCOMPARE(QFileInfo(root + "iso/" + name).size(), 1000);
}

QTEST_GUILESS_MAIN(TestIsoCopyWorker)
#include "tst_isocopyworker.moc"
