// The copy queue: one file at a time to the worker in its thread, the order, what moves a batch
// on, what cuts it short, and its shutdown. Copies that must stay running read from named pipes,
// which hold the worker until the test lets them through.
#include "common/fifogate.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "copy/copyqueue.h"
#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace {

// A queue over a fixture discwand, driven as the window drives it: every report moves it on.
struct Rig {
    SysFixture sys;
    QString root = sys.addDiscwand();
    QTemporaryDir src;
    std::map<QString, std::unique_ptr<FifoGate>> gates; // outlive the queue
    ScsiDriveDetector detector { QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"),
                                 nullptr };
    std::unique_ptr<CopyQueue> queue;
    QStringList events; // "start name", "done", "failed N", "stopped N", in order
    QStringList destDirs;

    Rig()
    {
        detector.forceRefresh();
        queue = std::make_unique<CopyQueue>(&detector);
        QObject::connect(queue.get(), &CopyQueue::fileStarted,
                         [this](const QString &name) { events << "start " + name; });
        QObject::connect(queue.get(), &CopyQueue::startFileCopy,
                         [this](const QString &dir, const QString &) { destDirs << dir; });
        QObject::connect(queue.get(), &CopyQueue::finished, [this] {
            events << "done";
            queue->next();
        });
        QObject::connect(queue.get(), &CopyQueue::failed, [this](int code) {
            events << QStringLiteral("failed %1 %2").arg(code).arg(queue->copyingName());
            queue->next();
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
            const bool plain = name.endsWith('!');
            name.remove('!');
            if (plain) {
                QFile f(src.filePath(name));
                f.open(QIODevice::WriteOnly);
                f.write("image");
            } else {
                gates[name] = std::make_unique<FifoGate>(src.filePath(name));
            }
            out.append({ DeviceFolder(folder), src.filePath(name) });
        }
        return out;
    }
    bool release(const QString &name) { return gates.at(name)->open(); }
    bool idleAfter(int reports)
    {
        return QTest::qWaitFor([&] { return events.count("done") + events.filter("failed").size() >= reports; })
            && queue->count() == 0;
    }
};

} // namespace

class TestCopyQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void batch();
    void cutShort_data();
    void cutShort();
    void failureKeepsTheName();
    void shutdownDuringCopy();
};

void TestCopyQueue::batch()
{
    Rig r;
    r.queue->add(r.entries("/linux", { "a.iso", "b.iso" }));
    QCOMPARE(r.events, QStringList { "start a.iso" });
    QCOMPARE(r.queue->count(), 2);
    // A later add joins the running batch at its end.
    r.queue->add(r.entries("/", { "c.iso!" }));
    QCOMPARE(r.queue->count(), 3);
    QVERIFY(r.release("a.iso"));
    QTRY_COMPARE(r.queue->index(), 1);
    QVERIFY(r.release("b.iso"));
    QVERIFY(r.idleAfter(3));
    QCOMPARE(r.events, (QStringList { "start a.iso", "done", "start b.iso", "done", "start c.iso",
                                      "done" }));
    QCOMPARE(r.destDirs, (QStringList { r.root + "/linux/", r.root + "/linux/", r.root + "/" }));
    QCOMPARE(QDir(r.root + "linux").entryList(QDir::Files), (QStringList { "a.iso", "b.iso" }));
    QVERIFY(QFile::exists(r.root + "c.iso"));
}

void TestCopyQueue::cutShort_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("files"); // on the device afterwards
    QTest::newRow("cancel current")
        << "cancel" << QStringList { "start a.iso", "done", "start b.iso", "done" }
        << QStringList { "b.iso" };
    QTest::newRow("cancel all") << "cancel all" << QStringList { "start a.iso", "done" }
                                << QStringList {};
    // A batch added while the dropped one's copy still runs waits for its report.
    QTest::newRow("cancel all, then a new batch")
        << "cancel all, add" << QStringList { "start a.iso", "done", "start d.iso", "done" }
        << QStringList { "d.iso" };
    QTest::newRow("device gone") << "unplug" << QStringList { "start a.iso", "done", "stopped 0" }
                                 << QStringList { "a.iso" };
    QTest::newRow("read-only") << "read-only"
                               << QStringList { "start a.iso", "done", "stopped 1" }
                               << QStringList { "a.iso" };
}

void TestCopyQueue::cutShort()
{
    QFETCH(QString, action);
    QFETCH(QStringList, events);
    QFETCH(QStringList, files);
    Rig r;
    r.queue->add(r.entries("/", { "a.iso", "b.iso!" }));
    QVERIFY(FifoGate::waitForReader());
    if (action == "cancel")
        r.queue->cancelCurrent();
    else if (action.startsWith("cancel all"))
        r.queue->cancelAll();
    else if (action == "read-only")
        r.sys.setDeviceReadOnly("sdb1", true);
    else
        r.detector.driveChanged(false, r.root);
    if (action.endsWith("add"))
        r.queue->add(r.entries("/", { "d.iso!" }));
    QCOMPARE(r.events, QStringList { "start a.iso" });
    QVERIFY(r.release("a.iso"));
    QVERIFY(QTest::qWaitFor([&] { return r.events.size() >= events.size(); }));
    QTest::qWait(20);
    QCOMPARE(r.events, events);
    QCOMPARE(r.queue->count(), 0);
    QCOMPARE(QDir(r.root).entryList(QDir::Files), files);
}

void TestCopyQueue::failureKeepsTheName()
{
    Rig r;
    QVERIFY(QDir(r.root).mkpath("x.iso/keep"));
    r.queue->add(r.entries("/", { "x.iso!", "y.iso!" }));
    QVERIFY(r.idleAfter(2));
    QCOMPARE(r.events, (QStringList { "start x.iso", "failed 6 x.iso", "start y.iso", "done" }));
    QVERIFY(r.queue->copyingName().isEmpty());
}

void TestCopyQueue::shutdownDuringCopy()
{
    Rig r;
    QTemporaryDir big(QStringLiteral("/dev/shm/tst_copyqueue-XXXXXX"));
    const QString source = (big.isValid() ? big.path() : r.src.path()) + "/big.iso";
    QFile f(source);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(8200000000LL));
    f.close();
    r.queue->add({ { DeviceFolder("/linux"), source }, { DeviceFolder("/"), r.src.filePath("x.iso") } });
    QTRY_VERIFY_WITH_TIMEOUT(
        !QDir(r.root + "linux").entryList(QDir::Files | QDir::Hidden).isEmpty(), 20000);
    // Going away stops the running copy (its files go) and the one not begun, and waits.
    r.queue.reset();
    QCOMPARE(QDir(r.root + "linux").entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(r.root).entryList(QDir::Files), QStringList());
}

QTEST_GUILESS_MAIN(TestCopyQueue)
#include "tst_copyqueue.moc"
