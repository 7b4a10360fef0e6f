// The selector program step of the scan cycle: the question, the download and writing it to
// the stick, against a local HTTP server and a fixture discwand.
#include "common/boxanswerer.h"
#include "common/httptestserver.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/scsidrivedetector.h"
#include "ui/discshelf.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QState>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace {

const QString questionTitle = QStringLiteral("wandmenu is missing!");
const QString cannotWriteTitle = QStringLiteral("Cannot write!");
const QString failedTitle = QStringLiteral("Download failed!");
const QString byHand = QStringLiteral(
    "You can also download it from http://quellor-makeworth.com/wandmenu.bin\nand place it in "
    "the /config directory.");
const QString failedStart = QStringLiteral("Couldn't download wandmenu.bin:\n");

// Bytes that a shifted or truncated copy would not reproduce.
QByteArray pattern(int size)
{
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator gen { quint32(size) };
    for (char &c : out)
        c = char(gen.generate());
    return out;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Checks a box's wording and icon against its title.
void checkBox(const BoxAnswerer::Seen &box)
{
    QCOMPARE(box.icon, box.title == questionTitle ? QMessageBox::Question : QMessageBox::Warning);
    if (box.title == questionTitle)
        QCOMPARE(box.text,
                 "It looks like you haven't installed wandmenu yet,\nwould you like me "
                 "to download it for you?\n\n"
                     + byHand);
    else if (box.title == cannotWriteTitle)
        QCOMPARE(box.text,
                 "Could not write wandmenu.bin to your discwand.\nPlease check the "
                 "read-only switch.");
    else
        QVERIFY2(box.title == failedTitle && box.text.startsWith(failedStart)
                     && box.text.endsWith("\n\n" + byHand),
                 qPrintable(box.title + ": " + box.text));
}

enum Fault { SwitchSet, ReadOnlyMounted, ShortWrite };

// A stick, a server, a box answerer and, once started, the window with a spy on the step's end.
struct Rig
{
    explicit Rig(bool discwand = true, bool readOnlyMount = false)
        : root(addStick(discwand, readOnlyMount))
    { }
    QString addStick(bool discwand, bool readOnlyMount)
    {
        if (discwand)
            return sys.addDiscwand(QStringLiteral("sdb"), readOnlyMount);
        sys.addDisk(QStringLiteral("sdc"), QStringLiteral("ACME"), QStringLiteral("PEN DRIVE"));
        sys.addPartition(QStringLiteral("sdc"), QStringLiteral("sdc1"));
        sys.setFilesystem(QStringLiteral("sdc1"), QStringLiteral("vfat"), QStringLiteral("FAT32"));
        return sys.mount(QStringLiteral("sdc1")) + QLatin1Char('/');
    }
    void start(const QUrl &url = {})
    {
        w.emplace();
        w->setDownloadUrl(url.isEmpty() ? server.url() : url);
        done.emplace(&*w, &discShelf::wandmenuDownloaded);
        w->show();
    }
    QString file() const { return root + QStringLiteral("config/wandmenu.bin"); }
    QLabel *label() const { return w->findChild<QLabel *>("lblCurrentFile"); }
    QProgressBar *bar() const { return w->findChild<QProgressBar *>("progressBarCurrentFile"); }
    bool rowHidden() const { return !label()->isVisible() && !bar()->isVisible(); }
    bool inState(const char *name) const
    {
        return TestEnv::activeStates(w->scanCycle()).contains(QLatin1String(name));
    }
    void refresh() { QTest::mouseClick(w->findChild<QPushButton *>("btnRefresh"), Qt::LeftButton); }

    SysFixture sys;
    QString root;
    HttpTestServer server;
    BoxAnswerer boxes;
    std::optional<discShelf> w;
    std::optional<QSignalSpy> done;
};

} // namespace

using Response = HttpTestServer::Response;
Q_DECLARE_METATYPE(Response)
Q_DECLARE_METATYPE(Fault)

class TestWandmenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cycle_data();
    void cycle();
    void progressRow_data();
    void progressRow();
    void cannotWrite_data();
    void cannotWrite();
    void replyAfterRestart();

private:
    QTimer boxWatchdog;
};

