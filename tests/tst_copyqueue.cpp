// The copy queue: what a drop queues and in which order, the progress rows, cancelling, the
// checks before each file and the failure reports. Copies that must stay running read from
// named pipes, which hold the worker until the test lets it go.
#include "common/boxanswerer.h"
#include "common/fifogate.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"
#include "ui/discshelf.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace {

const QString support = QStringLiteral("support@quellor-makeworth.com");

QString failureText(const QString &file, const QString &message)
{
    return "File: " + file + "\nError: " + message + "\n\nIf this problem persists please contact "
        + support;
}

// A window on a fixture discwand, with local source files and observers of its copies.
class Rig
{
public:
    explicit Rig(const QStringList &present = {})
    {
        root = sys.addDiscwand();
        // With its selector program installed the stick brings no question.
        for (const QString &rel : present + QStringList { "config/wandmenu.bin" })
            onDevice(rel);
        window = std::make_unique<discShelf>();
        window->show();
        // Every case needs the discwand found; without it each copy would end in a box.
        ready = TestEnv::waitForReady(window->scanCycle())
            && !window->findChild<ScsiDriveDetector *>()->drivePath().isEmpty();
        starts = std::make_unique<QSignalSpy>(window.get(), &discShelf::startFileCopy);
        listings = std::make_unique<QSignalSpy>(window.get(), &discShelf::listingComplete);
    }
    ~Rig()
    {
        // The window waits for its copy thread, which must not be left waiting on a gate.
        for (auto &gate : gates)
            gate.second->open();
    }

    static QString write(const QString &path, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }
    QString source(const QString &name) { return write(src.filePath(name), "image"); }
    QStringList sources(const QStringList &names)
    {
        QStringList paths;
        for (const QString &name : names)
            paths << source(name);
        return paths;
    }
    // A source whose copy waits until the gate is opened.
    QString gated(const QString &name)
    {
        gates[name] = std::make_unique<FifoGate>(src.filePath(name));
        return src.filePath(name);
    }
    bool release(const QString &name) { return gates.at(name)->open(); }
    // The current copy has reached its gate, so a cancel request now reaches that copy.
    bool atGate() const { return FifoGate::waitForReader(); }
    void onDevice(const QString &rel) { write(root + rel, "old"); }

    void drop(const QString &destDir, const QStringList &paths)
    {
        emit window->findChild<isoTreeWidget *>()->copyFiles(destDir, paths);
    }
    void click(const char *button) const { w<QPushButton>(button)->click(); }
    template<typename T = QWidget> T *w(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString label(const char *name) const { return w<QLabel>(name)->text(); }
    bool shown(const char *name) const { return !w(name)->isHidden(); }
    bool currentRow() const { return shown("lblCurrentFile"); }
    bool overallRow() const { return shown("lblOverallProgress"); }
    bool scanRow() const { return shown("lblScanning") || shown("btnAbort"); }
    // File names handed to the worker so far, in order.
    QStringList started() const
    {
        QStringList names;
        for (const QList<QVariant> &args : *starts)
            names << QFileInfo(args.at(1).toString()).fileName();
        return names;
    }
    bool waitStarted(int n)
    {
        return QTest::qWaitFor([&] { return starts->size() >= n; });
    }
    bool waitIdle()
    {
        return QTest::qWaitFor([&] { return !currentRow(); });
    }

    SysFixture sys;
    QString root;
    QTemporaryDir src;
    std::map<QString, std::unique_ptr<FifoGate>> gates; // outlive the window
    BoxAnswerer boxes;
    std::unique_ptr<discShelf> window;
    std::unique_ptr<QSignalSpy> starts;
    std::unique_ptr<QSignalSpy> listings;
    bool ready = false;
};

// Runs action once, inside the next modal message box's event loop.
void duringNextBox(QTimer &timer, std::function<void()> action)
{
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&timer, action] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        timer.stop();
        action();
    });
    timer.start();
}

} // namespace

class TestCopyQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }

    void dropOrderAndRows();
    void folderKeepsItsPlace();
    void admission_data();
    void admission();
    void laterDrops();
    void batchEndsWhileDropExamined();
    void interruptedBatch_data();
    void interruptedBatch();
    void failureMessages_data();
    void failureMessages();
    void interruptedExamination_data();
    void interruptedExamination();
};

