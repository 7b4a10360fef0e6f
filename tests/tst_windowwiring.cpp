// The window drives its components and shows what they report: listing into the tree,
// choosing the image, a drop's questions and copies, and the selector download. The components
// themselves are tested on their own; these cases show the wiring.
#include "common/boxanswerer.h"
#include "common/fifogate.h"
#include "common/httptestserver.h"
#include "common/nextdialog.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/copyqueue.h"
#include "detect/scsidrivedetector.h"
#include "ui/addressdialog.h"
#include "ui/discshelf.h"
#include "ui/isotreewidget.h"
#include "ui/stickcopies.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <map>
#include <memory>
#include <thread>

namespace {

const QString support = QStringLiteral("support@quellor-makeworth.com");

// A shown window over a fixture discwand holding `entries` (its selector program too, unless
// told otherwise), with local sources and a box answerer.
struct Rig {
    SysFixture sys;
    QString root;
    QTemporaryDir src;
    std::map<QString, std::unique_ptr<FifoGate>> gates; // outlive the window
    BoxAnswerer boxes;
    HttpTestServer server;
    std::unique_ptr<discShelf> w;
    isoTreeWidget *tree = nullptr;

    explicit Rig(const QStringList &entries, bool readOnly = false, bool selector = true)
        : root(sys.addDiscwand(QStringLiteral("sdb"), readOnly))
    {
        TreeRows::lay(root, entries + (selector ? QStringList { "config/wandmenu.bin" } : QStringList {}));
    }
    ~Rig()
    {
        for (auto &gate : gates)
            gate.second->open();
    }
    bool start()
    {
        w = std::make_unique<discShelf>();
        w->setDownloadUrl(server.url());
        tree = w->findChild<isoTreeWidget *>();
        w->show();
        return TestEnv::waitForReady(w->scanCycle());
    }
    template <typename T = QWidget> T *get(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    QString text(const char *label) const { return get<QLabel>(label)->text(); }
    bool shown(const char *name) const { return !get(name)->isHidden(); }
    QString gated(const QString &name)
    {
        gates[name] = std::make_unique<FifoGate>(src.filePath(name));
        return src.filePath(name);
    }
    // An image that boots (the drop would ask about any other).
    QString plain(const QString &name)
    {
        return TestEnv::writeBootable(src.filePath(name)) ? src.filePath(name) : QString();
    }
    void drop(const QString &destDir, const QStringList &paths)
    {
        emit tree->copyFiles(destDir, paths);
    }
    // Held copies are queued directly, to the stick shown: a drop refuses pipes, which would
    // hold a copy for ever.
    void queue(const QStringList &paths)
    {
        QList<CopyEntry> entries;
        for (const QString &path : paths)
            entries.append({ DeviceFolder("/"), path });
        w->findChild<StickCopies *>()->shownQueue()->add(entries);
    }
    QByteArray device(const QString &rel) const { return TestEnv::readFile(root + rel); }
};

} // namespace

class TestWindowWiring : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void listingAndChoosing_data();
    void listingAndChoosing();
    void copyRows();
    void dropQuestions_data();
    void dropQuestions();
    void copyReports_data();
    void copyReports();
    void download_data();
    void download();
    void getFromAddress();
    void closeDuringCopy();
    void closeDuringSlowCopy();
    void repairAsksTheSwitch();
    void severalSticks();
    void willNotBootKeptOrDeleted();
    void checkImagesFindsDamage();
};

void TestWindowWiring::listingAndChoosing_data()
{
    QTest::addColumn<QStringList>("row"); // empty: nothing selected
    QTest::addColumn<QString>("how"); // "button" or "slot" (with the button off)
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("boxes");
    const QByteArray none = "<none>";
    QTest::newRow("split image, button")
        << QStringList { "y", "big.iso" } << "button" << false << true << QByteArray("/y/big.iso")
        << QStringList {};
    // Off with the read-only switch set; Enter or a double-click still hears why.
    QTest::newRow("read-only") << QStringList { "a.iso" } << "slot" << true << false << none
                               << QStringList { "Couldn't write to discwand" };
    QTest::newRow("folder") << QStringList { "y" } << "slot" << false << false << none
                            << QStringList {};
    QTest::newRow("nothing selected")
        << QStringList {} << "slot" << false << false << none << QStringList {};
}

