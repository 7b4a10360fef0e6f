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
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
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

// A window on a fixture discwand, with local source files and observers of its copies.
class Rig
{
public:
    Rig()
    {
        root = sys.addDiscwand();
        // With its selector program installed the stick brings no question.
        onDevice(QStringLiteral("config/wandmenu.bin"));
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
    Rig(const Rig &) = delete;
    Rig &operator=(const Rig &) = delete;

    QString source(const QString &name, const QByteArray &content = "image")
    {
        const QString path = src.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
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
    void onDevice(const QString &rel, const QByteArray &content = "old")
    {
        QDir().mkpath(QFileInfo(root + rel).path());
        QFile f(root + rel);
        f.open(QIODevice::WriteOnly);
        f.write(content);
    }
    QByteArray deviceFile(const QString &rel) const
    {
        QFile f(root + rel);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void drop(const QString &destDir, const QStringList &paths)
    {
        emit window->findChild<isoTreeWidget *>()->copyFiles(destDir, paths);
    }
    template<typename T = QWidget> T *w(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString label(const char *name) const { return w<QLabel>(name)->text(); }
    bool shown(const char *name) const { return !w(name)->isHidden(); }
    bool currentRow() const { return shown("lblCurrentFile"); }
    bool overallRow() const { return shown("lblOverallProgress"); }
    // File names handed to the worker so far, in order.
    QStringList started() const
    {
        QStringList names;
        for (const QList<QVariant> &args : *starts)
            names << QFileInfo(args.at(1).toString()).fileName();
        return names;
    }
    bool waitStarted(int count)
    {
        return QTest::qWaitFor([&] { return starts->size() >= count; });
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

// A drop of local files onto a row, delivered as the window system does.
bool dropOnto(QTreeWidget *tree, QTreeWidgetItem *row, const QStringList &files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    const QPoint pos = tree->visualItemRect(row).center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &move);
    if (!enter.isAccepted() || !move.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &drop);
    return drop.isAccepted();
}

} // namespace

class TestCopyQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }

    void lastDroppedCopiedFirst();
    void dropOnFolderRowShowsCopies();
    void folderKeepsItsPlace();
    void nonImages_data();
    void nonImages();
    void sizeLimit_data();
    void sizeLimit();
    void alreadyOnDevice_data();
    void alreadyOnDevice();
    void dropJoinsRunningBatch();
    void batchEndsWhileDropExamined();
    void nestedDropKeepsScanningRow();
    void leftoverReportStartsWaitingBatch();
    void cancelCurrentFile();
    void cancelAll();
    void failureMessages_data();
    void failureMessages();
    void realFailures_data();
    void realFailures();
    void failureAfterCancelAll();
    void currentFileLabel_data();
    void currentFileLabel();
    void deviceLostBeforeNextFile_data();
    void deviceLostBeforeNextFile();
    void interruptedExamination_data();
    void interruptedExamination();
};

void TestCopyQueue::lastDroppedCopiedFirst()
{
    Rig r;
    QVERIFY(r.ready);
    const QStringList paths { r.gated("a.iso"), r.gated("b.iso"), r.gated("c.iso") };
    r.drop("/", paths);

    QCOMPARE(r.started(), QStringList { "c.iso" });
    QCOMPARE(r.starts->at(0).at(0).toString(), r.root + "/");
    QCOMPARE(r.starts->at(0).at(1).toString(), paths.at(2));
    QVERIFY(!r.shown("lblScanning"));
    QVERIFY(!r.shown("btnAbort"));
    QVERIFY(r.currentRow());
    QVERIFY(r.shown("btnCancelCurrentFile") && r.shown("progressBarCurrentFile"));
    QCOMPARE(r.label("lblCurrentFile"), "c.iso");
    QVERIFY(r.overallRow() && r.shown("btnCancelAll") && r.shown("progressBarOverall"));
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 3");
    QCOMPARE(r.w<QProgressBar>("progressBarOverall")->maximum(), 300);

    const qsizetype listed = r.listings->size();
    QVERIFY(r.release("c.iso"));
    QVERIFY(r.waitStarted(2));
    QCOMPARE(r.started().last(), "b.iso");
    QCOMPARE(r.label("lblOverallProgress"), "File 2 of 3");
    QCOMPARE(r.w<QProgressBar>("progressBarOverall")->value(), 100);
    QCOMPARE(r.listings->size(), listed + 1);

    QVERIFY(r.release("b.iso"));
    QVERIFY(r.waitStarted(3));
    QCOMPARE(r.started(), (QStringList { "c.iso", "b.iso", "a.iso" }));
    QCOMPARE(r.label("lblCurrentFile"), "a.iso");
    QVERIFY(r.currentRow());
    QVERIFY(!r.overallRow() && !r.shown("btnCancelAll") && !r.shown("progressBarOverall"));

    QVERIFY(r.release("a.iso"));
    QVERIFY(r.waitIdle());
    QVERIFY(!r.overallRow());
    QCOMPARE(r.listings->size(), listed + 3);
    for (const char *name : { "a.iso", "b.iso", "c.iso" })
        QVERIFY2(QFileInfo::exists(r.root + name), name);
}

void TestCopyQueue::dropOnFolderRowShowsCopies()
{
    Rig r;
    QVERIFY(r.ready);
    r.onDevice("linux/old.iso");
    r.onDevice("config/wandmenu.bin");
    r.window->findChild<QPushButton *>("btnRefresh")->click();
    QVERIFY(TestEnv::waitForReady(r.window->scanCycle()));
    auto *tree = r.window->findChild<isoTreeWidget *>();
    QTreeWidgetItem *folderRow = TreeRows::find(tree, { "linux" });
    QVERIFY(folderRow);
    QVERIFY(dropOnto(tree, folderRow,
                     { r.source("a.iso", "A"), r.source("b.iso"), r.source("c.iso") }));
    QVERIFY(r.waitStarted(3));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "c.iso", "b.iso", "a.iso" }));
    QCOMPARE(r.deviceFile("linux/a.iso"), "A");
    for (const char *name : { "a.iso", "b.iso", "c.iso" })
        QVERIFY2(TreeRows::find(tree, { "linux", name }), name);
}

