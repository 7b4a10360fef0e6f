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
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QState>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

const QString questionTitle = QStringLiteral("wandmenu is missing!");
const QString questionText = QStringLiteral(
    "It looks like you haven't installed wandmenu yet,\nwould you like me to download it for "
    "you?\n\nYou can also download it from http://quellor-makeworth.com/wandmenu.bin\nand place "
    "it in the /config directory.");
const QString cannotWriteTitle = QStringLiteral("Cannot write!");
const QString cannotWriteText = QStringLiteral(
    "Could not write wandmenu.bin to your discwand.\nPlease check the read-only switch.");
const QString failedTitle = QStringLiteral("Download failed!");
const QString failedStart = QStringLiteral("Couldn't download wandmenu.bin:\n");
const QString failedEnd
    = QStringLiteral("\n\nYou can also download it from http://quellor-makeworth.com/wandmenu.bin\n"
                     "and place it in the /config directory.");

// Every byte value, in an order that a shifted or truncated copy would not reproduce.
QByteArray pattern(int size)
{
    QByteArray out(size, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x);
    }
    return out;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMessageBox *openBox(const QString &title)
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    return box && box->isVisible() && box->windowTitle() == title ? box : nullptr;
}

bool inState(const discShelf &w, const char *name)
{
    return TestEnv::activeStates(w.scanCycle()).contains(QLatin1String(name));
}

// Acts once on a box from inside its own event loop, where the test function cannot run:
// when the box titled `title` is open, `answered` boxes have been answered and none is queued.
class BoxHook : public QObject
{
public:
    BoxHook(const BoxAnswerer &boxes, const QString &title, int answered,
            std::function<void()> action)
    {
        connect(&timer, &QTimer::timeout, this, [this, &boxes, title, answered, action] {
            if (done || boxes.pending() != 0 || boxes.seen().size() != answered || !openBox(title))
                return;
            done = true;
            action();
        });
        timer.start(10);
    }
    bool fired() const { return done; }

private:
    QTimer timer;
    bool done = false;
};

// While it lives, this process cannot write files past the given size.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a short write rather than the signal's default exit
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { lift(); }
    void lift() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved {};
};

} // namespace

using Response = HttpTestServer::Response;
Q_DECLARE_METATYPE(Response)

class TestWandmenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void noQuestion_data();
    void noQuestion();
    void declined_data();
    void declined();
    void downloaded_data();
    void downloaded();
    void progressRow_data();
    void progressRow();
    void downloadFailed_data();
    void downloadFailed();
    void readOnly_data();
    void readOnly();
    void shortWrite_data();
    void shortWrite();
    void replyAfterRestart();

private:
    void checkQuestion(const BoxAnswerer::Seen &seen);

    QTimer boxWatchdog;
    QPointer<QWidget> lingeringBox;
    int lingeringTicks = 0;
};

void TestWandmenu::initTestCase()
{
    TestEnv::isolate();
    // A box nobody answers would block the test function for good: close it and fail instead.
    connect(&boxWatchdog, &QTimer::timeout, this, [this] {
        QWidget *box = QApplication::activeModalWidget();
        lingeringTicks = box && box == lingeringBox ? lingeringTicks + 1 : 0;
        lingeringBox = box;
        if (box && lingeringTicks == 50) {
            const QString title = box->windowTitle();
            box->close();
            QFAIL(qPrintable(QStringLiteral("unanswered box: ") + title));
        }
    });
    boxWatchdog.start(100);
}

void TestWandmenu::checkQuestion(const BoxAnswerer::Seen &seen)
{
    QCOMPARE(seen.title, questionTitle);
    QCOMPARE(seen.text, questionText);
    QCOMPARE(seen.icon, QMessageBox::Question);
}

void TestWandmenu::noQuestion_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::newRow("no device") << false << QByteArray();
    QTest::newRow("file present") << true << QByteArray("installed menu");
    QTest::newRow("zero-length file") << true << QByteArray("");
}