void TestWindowWiring::listingAndChoosing()
{
    QFETCH(QStringList, row);
    QFETCH(QString, how);
    QFETCH(bool, readOnly);
    QFETCH(bool, enabled);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, boxes);
    Rig r({ "a.iso", "y/big.iso.0", "y/big.iso.1" }, readOnly);
    QVERIFY(r.start());
    QCOMPARE(TreeRows::dump(r.tree), (QStringList { "y/", "  big.iso", "a.iso" }));
    r.tree->expandAll();
    QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
    QTreeWidgetItem *item = row.isEmpty() ? nullptr : TreeRows::find(r.tree, row);
    QVERIFY(row.isEmpty() || item);
    r.tree->setCurrentItem(item);
    auto *load = r.get<QPushButton>("btnLoadISO");
    QCOMPARE(load->isEnabled(), enabled);
    r.boxes.answer(QMessageBox::Ok);
    if (how == "button") {
        QTest::mouseClick(load, Qt::LeftButton);
    } else {
        r.w->loadSelectedISO();
    }
    QCOMPARE(r.device("config/iso_filename.txt"), bytes);
    QCOMPARE(r.boxes.titles(), boxes);
    // A new listing keeps the open folders and the selection, and with it the button.
    const QString selected = r.tree->selectedPath();
    QCOMPARE(selected.isEmpty(), row.isEmpty());
    r.w->buildIsoList();
    QCOMPARE(r.tree->selectedPath(), selected);
    QVERIFY(TreeRows::find(r.tree, { "y" })->isExpanded());
    QCOMPARE(load->isEnabled(), enabled);
}

// The progress rows follow a batch of three held copies from the first file to the last.
void TestWindowWiring::copyRows()
{
    Rig r({});
    QVERIFY(r.start());
    QSignalSpy starts(r.w.get(), &discShelf::startFileCopy);
    QSignalSpy listings(r.w.get(), &discShelf::listingComplete);
    r.queue({ r.gated("ubuntu-desktop.iso"), r.gated("12345678.iso"), r.gated("a.iso") });
    QTRY_COMPARE(starts.size(), 1);
    QCOMPARE(starts.at(0).at(0).toString(), r.root + "/");
    QCOMPARE(r.text("lblCurrentFile"), "ubuntu-d");
    QCOMPARE(r.text("lblOverallProgress"), "File 1 of 3");
    QVERIFY(r.shown("btnCancelAll") && r.shown("progressBarOverall"));
    QVERIFY(r.gates.at("ubuntu-desktop.iso")->open());
    QTRY_COMPARE(starts.size(), 2);
    QCOMPARE(r.text("lblCurrentFile"), "12345678");
    QCOMPARE(r.text("lblOverallProgress"), "File 2 of 3");
    // The batch's bar shows the queue's bytes, beyond what an int holds too.
    auto *overall = r.get<QProgressBar>("progressBarOverall");
    emit r.w->findChild<CopyQueue *>()->batchProgress(6000000000LL, 8000000000LL);
    QCOMPARE(overall->value() * 4LL, overall->maximum() * 3LL);
    QCOMPARE(listings.size(), 1); // the tree follows every file
    QVERIFY(r.gates.at("12345678.iso")->open());
    QTRY_COMPARE(starts.size(), 3);
    QVERIFY(r.shown("lblCurrentFile") && !r.shown("lblOverallProgress") && !r.shown("btnCancelAll"));
    // The read-back has the file's bar to itself.
    auto *fileBar = r.get<QProgressBar>("progressBarCurrentFile");
    emit r.w->findChild<CopyQueue *>()->verifyProgress(40, 100);
    QCOMPARE(fileBar->value(), 40);
    QCOMPARE(fileBar->text(), "checking 40%");
    // Cancel All ends the batch: both rows go, the tree is listed again.
    QVERIFY(FifoGate::waitForReader());
    QTest::mouseClick(r.get<QPushButton>("btnCancelAll"), Qt::LeftButton);
    QVERIFY(r.gates.at("a.iso")->open());
    QTRY_VERIFY(!r.shown("lblCurrentFile") && !r.shown("progressBarCurrentFile"));
    QTRY_COMPARE(listings.size(), 3);
    QVERIFY(!QFile::exists(r.root + "a.iso"));
}