void TestWandmenu::initTestCase()
{
    TestEnv::isolate();
    // A box nobody answers would block the test function for good: close it and fail instead.
    connect(&boxWatchdog, &QTimer::timeout, this, [] {
        QWidget *box = QApplication::activeModalWidget();
        const int age = box ? box->property("watchdogAge").toInt() + 1 : 0;
        if (box)
            box->setProperty("watchdogAge", age);
        if (age == 50) {
            box->close();
            QFAIL(qPrintable("unanswered box: " + box->windowTitle()));
        }
    });
    boxWatchdog.start(100);
}

void TestWandmenu::cycle_data()
{
    QTest::addColumn<bool>("device"); // false: only another stick
    QTest::addColumn<bool>("configDir");
    QTest::addColumn<QByteArray>("present"); // already on the stick; null: none
    QTest::addColumn<int>("button"); // the answer to the question
    QTest::addColumn<Response>("response"); // status < 0: nothing listens
    QTest::addColumn<QString>("reason"); // in the failure report; empty: the download succeeds

    const QByteArray none;
    const int yes = QMessageBox::Yes;
    const Response ok { 200, pattern(4096) };
    QTest::newRow("no device") << false << false << none << yes << ok << "";
    QTest::newRow("file present") << true << true << QByteArray("old") << yes << ok << "";
    QTest::newRow("zero-length file") << true << true << QByteArray("") << yes << ok << "";
    QTest::newRow("No") << true << false << none << int(QMessageBox::No) << ok << "";
    QTest::newRow("box closed") << true << false << none << int(QMessageBox::NoButton) << ok << "";
    QTest::newRow("config created") << true << false << none << yes << ok << "";
    QTest::newRow("config exists") << true << true << none << yes << ok << "";
    QTest::newRow("few MiB") << true << false << none << yes
                             << Response { 200, pattern(3 * 1024 * 1024 + 17) } << "";
    QTest::newRow("404") << true << false << none << yes << Response { 404, "<html>no</html>" }
                         << "Not Found";
    QTest::newRow("500") << true << false << none << yes << Response { 500, "oops" }
                         << "server replied";
    QTest::newRow("connection refused")
        << true << false << none << yes << Response { -1, {} } << "refused";
    QTest::newRow("cut short") << true << false << none << yes
                               << Response { 200, pattern(30000), 100000 } << "closed";
}

void TestWandmenu::cycle()
{
    QFETCH(bool, device);
    QFETCH(bool, configDir);
    QFETCH(QByteArray, present);
    QFETCH(int, button);
    QFETCH(Response, response);
    QFETCH(QString, reason);
    Rig rig(device);
    if (configDir)
        QVERIFY(QDir(rig.root).mkpath(QStringLiteral("config/other")));
    if (!present.isNull()) {
        QFile f(rig.file());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(present) == present.size());
    }
    const bool asks = device && present.isNull();
    const bool accepted = asks && button == QMessageBox::Yes;
    const QByteArray expected
        = asks ? (accepted && reason.isEmpty() ? response.body : QByteArray()) : present;
    rig.server.setResponse(response);
    rig.boxes.answer(QMessageBox::StandardButton(button)); // taken only if a question comes
    rig.boxes.answer(QMessageBox::Ok);
    rig.start(response.status < 0 ? HttpTestServer::refusedUrl() : QUrl());
    QVERIFY(TestEnv::waitForReady(rig.w->scanCycle()));

    QStringList titles;
    if (asks)
        titles << questionTitle;
    if (accepted && !reason.isEmpty())
        titles << failedTitle;
    QCOMPARE(rig.boxes.titles(), titles);
    for (const BoxAnswerer::Seen &box : rig.boxes.seen())
        checkBox(box);
    if (accepted && !reason.isEmpty()) {
        const QString text = rig.boxes.seen().last().text;
        QVERIFY2(text.section("\n\n", 0, 0).contains(reason, Qt::CaseInsensitive),
                 qPrintable(text));
    }
    QCOMPARE(rig.w->findChild<ScsiDriveDetector *>()->drivePath(), device ? rig.root : QString());
    const QStringList fetched = accepted && response.status > 0
        ? QStringList { QStringLiteral("GET /wandmenu.bin HTTP/1.1") }
        : QStringList();
    QCOMPARE(rig.server.requests(), fetched);
    if (expected.isNull()) {
        QVERIFY(!QFile::exists(configDir ? rig.file() : rig.root + QStringLiteral("config")));
    } else {
        QVERIFY(QFile::exists(rig.file()));
        const QByteArray written = readFile(rig.file());
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
    }
    QCOMPARE(rig.done->count(), 1);
    QVERIFY(rig.rowHidden());

    // The next cycle asks again exactly when the program is still missing from a discwand.
    rig.boxes.clear();
    rig.boxes.answer(QMessageBox::No);
    rig.refresh();
    QTRY_COMPARE(rig.done->count(), 2);
    QVERIFY(TestEnv::waitForReady(rig.w->scanCycle()));
    QCOMPARE(rig.boxes.titles(),
             device && expected.isNull() ? QStringList { questionTitle } : QStringList());
    QCOMPARE(rig.server.requests(), fetched);
}

