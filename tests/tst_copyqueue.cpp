// The copy queue: one file at a time to the worker in its thread, the order, what cuts a batch
// short, downloads among the copies, and its shutdown. Copies held running read from named pipes
// (FifoGate), downloads come from a server on loopback.
#include "common/fifogate.h"
#include "common/httptestserver.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "copy/copyprogress.h"
#include "copy/copyqueue.h"
#include "detect/scsidrivedetector.h"
#include "library/translations.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// A queue over a fixture discwand, its reports noted in order.
struct Rig {
    SysFixture sys;
    QString root = sys.addDiscwand();
    QTemporaryDir src;
    std::map<QString, std::unique_ptr<FifoGate>> gates; // outlive the queue
    ScsiDriveDetector detector { QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"),
                                 nullptr };
    std::unique_ptr<CopyQueue> queue;
    QStringList events; // "start name", "done", "failed N name", "stopped N", in order
    QStringList destDirs;

    Rig()
    {
        detector.forceRefresh();
        queue = std::make_unique<CopyQueue>(&detector);
        QObject::connect(queue.get(), &CopyQueue::fileStarted,
                         [this](const QString &name) { events << "start " + name; });
        QObject::connect(queue.get(), &CopyQueue::startFileCopy,
                         [this](const QString &dir, const QString &) { destDirs << dir; });
        QObject::connect(queue.get(), &CopyQueue::finished, [this] { events << "done"; });
        QObject::connect(queue.get(), &CopyQueue::failed, [this](CopyError error) {
            events << QStringLiteral("failed %1 %2").arg(int(error)).arg(queue->copyingName());
        });
        QObject::connect(queue.get(), &CopyQueue::stopped,
                         [this](CopyQueue::Stop why) { events << QStringLiteral("stopped %1").arg(int(why)); });
    }
    ~Rig()
    {
        for (auto &gate : gates)
            gate.second->open();
    }
    // Entries for files below the device folder; "name" is a held copy, "name!" a plain file.
    QList<CopyEntry> entries(const QString &folder, const QStringList &names)
    {
        QList<CopyEntry> out;
        for (QString name : names) {
            QFile plain(src.filePath(name.chopped(1)));
            if (name.endsWith('!') && plain.open(QIODevice::WriteOnly) && plain.write("image"))
                name.chop(1);
            else
                gates[name] = std::make_unique<FifoGate>(src.filePath(name));
            out.append({ DeviceFolder(folder), src.filePath(name) });
        }
        return out;
    }
    bool release(const QString &name) { return gates.at(name)->open(); }
};

} // namespace

class TestCopyQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestEnv::isolate();
        Translations::install(QLocale(QLocale::English));
    }
    void batch();
    void cutShort_data();
    void cutShort();
    void download_data();
    void download();
    void shutdownDuringCopy();
};

void TestCopyQueue::batch()
{
    Rig r;
    QSignalSpy reports(r.queue.get(), &CopyQueue::batchCopied);
    QSignalSpy progress(r.queue.get(), &CopyQueue::batchProgress);
    r.queue->setVerify(true);
    r.queue->add(r.entries("/linux", { "a.iso", "b.iso" }));
    QCOMPARE(r.events, QStringList { "start a.iso" });
    QCOMPARE(r.queue->count(), 2);
    // A later add joins the running batch at its end; a failure is told with its file's name.
    QVERIFY(QDir(r.root).mkpath("x.iso/keep"));
    r.queue->add(r.entries("/", { "x.iso!", "c.iso!" }));
    QCOMPARE(r.queue->count(), 4);
    QVERIFY(r.release("a.iso"));
    QTRY_COMPARE(r.queue->index(), 1);
    QVERIFY(r.release("b.iso"));
    QVERIFY(QTest::qWaitFor([&] { return r.events.size() == 8 && r.queue->count() == 0; }));
    QCOMPARE(r.events, (QStringList { "start a.iso", "done", "start b.iso", "done", "start x.iso",
                                      "failed 6 x.iso", "start c.iso", "done" }));
    QCOMPARE(r.destDirs, (QStringList { r.root + "/linux/", r.root + "/linux/", r.root + "/",
                                        r.root + "/" }));
    QCOMPARE(QDir(r.root + "linux").entryList(QDir::Files), (QStringList { "a.iso", "b.iso" }));
    QCOMPARE(QDir(r.root).entryList(QDir::Files), QStringList { "c.iso" });
    QVERIFY(r.queue->isIdle());
    // The bar of the batch counts bytes, written and read back: the held copies bring none,
    // the two plain files five each, twice.
    QCOMPARE(progress.last(), (QList<QVariant> { qint64(20), qint64(20) }));
    QList<qint64> done;
    for (const QList<QVariant> &args : progress)
        done << args.at(0).toLongLong();
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    QVERIFY(done.contains(15)); // c.iso written, not yet read back
    // The batch's report names its failure beside what was copied.
    QCOMPARE(reports.size(), 1);
    const QList<QVariant> report = reports.first();
    QCOMPARE(report.at(0).toInt(), 3);
    QCOMPARE(report.at(1).toInt(), 4);
    const QString said = CopyProgress::summary(
        3, 4, report.at(2).toLongLong(), report.at(3).toLongLong(), report.at(4).toStringList());
    QVERIFY2(said.startsWith("Copied 3 of 4 images (")
                 && said.endsWith("; 1 failed: x.iso (Couldn't rename temporary file.)"),
             qPrintable(said));
}