void TestCopyQueue::dropOrderAndRows()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso"), r.gated("12345678.iso"), r.gated("ubuntu-desktop.iso") });
    QCOMPARE(r.started(), QStringList { "ubuntu-desktop.iso" });
    QCOMPARE(r.starts->at(0).at(0).toString(), r.root + "/");
    QVERIFY(!r.scanRow() && r.shown("btnCancelCurrentFile") && r.shown("progressBarCurrentFile"));
    QVERIFY(r.overallRow() && r.shown("btnCancelAll") && r.shown("progressBarOverall"));
    QCOMPARE(r.label("lblCurrentFile"), "ubuntu-d");
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 3");
    QCOMPARE(r.w<QProgressBar>("progressBarOverall")->maximum(), 300);

    const qsizetype listed = r.listings->size();
    QVERIFY(r.release("ubuntu-desktop.iso"));
    QVERIFY(r.waitStarted(2));
    QCOMPARE(r.label("lblCurrentFile"), "12345678");
    QCOMPARE(r.label("lblOverallProgress"), "File 2 of 3");
    QCOMPARE(r.w<QProgressBar>("progressBarOverall")->value(), 100);
    QCOMPARE(r.listings->size(), listed + 1);

    QVERIFY(r.release("12345678.iso"));
    QVERIFY(r.waitStarted(3));
    QCOMPARE(r.label("lblCurrentFile"), "a.iso");
    QVERIFY(r.currentRow());
    QVERIFY(!r.overallRow() && !r.shown("btnCancelAll") && !r.shown("progressBarOverall"));

    QVERIFY(r.release("a.iso"));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "ubuntu-desktop.iso", "12345678.iso", "a.iso" }));
    QCOMPARE(r.listings->size(), listed + 3);
    QCOMPARE(QDir(r.root).entryList({ "*.iso" }),
             (QStringList { "12345678.iso", "a.iso", "ubuntu-desktop.iso" }));
}

void TestCopyQueue::folderKeepsItsPlace()
{
    Rig r({ "linux/old.iso" });
    QVERIFY(r.ready);
    r.sources({ "folder/x.iso", "folder/sub/y.iso" });
    r.drop("/linux/", { r.src.filePath("folder") });
    QVERIFY(r.waitStarted(2));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "x.iso", "y.iso" }));
    QCOMPARE(r.starts->at(0).at(0).toString(), r.root + "/linux/folder/");
    QCOMPARE(r.starts->at(1).at(0).toString(), r.root + "/linux/folder/sub/");
    QVERIFY(TreeRows::find(r.window->findChild<isoTreeWidget *>(),
                           { "linux", "folder", "sub", "y.iso" }));
    QVERIFY(r.boxes.seen().isEmpty());
}

void TestCopyQueue::admission_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<qint64>("size"); // of the first file; 0: a few bytes
    QTest::addColumn<QString>("present"); // already on the device
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("queued");
    const QStringList mixed { "a.iso", "notes.txt", "b.iso", "readme" }, x { "x.iso" };
    const QStringList nonIso { "Ignoring non-ISO files!" }, exists { "File exists!" };
    const QStringList tooLarge { "File too large!" };
    const int ok = QMessageBox::Ok, yes = QMessageBox::Yes, no = QMessageBox::No;
    QTest::newRow("non-images, ok") << mixed << 0LL << "" << ok << nonIso << 2;
    QTest::newRow("non-images, abort")
        << mixed << 0LL << "" << int(QMessageBox::Abort) << nonIso << 0;
    QTest::newRow("non-images, box closed") << mixed << 0LL << "" << 0 << nonIso << 0;
    QTest::newRow("suffix in capitals, numbered part")
        << QStringList { "disc.ISO", "disc.iso.0" } << 0LL << "" << ok << nonIso << 1;
    QTest::newRow("whole present, yes") << x << 0LL << "x.iso" << yes << exists << 1;
    QTest::newRow("whole present, no") << x << 0LL << "x.iso" << no << exists << 0;
    QTest::newRow("split present, yes") << x << 0LL << "x.iso.0" << yes << exists << 1;
    QTest::newRow("split present, no") << x << 0LL << "x.iso.0" << no << exists << 0;
    QTest::newRow("at the size limit") << x << 40960000000LL << "" << ok << QStringList {} << 1;
    QTest::newRow("one byte over") << x << 40960000001LL << "" << ok << tooLarge << 0;
    QTest::newRow("over, present") << x << 40960000001LL << "x.iso" << ok << tooLarge << 0;
}