void TestWandmenu::progressRow_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<double>("fraction"); // shown once holdAt + 1 bytes arrived; < 0: busy
    const QByteArray body = pattern(200000);
    QTest::newRow("known size") << Response { 200, body, -1, 79999 } << 0.4;
    QTest::newRow("unknown size") << Response { 200, body, -2, 79999 } << -1.0;
    // A declared size past the int range must still show the right fraction.
    QTest::newRow("over 2 GiB") << Response { 200, pattern(1 << 20), 3LL << 30, (1 << 20) - 1 }
                                << 1.0 / 3072;
}

void TestWandmenu::progressRow()
{
    QFETCH(Response, response);
    QFETCH(double, fraction);
    Rig rig;
    rig.server.setResponse(response);
    rig.boxes.answer(QMessageBox::Yes);
    rig.boxes.answer(QMessageBox::Ok); // the failure report when the body falls short
    rig.start();
    // The body stays in the reply until it finishes, so what is buffered is what has arrived.
    auto arrived = [&rig](qint64 bytes) {
        auto *reply = rig.w->findChild<QNetworkReply *>();
        return reply && reply->bytesAvailable() == bytes;
    };
    QTRY_VERIFY(arrived(response.holdAt));
    // The network layer reports progress at most every 100 ms; after a pause the next byte
    // is reported as it arrives.
    QTest::qWait(150);
    rig.server.sendMore(1);
    QTRY_VERIFY(arrived(response.holdAt + 1));

    QVERIFY(rig.inState("checkingState"));
    QVERIFY(rig.label()->isVisible());
    QCOMPARE(rig.label()->text(), QStringLiteral("wandmenu.bin"));
    QVERIFY(rig.bar()->isVisible());
    QCOMPARE(rig.done->count(), 0);
    QCOMPARE(rig.bar()->minimum(), 0);
    if (fraction < 0) {
        QCOMPARE(rig.bar()->maximum(), 0);
    } else {
        QVERIFY(rig.bar()->maximum() > 0);
        QCOMPARE(double(rig.bar()->value()) / rig.bar()->maximum(), fraction);
    }

    rig.server.release();
    QVERIFY(TestEnv::waitForReady(rig.w->scanCycle()));
    QCOMPARE(rig.done->count(), 1);
    QVERIFY(rig.rowHidden());
}

void TestWandmenu::cannotWrite_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("earlyRetries"); // answered Retry while the fault lasts
    QTest::addColumn<bool>("retry"); // once the fault is gone; false: Cancel
    QTest::newRow("switch released, Retry") << SwitchSet << 0 << true;
    QTest::newRow("Retry too early, then released") << SwitchSet << 1 << true;
    QTest::newRow("switch set, Cancel") << SwitchSet << 0 << false;
    QTest::newRow("read-only mount, Cancel") << ReadOnlyMounted << 0 << false;
    QTest::newRow("short write, Retry once there is room") << ShortWrite << 0 << true;
    QTest::newRow("short write, Cancel") << ShortWrite << 0 << false;
}