void TestCopyQueue::folderKeepsItsPlace()
{
    Rig r;
    QVERIFY(r.ready);
    r.source("folder/x.iso", "xx");
    r.source("folder/sub/y.iso", "yyy");
    r.drop("/linux/", { r.src.filePath("folder") });
    QVERIFY(r.waitStarted(2));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "x.iso", "y.iso" }));
    QCOMPARE(r.starts->at(0).at(0).toString(), r.root + "/linux/folder/");
    QCOMPARE(r.starts->at(1).at(0).toString(), r.root + "/linux/folder/sub/");
    QCOMPARE(r.starts->at(1).at(1).toString(), r.src.filePath("folder/sub/y.iso"));
    QCOMPARE(r.deviceFile("linux/folder/x.iso"), "xx");
    QCOMPARE(r.deviceFile("linux/folder/sub/y.iso"), "yyy");
    QVERIFY(r.boxes.seen().isEmpty());
}

void TestCopyQueue::nonImages_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("copied");
    const QStringList mixed { "a.iso", "notes.txt", "b.iso", "readme" };
    QTest::newRow("ok copies the images")
        << mixed << int(QMessageBox::Ok) << QStringList { "b.iso", "a.iso" };
    QTest::newRow("abort copies nothing") << mixed << int(QMessageBox::Abort) << QStringList {};
    QTest::newRow("closing the box copies nothing")
        << mixed << int(QMessageBox::NoButton) << QStringList {};
    QTest::newRow("suffix in capitals, numbered part")
        << QStringList { "disc.ISO", "disc.iso.0" } << int(QMessageBox::Ok)
        << QStringList { "disc.ISO" };
}

void TestCopyQueue::nonImages()
{
    QFETCH(QStringList, dropped);
    QFETCH(int, answer);
    QFETCH(QStringList, copied);
    Rig r;
    QVERIFY(r.ready);
    QStringList paths;
    for (const QString &name : dropped)
        paths << r.source(name);
    r.boxes.answer(QMessageBox::StandardButton(answer));
    r.drop("/", paths);
    QCOMPARE(r.boxes.titles(), QStringList { "Ignoring non-ISO files!" });
    QVERIFY(!r.shown("lblScanning") && !r.shown("btnAbort"));
    if (!copied.isEmpty())
        QVERIFY(r.waitStarted(copied.size()));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), copied);
}

void TestCopyQueue::sizeLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("queued");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("at the limit") << 40960000000LL << false << true << QStringList {};
    QTest::newRow("one byte over")
        << 40960000001LL << false << false << QStringList { "File too large!" };
    QTest::newRow("over, replacing a copy")
        << 40960000001LL << true << false << QStringList { "File too large!" };
}