// What a drop queues behind a held copy, which keeps the queued files from being copied.
void TestCopyQueue::admission()
{
    QFETCH(QStringList, dropped);
    QFETCH(qint64, size);
    QFETCH(QString, present);
    QFETCH(int, answer);
    QFETCH(QStringList, titles);
    QFETCH(int, queued);
    Rig r;
    QVERIFY(r.ready);
    if (!present.isEmpty())
        r.onDevice(present);
    const QStringList paths = r.sources(dropped);
    if (size) // sparse: no data written
        QVERIFY(QFile::resize(paths.at(0), size));
    // Answered even where no box is expected, so that a surprise box fails the row at once.
    r.boxes.answer(QMessageBox::StandardButton(answer));
    r.drop("/", { r.gated("gate.iso") });
    r.drop("/", paths);
    QCOMPARE(r.boxes.titles(), titles);
    if (titles == QStringList { "File exists!" })
        QCOMPARE(r.boxes.seen().at(0).text,
                 "The file 'x.iso' already exists on your discwand. Overwrite?");
    if (titles == QStringList { "File too large!" })
        QCOMPARE(r.boxes.seen().at(0).text,
                 "The file 'x.iso' is over the maximum limit of ~38GiB,\nit will not be "
                 "copied. Sorry for any inconvenience.\n\nIf this is a serious problem, please "
                 "contact "
                     + support);
    QVERIFY(!r.scanRow());
    QCOMPARE(r.started(), QStringList { "gate.iso" });
    QCOMPARE(r.overallRow(), queued > 0);
    if (queued)
        QCOMPARE(r.label("lblOverallProgress"), QString("File 1 of %1").arg(queued + 1));
    QVERIFY(r.atGate());
    r.click("btnCancelAll");
    QVERIFY(r.release("gate.iso"));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), QStringList { "gate.iso" });
}

// Drops that arrive while a copy runs, one of them during the examination of another.
void TestCopyQueue::laterDrops()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso") });
    QVERIFY(r.currentRow() && !r.overallRow());
    bool scanningAfterInner = false;
    QMetaObject::invokeMethod(
        r.window.get(),
        [&] {
            r.drop("/", { r.gated("d.iso") });
            scanningAfterInner = r.scanRow();
        },
        Qt::QueuedConnection);
    r.drop("/", { r.gated("b.iso"), r.gated("c.iso") });
    QVERIFY(scanningAfterInner);
    QVERIFY(!r.scanRow());
    QCOMPARE(r.started(), QStringList { "a.iso" });
    QCOMPARE(r.label("lblCurrentFile"), "a.iso");
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 4");
    for (const char *next : { "a.iso", "b.iso", "c.iso", "d.iso" })
        QVERIFY(r.release(next));
    QVERIFY(r.waitStarted(4));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "a.iso", "d.iso", "c.iso", "b.iso" }));
}

void TestCopyQueue::batchEndsWhileDropExamined()
{
    Rig r({ "y.iso" });
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso") });
    QTimer meanwhile;
    bool ended = false;
    // While the overwrite question of the later drop is open, the running batch finishes.
    duringNextBox(meanwhile, [&] {
        ended = r.release("a.iso") && r.waitIdle();
        r.boxes.answer(QMessageBox::Yes);
    });
    r.drop("/", { r.source("x.iso"), r.gated("y.iso") });
    QVERIFY(ended);
    QCOMPARE(r.started(), (QStringList { "a.iso", "y.iso" }));
    QVERIFY(r.currentRow());
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 2");
    QCOMPARE(r.label("lblCurrentFile"), "y.iso");
    QVERIFY(r.release("y.iso"));
    QVERIFY(r.waitStarted(3));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started().last(), "x.iso");
}

// A batch of three cut short while its first file copies.
void TestCopyQueue::interruptedBatch_data()
{
    QTest::addColumn<QString>("action"); // a button, or what happens to the device
    QTest::addColumn<QString>("obstacle"); // on the device, makes the first copy fail
    QTest::addColumn<bool>("dropAfter"); // before the first copy reports
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("titles");
    const QString all = "btnCancelAll";
    const QStringList c { "c.iso" }, none;
    QTest::newRow("cancel") << "btnCancelCurrentFile"
                            << "" << false << QStringList { "c.iso", "b.iso", "a.iso" }
                            << QStringList { "a.iso", "b.iso" } << none;
    QTest::newRow("cancel all") << all << "" << false << c << none << none;
    QTest::newRow("cancel all, then a drop")
        << all << "" << true << QStringList { "c.iso", "d.iso" } << QStringList { "d.iso" } << none;
    // The report names the file whose copy failed though the queue is empty by then.
    QTest::newRow("cancel all, copy fails")
        << all << "c.iso.temp/keep" << false << c << none << QStringList { "Copy failed!" };
    QTest::newRow("device gone") << "unplug"
                                 << "" << false << c << c
                                 << QStringList { "discwand disappeared!" };
    QTest::newRow("read-only") << "read-only"
                               << "" << false << c << c
                               << QStringList { "Couldn't write to discwand" };
}