void TestWandmenu::noQuestion()
{
    QFETCH(bool, device);
    QFETCH(QByteArray, content);
    SysFixture sys;
    QString root;
    QString other;
    if (device) {
        root = sys.addDiscwand();
        QDir(root).mkpath(QStringLiteral("config"));
        QFile f(root + QStringLiteral("config/wandmenu.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    } else {
        // Another stick: not a discwand, so nothing may be offered or written there.
        sys.addDisk(QStringLiteral("sdc"), QStringLiteral("ACME"), QStringLiteral("PEN DRIVE"));
        sys.addPartition(QStringLiteral("sdc"), QStringLiteral("sdc1"));
        sys.setFilesystem(QStringLiteral("sdc1"), QStringLiteral("vfat"), QStringLiteral("FAT32"));
        other = sys.mount(QStringLiteral("sdc1"));
    }
    HttpTestServer server;
    server.setResponse({ 200, "new menu" });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes); // taken only if a question wrongly comes

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));

    QCOMPARE(w.findChild<ScsiDriveDetector *>()->drivePath(), root);
    QVERIFY(boxes.seen().isEmpty());
    QCOMPARE(done.count(), 1);
    QVERIFY(server.requests().isEmpty());
    if (device)
        QCOMPARE(readFile(root + QStringLiteral("config/wandmenu.bin")), content);
    else
        QVERIFY(QDir(other).isEmpty());
}

void TestWandmenu::declined_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("No") << int(QMessageBox::No);
    QTest::newRow("box closed") << int(QMessageBox::NoButton);
}

void TestWandmenu::declined()
{
    QFETCH(int, button);
    SysFixture sys;
    const QString root = sys.addDiscwand();
    HttpTestServer server;
    server.setResponse({ 200, "new menu" });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::StandardButton(button));

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));

    QCOMPARE(boxes.seen().size(), 1);
    checkQuestion(boxes.seen().at(0));
    QCOMPARE(done.count(), 1);
    QVERIFY(server.requests().isEmpty());
    QVERIFY(!QFile::exists(root + QStringLiteral("config")));
    QVERIFY(!w.findChild<QLabel *>("lblCurrentFile")->isVisible());
    QVERIFY(!w.findChild<QProgressBar *>("progressBarCurrentFile")->isVisible());

    // Still missing, so the next cycle asks again.
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(w.findChild<QPushButton *>("btnRefresh"), Qt::LeftButton);
    QTRY_COMPARE(boxes.seen().size(), 2);
    checkQuestion(boxes.seen().at(1));
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(done.count(), 2);
}

void TestWandmenu::downloaded_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("configExists");
    QTest::newRow("config created") << pattern(4096) << false;
    QTest::newRow("config exists") << pattern(4096) << true;
    QTest::newRow("few MiB") << pattern(3 * 1024 * 1024 + 17) << false;
}

void TestWandmenu::downloaded()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, configExists);
    SysFixture sys;
    const QString root = sys.addDiscwand();
    if (configExists)
        QDir(root).mkpath(QStringLiteral("config/other"));
    HttpTestServer server;
    server.setResponse({ 200, body });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));

    QCOMPARE(boxes.seen().size(), 1);
    checkQuestion(boxes.seen().at(0));
    QCOMPARE(server.requests(), QStringList("GET /wandmenu.bin HTTP/1.1"));
    const QByteArray written = readFile(root + QStringLiteral("config/wandmenu.bin"));
    QCOMPARE(written.size(), body.size());
    QVERIFY(written == body);
    QCOMPARE(done.count(), 1);
    QVERIFY(!w.findChild<QLabel *>("lblCurrentFile")->isVisible());
    QVERIFY(!w.findChild<QProgressBar *>("progressBarCurrentFile")->isVisible());

    // Installed now: the next cycle goes straight through.
    QTest::mouseClick(w.findChild<QPushButton *>("btnRefresh"), Qt::LeftButton);
    QTRY_COMPARE(done.count(), 2);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(server.requests().size(), 1);
}

void TestWandmenu::progressRow_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<double>("fraction"); // shown once holdAt + 1 bytes arrived; < 0: busy
    QTest::addColumn<bool>("completes");
    const QByteArray body = pattern(200000);
    QTest::newRow("known size") << Response { 200, body, -1, 79999 } << 0.4 << true;
    QTest::newRow("unknown size") << Response { 200, body, -2, 79999 } << -1.0 << true;
    // A declared size past the int range must still show the right fraction.
    const qint64 huge = 3LL * 1024 * 1024 * 1024;
    QTest::newRow("over 2 GiB") << Response { 200, pattern(1 << 20), huge, (1 << 20) - 1 }
                                << 1.0 / 3072 << false;
}