void TestCopyQueue::sizeLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, present);
    QFETCH(bool, queued);
    QFETCH(QStringList, titles);
    Rig r;
    QVERIFY(r.ready);
    QFile big(r.src.filePath("big.iso"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(size)); // sparse: no data written
    big.close();
    if (present)
        r.onDevice("big.iso");
    if (!titles.isEmpty())
        r.boxes.answer(QMessageBox::Ok);
    // The gated file is examined and started first, so the big one is never actually copied.
    r.drop("/", { big.fileName(), r.gated("gate.iso") });

    QCOMPARE(r.boxes.titles(), titles);
    if (!titles.isEmpty())
        QCOMPARE(r.boxes.seen().at(0).text,
                 "The file 'big.iso' is over the maximum limit of ~38GiB,\nit will not be copied. "
                 "Sorry for any inconvenience.\n\nIf this is a serious problem, please contact "
                     + support);
    QCOMPARE(r.started(), QStringList { "gate.iso" });
    QCOMPARE(r.overallRow(), queued);
    if (queued)
        QCOMPARE(r.label("lblOverallProgress"), "File 1 of 2");

    QVERIFY(r.atGate());
    if (queued)
        r.w<QPushButton>("btnCancelAll")->click();
    QVERIFY(r.release("gate.iso"));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), QStringList { "gate.iso" });
}

void TestCopyQueue::alreadyOnDevice_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("answer");
    QTest::newRow("whole, yes") << "linux/x.iso" << int(QMessageBox::Yes);
    QTest::newRow("whole, no") << "linux/x.iso" << int(QMessageBox::No);
    QTest::newRow("split, yes") << "linux/x.iso.0" << int(QMessageBox::Yes);
    QTest::newRow("split, no") << "linux/x.iso.0" << int(QMessageBox::No);
}

void TestCopyQueue::alreadyOnDevice()
{
    QFETCH(QString, existing);
    QFETCH(int, answer);
    Rig r;
    QVERIFY(r.ready);
    r.onDevice(existing);
    r.boxes.answer(QMessageBox::StandardButton(answer));
    r.drop("/linux/", { r.source("x.iso", "new") });
    QCOMPARE(r.boxes.titles(), QStringList { "File exists!" });
    QCOMPARE(r.boxes.seen().at(0).text,
             "The file 'x.iso' already exists on your discwand. Overwrite?");
    if (answer == QMessageBox::Yes) {
        QVERIFY(r.waitStarted(1));
        QVERIFY(r.waitIdle());
        QCOMPARE(r.deviceFile("linux/x.iso"), "new");
        QVERIFY(!QFileInfo::exists(r.root + "linux/x.iso.0"));
    } else {
        QVERIFY(r.waitIdle());
        QVERIFY(r.started().isEmpty());
        QCOMPARE(r.deviceFile(existing), "old");
    }
}

void TestCopyQueue::dropJoinsRunningBatch()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso") });
    QVERIFY(r.currentRow() && !r.overallRow());
    r.drop("/", { r.gated("b.iso"), r.gated("c.iso") });
    QCOMPARE(r.started(), QStringList { "a.iso" });
    QVERIFY(r.overallRow());
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 3");
    QCOMPARE(r.label("lblCurrentFile"), "a.iso");
    for (const char *next : { "a.iso", "c.iso", "b.iso" })
        QVERIFY(r.release(next));
    QVERIFY(r.waitStarted(3));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "a.iso", "c.iso", "b.iso" }));
}

void TestCopyQueue::batchEndsWhileDropExamined()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso") });
    r.onDevice("y.iso");
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
    QVERIFY(r.currentRow() && r.overallRow());
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 2");
    QCOMPARE(r.label("lblCurrentFile"), "y.iso");
    QVERIFY(r.release("y.iso"));
    QVERIFY(r.waitStarted(3));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started().last(), "x.iso");
}

void TestCopyQueue::nestedDropKeepsScanningRow()
{
    Rig r;
    QVERIFY(r.ready);
    const QString inner = r.gated("x.iso");
    bool scanningAfterInner = false;
    // Delivered at the first pause of the outer examination, as a second drop would be.
    QMetaObject::invokeMethod(
        r.window.get(),
        [&] {
            r.drop("/", { inner });
            scanningAfterInner = r.shown("lblScanning") && r.shown("btnAbort");
        },
        Qt::QueuedConnection);
    r.drop("/", { r.source("a.iso"), r.source("b.iso") });
    QVERIFY(scanningAfterInner);
    QVERIFY(!r.shown("lblScanning") && !r.shown("btnAbort"));
    QCOMPARE(r.started(), QStringList { "x.iso" });
    QCOMPARE(r.label("lblOverallProgress"), "File 1 of 3");
    QVERIFY(r.release("x.iso"));
    QVERIFY(r.waitStarted(3));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "x.iso", "b.iso", "a.iso" }));
}