void TestCopyQueue::interruptedBatch()
{
    QFETCH(QString, action);
    QFETCH(QString, obstacle);
    QFETCH(bool, dropAfter);
    QFETCH(QStringList, started);
    QFETCH(QStringList, files);
    QFETCH(QStringList, titles);
    Rig r;
    QVERIFY(r.ready);
    if (!obstacle.isEmpty())
        r.onDevice(obstacle);
    r.boxes.answer(QMessageBox::Ok);
    r.drop("/", { r.gated("a.iso"), r.gated("b.iso"), r.gated("c.iso") });
    const qsizetype listed = r.listings->size();
    QVERIFY(r.atGate());
    if (action == "unplug") {
        r.sys.unmount(r.root.chopped(1));
        auto *detector = r.window->findChild<ScsiDriveDetector *>();
        QVERIFY(QTest::qWaitFor([&] { return detector->drivePath().isEmpty(); }));
    } else if (action == "read-only") {
        r.sys.setDeviceReadOnly("sdb1", true);
    } else {
        r.click(action.toLatin1());
    }
    if (dropAfter)
        r.drop("/", { r.gated("d.iso") });
    for (const char *gate : { "a.iso", "b.iso", "c.iso" })
        QVERIFY(r.release(gate));
    if (dropAfter) {
        // The report of the cancelled copy starts the waiting batch.
        QVERIFY(QTest::qWaitFor([&] { return r.listings->size() > listed; }));
        QVERIFY(r.currentRow());
        QCOMPARE(r.label("lblCurrentFile"), "d.iso");
        QVERIFY(r.release("d.iso"));
    }
    QVERIFY(r.waitIdle());
    QVERIFY(!r.overallRow() && !r.shown("btnCancelAll") && !r.shown("progressBarCurrentFile"));
    QCOMPARE(r.started(), started);
    QVERIFY(r.listings->size() >= listed + started.size()); // the tree follows every file
    QCOMPARE(QDir(r.root).entryList({ "*.iso*" }, QDir::Files), files);
    QCOMPARE(r.boxes.titles(), titles);
    if (!obstacle.isEmpty())
        QCOMPARE(r.boxes.seen().at(0).text,
                 failureText("c.iso", "Couldn't open destination file."));
}

void TestCopyQueue::failureMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << 1 << "Couldn't create path on discwand.";
    QTest::newRow("2") << 2 << "Couldn't open destination file.";
    QTest::newRow("3") << 3 << "Couldn't open source file.";
    QTest::newRow("4") << 4 << "Couldn't write to destination file (out of space?).";
    QTest::newRow("5") << 5 << "Couldn't read from source file.";
    QTest::newRow("6") << 6 << "Couldn't rename temporary file.";
    QTest::newRow("0") << 0 << "Uknown";
    QTest::newRow("7") << 7 << "Uknown";
}

void TestCopyQueue::failureMessages()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("next.iso"), r.gated("%2 odd.iso") });
    const qsizetype listed = r.listings->size();
    r.boxes.answer(QMessageBox::Ok);
    r.window->fileCopyFailed(code);
    QCOMPARE(r.boxes.titles(), QStringList { "Copy failed!" });
    QCOMPARE(r.boxes.seen().at(0).icon, QMessageBox::Critical);
    QCOMPARE(r.boxes.seen().at(0).text, failureText("%2 odd.iso", message));
    // The failed file counts as done: the batch goes on.
    QCOMPARE(r.started(), (QStringList { "%2 odd.iso", "next.iso" }));
    QCOMPARE(r.listings->size(), listed + 1);
}

void TestCopyQueue::interruptedExamination_data()
{
    QTest::addColumn<bool>("close");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<int>("answer");
    const QStringList mixed { "a.iso", "notes.txt", "c.iso" };
    QTest::newRow("abort scan") << false << mixed << int(QMessageBox::Ok);
    QTest::newRow("close window") << true << mixed << int(QMessageBox::Ok);
    QTest::newRow("close window at the last question")
        << true << QStringList { "b.iso" } << int(QMessageBox::Yes);
}

void TestCopyQueue::interruptedExamination()
{
    QFETCH(bool, close);
    QFETCH(QStringList, dropped);
    QFETCH(int, answer);
    Rig r({ "b.iso" });
    QVERIFY(r.ready);
    const QStringList paths = r.sources(dropped);
    QTimer meanwhile;
    duringNextBox(meanwhile, [&] {
        if (close)
            r.window->close();
        else
            r.click("btnAbort");
        r.boxes.answer(QMessageBox::StandardButton(answer));
    });
    r.drop("/", paths);
    QCOMPARE(r.boxes.seen().size(), 1);
    QVERIFY(r.started().isEmpty());
    QVERIFY(!r.currentRow());
    if (close)
        return;
    QVERIFY(!r.scanRow());
    // The abort was used up: the next drop is examined and copied.
    r.drop("/", { r.source("z.iso") });
    QVERIFY(r.waitStarted(1));
    QCOMPARE(r.started(), QStringList { "z.iso" });
}

QTEST_MAIN(TestCopyQueue)
#include "tst_copyqueue.moc"