void TestWindowWiring::dropQuestions_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QStringList>("copied");
    QTest::newRow("exists, yes") << QStringList { "x.iso" } << int(QMessageBox::Yes)
                                 << QStringList { "File exists!" }
                                 << "The file 'x.iso' already exists on your discwand. Overwrite?"
                                 << QStringList { "x.iso" };
    // A name that looks like markup is shown as it is.
    QTest::newRow("exists, no") << QStringList { "&lt;b&gt;x.iso" } << int(QMessageBox::No)
                                << QStringList { "File exists!" }
                                << "The file '&lt;b&gt;x.iso' already exists on your discwand. Overwrite?"
                                << QStringList {};
    QTest::newRow("others, ok") << QStringList { "a.iso", "b.txt" } << int(QMessageBox::Ok)
                                << QStringList { "Ignoring non-ISO files!" } << ""
                                << QStringList { "a.iso" };
    QTest::newRow("others, abort") << QStringList { "a.iso", "b.txt" } << int(QMessageBox::Abort)
                                   << QStringList { "Ignoring non-ISO files!" } << ""
                                   << QStringList {};
    QTest::newRow("will not boot, no") << QStringList { "data.iso" } << int(QMessageBox::No)
                                       << QStringList { "Image will not boot" }
                                       << "'data.iso' is no ISO 9660 image. The discwand cannot "
                                          "start a computer from it.\n\nCopy it anyway?"
                                       << QStringList {};
    QTest::newRow("name refused") << QStringList { "a?.iso" } << int(QMessageBox::Ok)
                                  << QStringList { "Names the discwand cannot take" } << ""
                                  << QStringList {};
    QTest::newRow("too large") << QStringList { "big.iso" } << int(QMessageBox::Ok)
                               << QStringList { "File too large!" }
                               << "The file 'big.iso' is over the maximum limit of ~38GiB,\nit "
                                  "will not be copied. Sorry for any inconvenience.\n\nIf this is "
                                  "a serious problem, please contact "
                                   + support
                               << QStringList {};
}

void TestWindowWiring::dropQuestions()
{
    QFETCH(QStringList, dropped);
    QFETCH(int, answer);
    QFETCH(QStringList, titles);
    QFETCH(QString, firstText);
    QFETCH(QStringList, copied);
    Rig r({ "x.iso", "&lt;b&gt;x.iso" });
    QVERIFY(r.start());
    QStringList paths;
    for (const QString &name : dropped)
        paths << r.plain(name);
    if (dropped.first() == "big.iso")
        QVERIFY(QFile::resize(r.src.filePath("big.iso"), 40960000001LL));
    if (dropped.first() == "data.iso")
        QVERIFY(QFile::resize(r.src.filePath("data.iso"), 5));
    QSignalSpy starts(r.w.get(), &discShelf::startFileCopy);
    r.boxes.answer(QMessageBox::StandardButton(answer));
    r.drop("/", paths);
    QVERIFY(r.shown("lblScanning") && r.shown("btnAbort"));
    QTRY_VERIFY(!r.shown("lblScanning") && !r.shown("btnAbort"));
    QTRY_VERIFY(!r.shown("lblCurrentFile"));
    QCOMPARE(r.boxes.titles(), titles);
    if (!firstText.isEmpty())
        QCOMPARE(r.boxes.seen().at(0).text, firstText);
    if (titles.first() != "Ignoring non-ISO files!")
        QCOMPARE(r.boxes.seen().at(0).format, Qt::PlainText);
    QStringList started;
    for (const QList<QVariant> &args : starts)
        started << QFileInfo(args.at(1).toString()).fileName();
    QCOMPARE(started, copied);
}