void TestCopyQueue::leftoverReportStartsWaitingBatch()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.source("b.iso"), r.gated("a.iso") });
    QVERIFY(r.atGate());
    r.w<QPushButton>("btnCancelAll")->click();
    // The cancelled copy has not reported yet when the next drop starts a batch.
    r.drop("/", { r.gated("c.iso") });
    QVERIFY(r.currentRow());
    const qsizetype listed = r.listings->size();
    QVERIFY(r.release("a.iso"));
    QVERIFY(QTest::qWaitFor([&] { return r.listings->size() > listed; }));
    QCOMPARE(r.started(), (QStringList { "a.iso", "c.iso" }));
    QVERIFY(r.currentRow());
    QCOMPARE(r.label("lblCurrentFile"), "c.iso");
    QVERIFY(r.release("c.iso"));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.started(), (QStringList { "a.iso", "c.iso" }));
    QVERIFY(!QFileInfo::exists(r.root + "a.iso"));
    QVERIFY(QFileInfo::exists(r.root + "c.iso"));
}

void TestCopyQueue::cancelCurrentFile()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso"), r.gated("b.iso"), r.gated("c.iso") });
    const qsizetype listed = r.listings->size();
    QVERIFY(r.atGate());
    r.w<QPushButton>("btnCancelCurrentFile")->click();
    QVERIFY(r.release("c.iso"));
    QVERIFY(r.waitStarted(2));
    QCOMPARE(r.started().last(), "b.iso");
    QCOMPARE(r.label("lblOverallProgress"), "File 2 of 3");
    QCOMPARE(r.listings->size(), listed + 1);
    QCOMPARE(QDir(r.root).entryList({ "c.iso*" }), QStringList {});
    QVERIFY(r.release("b.iso"));
    QVERIFY(r.release("a.iso"));
    QVERIFY(r.waitIdle());
    QVERIFY(QFileInfo::exists(r.root + "a.iso") && QFileInfo::exists(r.root + "b.iso"));
}

void TestCopyQueue::cancelAll()
{
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso"), r.gated("b.iso"), r.gated("c.iso") });
    const qsizetype listed = r.listings->size();
    QVERIFY(r.atGate());
    r.w<QPushButton>("btnCancelAll")->click();
    QVERIFY(r.release("c.iso"));
    QVERIFY(r.waitIdle());
    QVERIFY(!r.overallRow() && !r.shown("btnCancelAll") && !r.shown("progressBarCurrentFile"));
    QCOMPARE(r.listings->size(), listed + 1);
    QCOMPARE(r.started(), QStringList { "c.iso" });
    QCOMPARE(QDir(r.root).entryList({ "*.iso*" }), QStringList {});
    QVERIFY(r.boxes.seen().isEmpty());
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
    QCOMPARE(r.boxes.seen().at(0).text,
             "File: %2 odd.iso\nError: " + message + "\n\nIf this problem persists please contact "
                 + support);
    // The failed file counts as done: the batch goes on.
    QCOMPARE(r.started(), (QStringList { "%2 odd.iso", "next.iso" }));
    QCOMPARE(r.listings->size(), listed + 1);
}

void TestCopyQueue::realFailures_data()
{
    QTest::addColumn<QString>("destDir");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");
    QTest::newRow("path") << "/linux/"
                          << "linux"
                          << "x.iso"
                          << "Couldn't create path on discwand.";
    QTest::newRow("destination") << "/"
                                 << "x.iso.temp/keep"
                                 << "x.iso"
                                 << "Couldn't open destination file.";
    QTest::newRow("source") << "/" << QString() << "ghost.iso"
                            << "Couldn't open source file.";
    QTest::newRow("rename") << "/"
                            << "x.iso/keep"
                            << "x.iso"
                            << "Couldn't rename temporary file.";
}