void TestWandmenu::cannotWrite()
{
    QFETCH(Fault, fault);
    QFETCH(int, earlyRetries);
    QFETCH(bool, retry);
    Rig rig(true, fault == ReadOnlyMounted);
    if (fault == SwitchSet)
        rig.sys.setDeviceReadOnly(QStringLiteral("sdb1"), true);
    const QByteArray body = pattern(1 << 20);
    rig.server.setResponse({ 200, body });
    rig.boxes.answer(QMessageBox::Yes);
    for (int i = 0; i < earlyRetries; ++i)
        rig.boxes.answer(QMessageBox::Retry);

    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto lift = qScopeGuard([&saved] { setrlimit(RLIMIT_FSIZE, &saved); });
    if (fault == ShortWrite) {
        std::signal(SIGXFSZ, SIG_IGN); // a short write rather than the signal's default exit
        rlimit lowered = saved;
        lowered.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    rig.start();

    // Once the last early Retry is answered, look from inside the box's own event loop and lift
    // the fault.
    int doneWhileAsking = -1;
    bool writtenWhileAsking = true;
    QTimer hook;
    connect(&hook, &QTimer::timeout, this, [&] {
        auto *box = QApplication::activeModalWidget();
        if (rig.boxes.pending() != 0 || rig.boxes.seen().size() != 1 + earlyRetries || !box
            || box->windowTitle() != cannotWriteTitle)
            return;
        hook.stop();
        doneWhileAsking = int(rig.done->count());
        // No truncated program may be left behind to pass as installed.
        writtenWhileAsking = QFile::exists(rig.file());
        setrlimit(RLIMIT_FSIZE, &saved);
        if (fault == SwitchSet)
            rig.sys.setDeviceReadOnly(QStringLiteral("sdb1"), false);
        rig.boxes.answer(retry ? QMessageBox::Retry : QMessageBox::Cancel);
    });
    hook.start(10);
    QVERIFY(TestEnv::waitForReady(rig.w->scanCycle()));
    QCOMPARE(doneWhileAsking, 0);
    QVERIFY(!writtenWhileAsking);

    QStringList titles { questionTitle };
    for (int i = 0; i <= earlyRetries; ++i)
        titles << cannotWriteTitle;
    QCOMPARE(rig.boxes.titles(), titles);
    for (const BoxAnswerer::Seen &box : rig.boxes.seen())
        checkBox(box);
    QCOMPARE(rig.done->count(), 1);
    QCOMPARE(QFile::exists(rig.file()), retry);
    QVERIFY(readFile(rig.file()) == (retry ? body : QByteArray()));
}

void TestWandmenu::replyAfterRestart()
{
    Rig rig;
    const QByteArray body = pattern(50000);
    rig.server.setResponse({ 200, body, -1, 1000 });
    rig.boxes.answer(QMessageBox::Yes);
    rig.start();
    auto *detector = rig.w->findChild<ScsiDriveDetector *>();
    QTRY_COMPARE(rig.server.heldCount(), 1);
    QVERIFY(rig.inState("checkingState"));

    // The stick is pulled while the download runs, and comes back under another mount point.
    rig.sys.unmount(rig.root.chopped(1));
    QTRY_VERIFY(detector->drivePath().isEmpty() && rig.inState("readyState"));
    rig.boxes.answer(QMessageBox::No);
    const QString second = rig.sys.mount(QStringLiteral("sdb1")) + QLatin1Char('/');
    QTRY_COMPARE(rig.boxes.seen().size(), 2);
    QVERIFY(TestEnv::waitForReady(rig.w->scanCycle()));
    QCOMPARE(detector->drivePath(), second);
    QSignalSpy listing(rig.w->scanCycle().findChild<QState *>("listingState"), &QState::entered);
    const int before = rig.done->count();

    rig.server.release();
    QTRY_COMPARE(rig.done->count(), before + 1);
    QVERIFY(readFile(second + QStringLiteral("config/wandmenu.bin")) == body);
    QVERIFY(!QFile::exists(rig.root + QStringLiteral("config")));
    // Nothing is waiting for the signal, so the cycle stays where it is.
    QTest::qWait(50);
    QVERIFY(rig.inState("readyState"));
    QCOMPARE(listing.count(), 0);
    QCOMPARE(rig.boxes.seen().size(), 2);
}

QTEST_MAIN(TestWandmenu)
#include "tst_wandmenu.moc"