void TestWindowWiring::copyReports_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString contact = "\n\nIf this problem persists please contact " + support;
    QTest::newRow("copy fails") << "obstacle" << "Copy failed!"
                                << "File: %2 odd.iso\nError: Couldn't rename temporary file." + contact;
    // The worker's numeric codes, straight to the window's slot, keep their texts.
    QTest::newRow("code 2") << "2" << "Copy failed!" << "File: \nError: Couldn't open destination file." + contact;
    QTest::newRow("code 4") << "4" << "Copy failed!"
                            << "File: \nError: Couldn't write to destination file (out of space?)." + contact;
    QTest::newRow("device gone") << "unplug" << "discwand disappeared!" << "";
    QTest::newRow("read-only") << "read-only" << "Couldn't write to discwand" << "";
}

// A copy's failure and a batch stopped before its next file each show their box; the rows go
// once the batch is over.
void TestWindowWiring::copyReports()
{
    QFETCH(QString, fault);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Rig r({});
    QVERIFY(r.start());
    r.boxes.answer(QMessageBox::Ok);
    if (fault.front().isDigit()) {
        r.w->fileCopyFailed(fault.toInt());
        QCOMPARE(r.boxes.titles(), QStringList { title });
        QCOMPARE(r.boxes.seen().last().text, text);
        return;
    }
    r.queue({ r.gated("first.iso") });
    r.drop("/", { r.plain("%2 odd.iso") });
    QVERIFY(FifoGate::waitForReader());
    // A folder in the way of the image's name, made once the drop was admitted: the copy fails.
    QTRY_VERIFY(!r.shown("lblScanning"));
    if (fault == "obstacle")
        QVERIFY(QDir(r.root).mkpath("%2 odd.iso/keep"));
    if (fault == "unplug") {
        r.sys.unmount(r.root.chopped(1));
        QTRY_VERIFY(r.w->findChild<ScsiDriveDetector *>()->drivePath().isEmpty());
    }
    else if (fault == "read-only")
        r.sys.setDeviceReadOnly("sdb1", true);
    QVERIFY(r.gates.at("first.iso")->open());
    QTRY_COMPARE(r.boxes.titles(), QStringList { title });
    if (!text.isEmpty())
        QCOMPARE(r.boxes.seen().last().text, text);
    QCOMPARE(r.boxes.seen().last().icon,
             fault == "obstacle" ? QMessageBox::Critical : QMessageBox::Warning);
    QTRY_VERIFY(!r.shown("lblCurrentFile") && !r.shown("lblOverallProgress"));
}

void TestWindowWiring::download_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("stored");
    const int yes = QMessageBox::Yes, no = QMessageBox::No;
    const QString question = "wandmenu is missing!";
    QTest::newRow("yes") << 200 << false << QList<int> { yes } << QStringList { question } << true;
    QTest::newRow("no") << 200 << false << QList<int> { no } << QStringList { question } << false;
    QTest::newRow("404") << 404 << false << QList<int> { yes, QMessageBox::Ok }
                         << QStringList { question, "Download failed!" } << false;
    QTest::newRow("read-only, retry, cancel")
        << 200 << true << QList<int> { yes, QMessageBox::Retry, QMessageBox::Cancel }
        << QStringList { question, "Cannot write!", "Cannot write!" } << false;
    QTest::newRow("stopped") << 0 << false << QList<int> { yes } << QStringList { question } << false;
}