void TestWandmenu::progressRow()
{
    QFETCH(Response, response);
    QFETCH(double, fraction);
    QFETCH(bool, completes);
    SysFixture sys;
    const QString root = sys.addDiscwand();
    HttpTestServer server;
    server.setResponse(response);
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::Ok); // the failure report, if any

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    auto *label = w.findChild<QLabel *>("lblCurrentFile");
    auto *bar = w.findChild<QProgressBar *>("progressBarCurrentFile");
    // The body stays in the reply until it finishes, so what is buffered is what has arrived.
    auto arrived = [&w](qint64 bytes) {
        auto *reply = w.findChild<QNetworkReply *>();
        return reply && reply->bytesAvailable() == bytes;
    };
    QTRY_VERIFY(arrived(response.holdAt));
    // The network layer reports progress at most every 100 ms; after a pause the next byte
    // is reported as it arrives.
    QTest::qWait(150);
    server.sendMore(1);
    QTRY_VERIFY(arrived(response.holdAt + 1));

    QVERIFY(inState(w, "checkingState"));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("wandmenu.bin"));
    QVERIFY(bar->isVisible());
    QVERIFY(!w.findChild<QPushButton *>("btnRefresh")->isVisible());
    QCOMPARE(done.count(), 0);
    QCOMPARE(bar->minimum(), 0);
    if (fraction < 0) {
        QCOMPARE(bar->maximum(), 0);
    } else {
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(double(bar->value()) / bar->maximum(), fraction);
    }

    server.release();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(done.count(), 1);
    QVERIFY(!label->isVisible());
    QVERIFY(!bar->isVisible());
    const QString file = root + QStringLiteral("config/wandmenu.bin");
    if (completes) {
        QVERIFY(readFile(file) == response.body);
        QCOMPARE(boxes.titles(), QStringList { questionTitle });
    } else {
        QVERIFY(!QFile::exists(file));
        QCOMPARE(boxes.titles(), QStringList({ questionTitle, failedTitle }));
    }
}

void TestWandmenu::downloadFailed_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("reason");
    QTest::newRow("404") << Response { 404, "<html>Not here</html>" } << false << "Not Found";
    QTest::newRow("500") << Response { 500, "oops" } << false << "server replied";
    QTest::newRow("connection refused") << Response {} << true << "refused";
    QTest::newRow("cut short") << Response { 200, pattern(30000), 100000 } << false << "closed";
}

void TestWandmenu::downloadFailed()
{
    QFETCH(Response, response);
    QFETCH(bool, refused);
    QFETCH(QString, reason);
    SysFixture sys;
    const QString root = sys.addDiscwand();
    HttpTestServer server;
    server.setResponse(response);
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::Ok);

    discShelf w;
    w.setDownloadUrl(refused ? HttpTestServer::refusedUrl() : server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));

    QCOMPARE(boxes.titles(), QStringList({ questionTitle, failedTitle }));
    const BoxAnswerer::Seen failed = boxes.seen().at(1);
    QCOMPARE(failed.icon, QMessageBox::Warning);
    QVERIFY2(failed.text.startsWith(failedStart) && failed.text.endsWith(failedEnd),
             qPrintable(failed.text));
    const QString error = failed.text.mid(
        failedStart.size(), failed.text.size() - failedStart.size() - failedEnd.size());
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(server.requests().size(), refused ? 0 : 1);
    QVERIFY(!QFile::exists(root + QStringLiteral("config")));
    QCOMPARE(done.count(), 1);
    QVERIFY(!w.findChild<QLabel *>("lblCurrentFile")->isVisible());
    QVERIFY(!w.findChild<QProgressBar *>("progressBarCurrentFile")->isVisible());
}

void TestWandmenu::readOnly_data()
{
    QTest::addColumn<bool>("readOnlyMount");
    QTest::addColumn<int>("retriesWhileReadOnly");
    QTest::addColumn<bool>("retryAfterRelease"); // false: Cancel instead
    QTest::newRow("switch released, Retry") << false << 0 << true;
    QTest::newRow("Retry too early, then released") << false << 1 << true;
    QTest::newRow("switch set, Cancel") << false << 0 << false;
    QTest::newRow("read-only mount, Cancel") << true << 0 << false;
}