void TestCopyQueue::realFailures()
{
    QFETCH(QString, destDir);
    QFETCH(QString, obstacle);
    QFETCH(QString, source);
    QFETCH(QString, message);
    Rig r;
    QVERIFY(r.ready);
    if (!obstacle.isEmpty())
        r.onDevice(obstacle);
    QStringList expected { "Copy failed!" };
    // A folder of the image's name counts as a copy on the device.
    if (obstacle == "x.iso/keep") {
        r.boxes.answer(QMessageBox::Yes);
        expected.prepend("File exists!");
    }
    r.boxes.answer(QMessageBox::Ok);
    r.drop(destDir, { source == "x.iso" ? r.source(source) : r.src.filePath(source) });
    QVERIFY(r.waitStarted(1));
    QVERIFY(QTest::qWaitFor([&] { return r.boxes.seen().size() == expected.size(); }));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.boxes.titles(), expected);
    QCOMPARE(r.boxes.seen().last().text,
             "File: " + source + "\nError: " + message
                 + "\n\nIf this problem persists please contact " + support);
}

void TestCopyQueue::failureAfterCancelAll()
{
    Rig r;
    QVERIFY(r.ready);
    r.onDevice("a.iso.temp/keep");
    r.drop("/", { r.source("b.iso"), r.gated("a.iso") });
    QVERIFY(r.atGate());
    r.w<QPushButton>("btnCancelAll")->click();
    r.boxes.answer(QMessageBox::Ok);
    QVERIFY(r.release("a.iso"));
    QVERIFY(QTest::qWaitFor([&] { return !r.boxes.seen().isEmpty(); }));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.boxes.seen().at(0).text,
             "File: a.iso\nError: Couldn't open destination file.\n\nIf this problem persists "
             "please contact "
                 + support);
    QCOMPARE(r.started(), QStringList { "a.iso" });
}

void TestCopyQueue::currentFileLabel_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("long") << "ubuntu-desktop.iso"
                          << "ubuntu-d";
    QTest::newRow("eight") << "12345678.iso"
                           << "12345678";
    QTest::newRow("short") << "a.iso"
                           << "a.iso";
}

void TestCopyQueue::currentFileLabel()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated(name) });
    QCOMPARE(r.label("lblCurrentFile"), shown);
}

void TestCopyQueue::deviceLostBeforeNextFile_data()
{
    QTest::addColumn<bool>("unplug");
    QTest::addColumn<QString>("title");
    QTest::newRow("gone") << true << "discwand disappeared!";
    QTest::newRow("read-only") << false << "Couldn't write to discwand";
}

void TestCopyQueue::deviceLostBeforeNextFile()
{
    QFETCH(bool, unplug);
    QFETCH(QString, title);
    Rig r;
    QVERIFY(r.ready);
    r.drop("/", { r.gated("a.iso"), r.gated("b.iso"), r.gated("c.iso") });
    auto *detector = r.window->findChild<ScsiDriveDetector *>();
    if (unplug) {
        r.sys.unmount(r.root.chopped(1));
        QVERIFY(QTest::qWaitFor([&] { return detector->drivePath().isEmpty(); }));
    } else {
        r.sys.setDeviceReadOnly("sdb1", true);
    }
    r.boxes.answer(QMessageBox::Ok);
    QVERIFY(r.release("c.iso"));
    QVERIFY(r.waitIdle());
    QCOMPARE(r.boxes.titles(), QStringList { title });
    QCOMPARE(r.started(), QStringList { "c.iso" });
    QVERIFY(!r.overallRow());
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
    Rig r;
    QVERIFY(r.ready);
    r.onDevice("b.iso");
    QStringList paths;
    for (const QString &name : dropped)
        paths << r.source(name);
    QTimer meanwhile;
    duringNextBox(meanwhile, [&] {
        if (close)
            r.window->close();
        else
            r.w<QPushButton>("btnAbort")->click();
        r.boxes.answer(QMessageBox::StandardButton(answer));
    });
    r.drop("/", paths);
    QCOMPARE(r.boxes.seen().size(), 1);
    QVERIFY(r.started().isEmpty());
    QVERIFY(!r.currentRow());
    if (close)
        return;
    QVERIFY(!r.shown("lblScanning") && !r.shown("btnAbort"));
    // The abort was used up: the next drop is examined and copied.
    r.drop("/", { r.source("z.iso") });
    QVERIFY(r.waitStarted(1));
    QCOMPARE(r.started(), QStringList { "z.iso" });
}

QTEST_MAIN(TestCopyQueue)
#include "tst_copyqueue.moc"