void TestWindowWiring::download()
{
    QFETCH(int, status);
    QFETCH(bool, readOnly);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, titles);
    QFETCH(bool, stored);
    Rig r({ "a.iso" }, readOnly, false);
    r.server.setResponse({ qMax(status, 200), "selector program", -1, 5 });
    for (int answer : answers)
        r.boxes.answer(QMessageBox::StandardButton(answer));
    r.w = std::make_unique<discShelf>();
    r.w->setDownloadUrl(r.server.url());
    r.tree = r.w->findChild<isoTreeWidget *>();
    QSignalSpy checked(r.w.get(), &discShelf::wandmenuDownloaded);
    r.w->show();
    if (answers.first() == QMessageBox::Yes) {
        // The download has a row of its own and the cycle lists the stick meanwhile.
        QTRY_COMPARE(r.server.heldCount(), 1);
        QVERIFY(TestEnv::waitForReady(r.w->scanCycle()));
        QCOMPARE(TreeRows::dump(r.tree), QStringList { "a.iso" });
        QCOMPARE(r.text("lblDownload"), "wandmenu.bin");
        QVERIFY(r.shown("progressBarDownload") && !r.shown("lblCurrentFile"));
        if (status == 0)
            QTest::mouseClick(r.get<QPushButton>("btnCancelDownload"), Qt::LeftButton);
        else
            r.server.release();
        QTRY_VERIFY(!r.shown("lblDownload"));
    }
    QVERIFY(TestEnv::waitForReady(r.w->scanCycle()));
    QCOMPARE(checked.size(), 1);
    QTRY_COMPARE(r.boxes.titles(), titles);
    QVERIFY(!r.shown("progressBarDownload"));
    QCOMPARE(r.device("config/wandmenu.bin"), stored ? QByteArray("selector program") : "<none>");
    r.server.release();
}

