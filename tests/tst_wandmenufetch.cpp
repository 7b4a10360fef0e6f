// Fetching the selector program against a local HTTP server and storing it on a fixture stick:
// what counts as missing, which replies are taken, and when the body is written whole or not at
// all.
#include "common/httptestserver.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/scsidrivedetector.h"
#include "library/wandmenufetch.h"

#include <QDir>
#include <QFile>
#include <QNetworkReply>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using Response = HttpTestServer::Response;
Q_DECLARE_METATYPE(Response)

namespace {

struct Rig
{
    SysFixture sys;
    QString root = sys.addDiscwand();
    HttpTestServer server;
    ScsiDriveDetector detector { QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"),
                                 nullptr };
    WandmenuFetch fetch { detector };
    QList<QNetworkReply *> finished;
    QMetaObject::Connection noted = QObject::connect(
        &fetch, &WandmenuFetch::replyFinished, [this](QNetworkReply *r) { finished << r; });
    QString file() const { return root + "config/wandmenu.bin"; }

    // Fetches and takes the reply, cancelling once the server holds it when asked to.
    bool fetchOnce(const QUrl &url, bool cancel = false)
    {
        fetch.setUrl(url);
        fetch.start();
        if (!fetch.isRunning()
            || (cancel && !QTest::qWaitFor([&] { return server.heldCount() == 1; })))
            return false;
        if (cancel)
            fetch.cancel();
        return QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000)
            && fetch.take(finished.first());
    }
};

} // namespace

class TestWandmenuFetch : public QObject
{
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void storeFaults_data();
    void storeFaults();
};

void TestWandmenuFetch::replies_data()
{
    QTest::addColumn<Response>("response"); // status < 0: nothing listens
    QTest::addColumn<QString>("reason"); // in errorString(); empty: taken
    const QByteArray body = TestEnv::randomBytes(3 * 1024 * 1024 + 17);
    QTest::newRow("few MiB") << Response { 200, body } << "";
    QTest::newRow("unknown length") << Response { 200, body, -2 } << "";
    QTest::newRow("empty, which counts as present") << Response { 200, {} } << "";
    QTest::newRow("404") << Response { 404, "<html>no</html>" } << "Not Found";
    QTest::newRow("500") << Response { 500, "oops" } << "server replied";
    QTest::newRow("connection refused") << Response { -1, {} } << "refused";
    QTest::newRow("cut short") << Response { 200, TestEnv::randomBytes(30000), 100000 } << "closed";
    // A download that hangs ends by itself after a while without data, or at once when cancelled.
    QTest::newRow("server stalls")
        << Response { 200, TestEnv::randomBytes(1000), -1, 10 } << "The server sent nothing for 0.3 seconds.";
    QTest::newRow("cancelled") << Response { 200, TestEnv::randomBytes(1000), -1, 10 } << "canceled";
}

void TestWandmenuFetch::replies()
{
    QFETCH(Response, response);
    QFETCH(QString, reason);
    Rig rig;
    QVERIFY(!rig.fetch.isMissing()); // no device known yet
    rig.detector.forceRefresh();
    QVERIFY(rig.fetch.isMissing());
    rig.server.setResponse(response);
    rig.fetch.setStallTimeout(reason.startsWith("The server sent nothing") ? 300 : 60000);
    QSignalSpy progress(&rig.fetch, &WandmenuFetch::progress);
    const bool cancel = reason == "canceled";
    const bool taken = rig.fetchOnce(
        response.status < 0 ? HttpTestServer::refusedUrl() : rig.server.url(), cancel);
    rig.server.release();
    QCOMPARE(taken, reason.isEmpty());
    QCOMPARE(rig.finished.count(), 1);
    QVERIFY(!rig.fetch.isRunning());
    QCOMPARE(rig.fetch.wasCancelled(), cancel);
    QVERIFY2(rig.fetch.errorString().contains(reason, Qt::CaseInsensitive),
             qPrintable(rig.fetch.errorString()));
    if (response.status > 0)
        QCOMPARE(rig.server.requests(), QStringList { "GET /wandmenu.bin HTTP/1.1" });
    // Only a reply that was taken is stored, in a config folder made for it.
    QCOMPARE(rig.fetch.store(), taken);
    QCOMPARE(TestEnv::readFile(rig.file()), taken ? response.body : QByteArray("<none>"));
    QCOMPARE(rig.fetch.isMissing(), !taken);
    if (taken) // progress up to the whole body
        QCOMPARE(progress.value(progress.size() - 1).value(0).toLongLong(), response.body.size());
}

void TestWandmenuFetch::storeFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("switch set") << "read-only";
    QTest::newRow("short write") << "short write";
    QTest::newRow("stick replugged elsewhere") << "replugged";
    QTest::newRow("stick gone") << "gone";
}

// A store that cannot be done leaves nothing that would pass as installed; once the fault is
// gone a retry writes the whole body, unless the stick moved, which no retry mends.
void TestWandmenuFetch::storeFaults()
{
    QFETCH(QString, fault);
    Rig rig;
    rig.detector.forceRefresh();
    const QByteArray body = TestEnv::randomBytes(1 << 20);
    rig.server.setResponse({ 200, body });
    QVERIFY(rig.fetchOnce(rig.server.url()));

    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto lift = qScopeGuard([&saved] { setrlimit(RLIMIT_FSIZE, &saved); });
    QString other;
    if (fault == "read-only") {
        rig.sys.setDeviceReadOnly("sdb1", true);
    } else if (fault == "short write") {
        std::signal(SIGXFSZ, SIG_IGN); // a short write rather than the signal's default exit
        rlimit lowered = saved;
        lowered.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &lowered);
    } else if (fault == "replugged") {
        rig.sys.unmount(rig.root.chopped(1));
        other = rig.sys.mount("sdb1") + '/';
        rig.detector.forceRefresh();
        QCOMPARE(rig.detector.drivePath(), other);
    } else {
        rig.detector.driveChanged(false, rig.root);
    }
    QVERIFY(!rig.fetch.store());
    QVERIFY(!QFile::exists(rig.file()));
    QCOMPARE(rig.fetch.isMissing(), fault != "gone"); // missing only where there is a device

    setrlimit(RLIMIT_FSIZE, &saved);
    rig.sys.setDeviceReadOnly("sdb1", false);
    const bool mended = fault == "read-only" || fault == "short write";
    QCOMPARE(rig.fetch.store(), mended);
    QCOMPARE(TestEnv::readFile(rig.file()) == body, mended);
    if (!other.isEmpty())
        QVERIFY(!QFile::exists(other + "config/wandmenu.bin"));
}

QTEST_GUILESS_MAIN(TestWandmenuFetch)
#include "tst_wandmenufetch.moc"