void TestWandmenu::readOnly()
{
    QFETCH(bool, readOnlyMount);
    QFETCH(int, retriesWhileReadOnly);
    QFETCH(bool, retryAfterRelease);
    SysFixture sys;
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), readOnlyMount);
    if (!readOnlyMount)
        sys.setDeviceReadOnly(QStringLiteral("sdb1"), true);
    const QByteArray body = pattern(10000);
    HttpTestServer server;
    server.setResponse({ 200, body });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);
    for (int i = 0; i < retriesWhileReadOnly; ++i)
        boxes.answer(QMessageBox::Retry);

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    const QString file = root + QStringLiteral("config/wandmenu.bin");
    int doneWhileAsking = -1;
    bool writtenWhileAsking = true;
    BoxHook hook(boxes, cannotWriteTitle, 1 + retriesWhileReadOnly, [&] {
        doneWhileAsking = int(done.count());
        writtenWhileAsking = QFile::exists(file);
        if (retryAfterRelease) {
            sys.setDeviceReadOnly(QStringLiteral("sdb1"), false);
            boxes.answer(QMessageBox::Retry);
        } else {
            boxes.answer(QMessageBox::Cancel);
        }
    });
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QVERIFY(hook.fired());
    QCOMPARE(doneWhileAsking, 0);
    QVERIFY(!writtenWhileAsking);

    QCOMPARE(boxes.seen().size(), 2 + retriesWhileReadOnly);
    checkQuestion(boxes.seen().at(0));
    for (int i = 1; i < boxes.seen().size(); ++i) {
        QCOMPARE(boxes.seen().at(i).title, cannotWriteTitle);
        QCOMPARE(boxes.seen().at(i).text, cannotWriteText);
        QCOMPARE(boxes.seen().at(i).icon, QMessageBox::Warning);
    }
    QCOMPARE(done.count(), 1);
    if (retryAfterRelease) {
        QVERIFY(readFile(file) == body);
        return;
    }
    QVERIFY(!QFile::exists(file));
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(w.findChild<QPushButton *>("btnRefresh"), Qt::LeftButton);
    QTRY_COMPARE(boxes.seen().size(), 3);
    checkQuestion(boxes.seen().at(2));
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
}

void TestWandmenu::shortWrite_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("Retry once there is room") << true;
    QTest::newRow("Cancel") << false;
}

void TestWandmenu::shortWrite()
{
    QFETCH(bool, retry);
    SysFixture sys;
    const QString root = sys.addDiscwand();
    const QString file = root + QStringLiteral("config/wandmenu.bin");
    const QByteArray body = pattern(1 << 20);
    HttpTestServer server;
    server.setResponse({ 200, body });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);

    discShelf w;
    w.setDownloadUrl(server.url());
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    FileSizeLimit limit(64 * 1024);
    int doneWhileAsking = -1;
    bool partialWhileAsking = true;
    BoxHook hook(boxes, cannotWriteTitle, 1, [&] {
        limit.lift();
        doneWhileAsking = int(done.count());
        partialWhileAsking = QFile::exists(file);
        boxes.answer(retry ? QMessageBox::Retry : QMessageBox::Cancel);
    });
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QVERIFY(hook.fired());
    // No truncated program may be left behind to pass as installed.
    QVERIFY(!partialWhileAsking);
    QCOMPARE(doneWhileAsking, 0);

    QCOMPARE(boxes.titles(), QStringList({ questionTitle, cannotWriteTitle }));
    QCOMPARE(boxes.seen().at(1).text, cannotWriteText);
    QCOMPARE(done.count(), 1);
    if (retry)
        QVERIFY(readFile(file) == body);
    else
        QVERIFY(!QFile::exists(file));
}

void TestWandmenu::replyAfterRestart()
{
    SysFixture sys;
    const QString first = sys.addDiscwand();
    const QByteArray body = pattern(50000);
    HttpTestServer server;
    server.setResponse({ 200, body, -1, 1000 });
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Yes);

    discShelf w;
    w.setDownloadUrl(server.url());
    auto *detector = w.findChild<ScsiDriveDetector *>();
    QSignalSpy done(&w, &discShelf::wandmenuDownloaded);
    w.show();
    QTRY_COMPARE(server.heldCount(), 1);
    QVERIFY(inState(w, "checkingState"));

    // The stick is pulled while the download runs, and comes back under another mount point.
    QString firstMount = first;
    firstMount.chop(1);
    sys.unmount(firstMount);
    QTRY_VERIFY_WITH_TIMEOUT(detector->drivePath().isEmpty() && inState(w, "readyState"), 5000);
    boxes.answer(QMessageBox::No);
    const QString second = sys.mount(QStringLiteral("sdb1")) + QLatin1Char('/');
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 2, 5000);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(detector->drivePath(), second);
    QSignalSpy listing(w.scanCycle().findChild<QState *>("listingState"), &QState::entered);
    const int before = done.count();

    server.release();
    QTRY_COMPARE(done.count(), before + 1);
    QVERIFY(readFile(second + QStringLiteral("config/wandmenu.bin")) == body);
    QVERIFY(!QFile::exists(first + QStringLiteral("config")));
    // Nothing is waiting for the signal, so the cycle stays where it is.
    QTest::qWait(50);
    QVERIFY(inState(w, "readyState"));
    QCOMPARE(listing.count(), 0);
    QCOMPARE(boxes.seen().size(), 2);
}

QTEST_MAIN(TestWandmenu)
#include "tst_wandmenu.moc"