// Ctrl+G's dialog puts the download among the stick's copies, after the one under way; the image
// lands in the folder the dialog names and the batch's summary tells it checked.
void TestWindowWiring::getFromAddress()
{
    Rig r({ "a.iso", "linux/b.iso" });
    const QByteArray image = TestEnv::randomBytes(200000);
    r.server.setResponse({ 404 });
    r.server.setResponse("/pub/new.iso", { 200, image });
    r.server.setResponse(
        "/pub/SHA256SUMS",
        { 200,
          QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex() + "  new.iso\n" });
    QVERIFY(r.start());
    r.queue({ r.gated("held.iso") });
    onNextDialog<AddressDialog>([&](AddressDialog *dialog) {
        QCOMPARE(dialog->folder(), "/");
        dialog->findChild<QLineEdit *>("address")->setText(r.server.url("/pub/new.iso").toString());
        dialog->findChild<QLineEdit *>("folder")->setText("/linux/");
        dialog->accept();
    });
    QTest::keyClick(r.w.get(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(r.w->findChild<StickCopies *>()->pendingPaths(),
             (QStringList { "/held.iso", "/linux/new.iso" }));
    QCOMPARE(r.text("lblOverallProgress"), "File 1 of 2");
    QVERIFY(r.gates.at("held.iso")->open());
    QTRY_VERIFY2(r.text("lblCopyStatus").endsWith("; new.iso matches SHA256SUMS"),
                 qPrintable(r.text("lblCopyStatus")));
    QCOMPARE(r.device("linux/new.iso"), image);
    QTRY_VERIFY(TreeRows::dump(r.tree).join(' ').contains("new.iso"));
}

// A repair on a stick whose switch is set is refused with the reason, and removes nothing.
void TestWindowWiring::repairAsksTheSwitch()
{
    Rig r({ ".discshelf-0badf00d.0" }, true);
    QVERIFY(r.start());
    const QList<QAction *> problems = r.get<QToolButton>("btnProblems")->menu()->actions();
    // The problem, then a separator and Check Images.
    QCOMPARE(problems.size(), 3);
    r.boxes.answer(QMessageBox::Yes);
    r.boxes.answer(QMessageBox::Ok);
    problems.first()->trigger();
    QTRY_COMPARE(r.boxes.titles(), (QStringList { "Remove it?", "Couldn't write to discwand" }));
    QVERIFY(QFile::exists(r.root + ".discshelf-0badf00d.0"));
}

// An image that will not boot is kept (no problem any more) or deleted through Delete's question.
void TestWindowWiring::willNotBootKeptOrDeleted()
{
    Rig r({ "a.iso", "d/b.iso" });
    QVERIFY(r.start());
    auto *button = r.get<QToolButton>("btnProblems");
    QCOMPARE(button->menu()->actions().size(), 4);
    r.boxes.answer(QMessageBox::Ignore);
    button->menu()->actions().first()->trigger();
    QTRY_COMPARE(button->menu()->actions().size(), 3);
    r.boxes.answer(QMessageBox::Yes);
    r.boxes.answer(QMessageBox::Yes);
    button->menu()->actions().first()->trigger();
    QTRY_VERIFY(button->isHidden());
    QCOMPARE(r.boxes.titles(), (QStringList { "Delete or keep?", "Delete or keep?", "Delete image?" }));
    // Listed in the tree's order: the folder's image first, kept; then a.iso, deleted.
    QVERIFY(!QFile::exists(r.root + "a.iso") && QFile::exists(r.root + "d/b.iso"));
}

// Check Images records the images, then finds a byte the flash lost behind the same size and
// time; the damaged image joins the problems and goes after a question.
void TestWindowWiring::checkImagesFindsDamage()
{
    Rig r({ "a.iso", "d/b.iso" });
    QVERIFY(r.start());
    auto *check = r.w->findChild<QAction *>("actionCheckImages");
    QVERIFY(check);
    r.boxes.answer(QMessageBox::Ok);
    check->trigger();
    QTRY_COMPARE(r.boxes.titles(), QStringList { "Check Images" });
    QVERIFY2(r.boxes.seen().at(0).text.contains("/a.iso: not recorded yet"),
             qPrintable(r.boxes.seen().at(0).text));
    QFile a(r.root + "a.iso");
    const QDateTime time = QFileInfo(a).lastModified();
    QVERIFY(a.open(QIODevice::ReadWrite) && a.write("y") == 1
            && a.setFileTime(time, QFileDevice::FileModificationTime));
    a.close();
    r.boxes.answer(QMessageBox::Ok);
    check->trigger();
    QTRY_COMPARE(r.boxes.titles().size(), 2);
    const QString said = r.boxes.seen().at(1).text;
    QVERIFY2(said.contains("/a.iso: damaged") && said.contains("/d/b.iso: intact"),
             qPrintable(said));
    QAction *damaged = nullptr;
    for (QAction *action : r.get<QToolButton>("btnProblems")->menu()->actions())
        if (action->text().startsWith("/a.iso is damaged"))
            damaged = action;
    QVERIFY(damaged);
    const QList<QTreeWidgetItem *> rows = r.tree->findItems("a.iso", Qt::MatchExactly);
    QVERIFY(!rows.isEmpty());
    QVERIFY(rows.first()->toolTip(0).contains("damaged"));
    r.boxes.answer(QMessageBox::Yes);
    damaged->trigger();
    QTRY_VERIFY(!QFile::exists(r.root + "a.iso"));
    QVERIFY(QFile::exists(r.root + "d/b.iso"));
}

// Closing during a copy asks first; a copy stuck on a source that does not answer is waited for
// only a moment, and the user is told.
void TestWindowWiring::closeDuringCopy()
{
    Rig r({});
    QVERIFY(r.start());
    r.queue({ r.gated("stuck.iso") });
    QVERIFY(FifoGate::waitForReader());
    r.boxes.answer(QMessageBox::No);
    QVERIFY(!r.w->close());
    QCOMPARE(r.boxes.titles(), QStringList { "Stop copying?" });
    QCOMPARE(r.boxes.seen().at(0).text,
             "\"stuck.iso\" is being copied to your discwand. Stop the copy and quit?\n"
             "The images already on the discwand stay as they are.");
    r.boxes.answer(QMessageBox::Yes);
    r.boxes.answer(QMessageBox::Ok);
    QVERIFY(r.w->close());
    QCOMPARE(r.boxes.titles(), (QStringList { "Stop copying?", "Stop copying?", "Copy not stopped" }));
}

// A healthy copy that takes some seconds to stop, as the chunk in hand does on a slow stick, is
// waited for: no alarm, and its hidden files are gone.
void TestWindowWiring::closeDuringSlowCopy()
{
    Rig r({});
    QVERIFY(r.start());
    r.queue({ r.gated("slow.iso") });
    QVERIFY(FifoGate::waitForReader());
    r.boxes.answer(QMessageBox::Yes);
    std::thread slowStick([&r] {
        QThread::msleep(4000);
        r.gates.at("slow.iso")->open();
    });
    const bool closed = r.w->close();
    slowStick.join();
    QVERIFY(closed);
    QCOMPARE(r.boxes.titles(), QStringList { "Stop copying?" });
    QCOMPARE(QDir(r.root).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// One stick: no chooser. A second plugged in: the chooser names both and the stick shown stays;
// the second chosen is listed and remembered; while it copies the first can be shown, without
// its copy rows, which come back with it; unplugged, the first is listed.
void TestWindowWiring::severalSticks()
{
    Rig r({ "a.iso" });
    QVERIFY(r.start());
    auto *chooser = r.get<QComboBox>("stickChooser");
    QVERIFY(chooser && !r.shown("stickChooser"));
    // The second comes first among the disks; the stick shown stays.
    const QString second = r.sys.addDiscwand(QStringLiteral("sda"));
    TreeRows::lay(second, { "b.iso", "config/wandmenu.bin" });
    QVERIFY(QTest::qWaitFor([&] { return r.shown("stickChooser"); }));
    QCOMPARE(chooser->count(), 2);
    QCOMPARE(chooser->currentIndex(), 1);
    r.w->buildIsoList();
    QCOMPARE(TreeRows::dump(r.tree), QStringList { "a.iso" });

    emit chooser->activated(0);
    QVERIFY(QTest::qWaitFor([&] { return TreeRows::dump(r.tree) == QStringList { "b.iso" }; }));
    QVERIFY(TestEnv::waitForReady(r.w->scanCycle()));
    QCOMPARE(QSettings().value("stick").toString(), chooser->itemData(0).toString());

    r.queue({ r.gated("held.iso") });
    QTRY_VERIFY(r.shown("lblCurrentFile"));
    QVERIFY(chooser->isEnabled());
    emit chooser->activated(1);
    QVERIFY(QTest::qWaitFor([&] { return TreeRows::dump(r.tree) == QStringList { "a.iso" }; }));
    QVERIFY(!r.shown("lblCurrentFile"));
    emit chooser->activated(0);
    QTRY_VERIFY(r.shown("lblCurrentFile"));
    QCOMPARE(r.text("lblCurrentFile"), "held.iso");
    r.w->cancelAllFileCopies();
    r.gates.begin()->second->open();
    QTRY_VERIFY(!r.shown("lblCurrentFile"));

    r.sys.unmount(QDir::cleanPath(second));
    QVERIFY(QTest::qWaitFor([&] { return TreeRows::dump(r.tree) == QStringList { "a.iso" }; }));
    QVERIFY(QTest::qWaitFor([&] { return !r.shown("stickChooser"); }));
    QSettings().remove("stick");
}

QTEST_MAIN(TestWindowWiring)
#include "tst_windowwiring.moc"