void TestCopyQueue::cutShort_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("files"); // on the device afterwards
    const QStringList stopped { "start a.iso", "done", "stopped 0" };
    QTest::newRow("cancel current") << QStringList { "start a.iso", "done", "start b.iso", "done" }
                                    << QStringList { "b.iso" };
    QTest::newRow("cancel all") << QStringList { "start a.iso", "done" } << QStringList {};
    // A batch added while the dropped one's copy still runs waits for its report.
    QTest::newRow("cancel all, then a new batch")
        << QStringList { "start a.iso", "done", "start d.iso", "done" } << QStringList { "d.iso" };
    QTest::newRow("device gone") << stopped << QStringList { "a.iso" };
    // Another disk mounted where the stick was: not one more file goes there.
    QTest::newRow("another volume in its place") << stopped << QStringList { "a.iso" };
    QTest::newRow("read-only") << QStringList { "start a.iso", "done", "stopped 1" }
                               << QStringList { "a.iso" };
}

void TestCopyQueue::cutShort()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, files);
    const QString action = QString::fromLatin1(QTest::currentDataTag());
    Rig r;
    r.queue->add(r.entries("/", { "a.iso", "b.iso!" }));
    QVERIFY(FifoGate::waitForReader());
    if (action == "cancel current") {
        r.queue->cancelCurrent();
    } else if (action.startsWith("cancel all")) {
        r.queue->cancelAll();
    } else if (action == "read-only") {
        r.sys.setDeviceReadOnly("sdb1", true);
    } else if (action == "device gone") {
        r.detector.driveChanged(false, r.root);
    } else {
        r.sys.unmount(r.root.chopped(1));
        r.sys.addDisk("sdc", "ACME", "PHOTO BACKUP");
        r.sys.addPartition("sdc", "sdc1");
        r.sys.mount("sdc1", r.root.chopped(1));
    }
    if (action.endsWith("batch"))
        r.queue->add(r.entries("/", { "d.iso!" }));
    QCOMPARE(r.events, QStringList { "start a.iso" });
    QVERIFY(r.release("a.iso"));
    QVERIFY(QTest::qWaitFor([&] { return r.events.size() >= events.size(); }));
    QTest::qWait(20);
    QCOMPARE(r.events, events);
    QCOMPARE(r.queue->count(), 0);
    QCOMPARE(QDir(r.root).entryList(QDir::Files), files);
}

void TestCopyQueue::download_data()
{
    QTest::addColumn<QString>("stop");
    QTest::newRow("after a copy") << QString();
    QTest::newRow("cancelled while it arrives") << "cancel";
    QTest::newRow("shut down while it arrives") << "shut down";
}

// A download is one more file of the batch: it waits for the copy before it, is counted in the
// batch's bar and report, and a stop leaves nothing of it.
void TestCopyQueue::download()
{
    QFETCH(QString, stop);
    Rig r;
    HttpTestServer server;
    const QByteArray image = TestEnv::randomBytes(3 << 20);
    server.setResponse({ 404 });
    server.setResponse("/pub/new.iso", { 200, image, -1, stop.isEmpty() ? -1 : 100000 });
    server.setResponse(
        "/pub/SHA256SUMS",
        { 200,
          QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex() + "  new.iso\n" });
    QSignalSpy reports(r.queue.get(), &CopyQueue::batchCopied);
    QSignalSpy progress(r.queue.get(), &CopyQueue::batchProgress);
    r.queue->setVerify(true);
    r.queue->add(r.entries("/", { "a.iso" }));
    CopyEntry fetch;
    fetch.folder = DeviceFolder("/linux");
    fetch.address = server.url("/pub/new.iso");
    r.queue->add({ fetch });
    QCOMPARE(r.queue->pendingPaths(), (QStringList { "/a.iso", "/linux/new.iso" }));
    QVERIFY(FifoGate::waitForReader());
    QTest::qWait(50);
    QCOMPARE(server.requests(), QStringList());
    QVERIFY(r.release("a.iso"));
    if (!stop.isEmpty()) {
        QTRY_COMPARE(server.heldCount(), 1);
        if (stop == "cancel")
            r.queue->cancelCurrent();
        else
            QVERIFY(r.queue->shutDown(5000));
    }
    if (stop != "shut down") {
        QTRY_COMPARE(r.events.size(), 4);
        QCOMPARE(r.events, (QStringList { "start a.iso", "done", "start new.iso", "done" }));
        QTRY_VERIFY(r.queue->isIdle());
    }
    server.release();
    const QStringList there = QDir(r.root + "linux").entryList(QDir::Files | QDir::Hidden);
    if (!stop.isEmpty()) {
        QCOMPARE(there, QStringList());
        return;
    }
    QCOMPARE(there, QStringList { "new.iso" });
    QCOMPARE(TestEnv::readFile(r.root + "linux/new.iso"), image);
    // Written and read back, beside the copy's bytes.
    const qint64 copied = QFileInfo(r.root + "a.iso").size();
    QCOMPARE(progress.last(),
             (QList<QVariant> { 2 * (copied + image.size()), 2 * (copied + image.size()) }));
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.first().mid(0, 2), (QList<QVariant> { 2, 2 }));
    QCOMPARE(r.queue->batchMatches(), QStringList { "new.iso matches SHA256SUMS" });
}

void TestCopyQueue::shutdownDuringCopy()
{
    Rig r;
    r.queue->add(r.entries("/linux", { "stuck.iso" }));
    r.queue->add(r.entries("/", { "x.iso!" }));
    QVERIFY(FifoGate::waitForReader());
    // A copy stuck on a source that does not answer holds the shutdown only as long as asked;
    // once it moves, it stops (its files go), the copy not begun never starts, and all is over.
    QVERIFY(!r.queue->shutDown(100));
    QVERIFY(r.release("stuck.iso"));
    QVERIFY(r.queue->shutDown(5000));
    QCOMPARE(QDir(r.root + "linux").entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(r.root).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestCopyQueue)
#include "tst_copyqueue.moc"
