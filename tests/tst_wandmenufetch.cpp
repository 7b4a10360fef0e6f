// Fetching the selector program against a local HTTP server and storing it on a fixture stick:
// what counts as missing, which replies are taken, and when the body is written whole or not at
// all.
#include "common/httptestserver.h"
#include "common/sysfixture.h"
#include "detect/scsidrivedetector.h"
#include "library/wandmenufetch.h"

#include <QDir>
#include <QFile>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using Response = HttpTestServer::Response;
Q_DECLARE_METATYPE(Response)

namespace {

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
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

struct Rig {
    SysFixture sys;
    QString root = sys.addDiscwand();
    HttpTestServer server;
    ScsiDriveDetector detector { QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"),
                                 nullptr };
    WandmenuFetch fetch { detector };
    QString file() const { return root + "config/wandmenu.bin"; }

    // Fetches and takes the reply.
    bool fetchOnce(const QUrl &url)
    {
        QNetworkReply *reply = nullptr;
        QObject ctx;
        QObject::connect(&fetch, &WandmenuFetch::replyFinished, &ctx,
                         [&](QNetworkReply *r) { reply = r; });
        fetch.setUrl(url);
        fetch.start();
        return QTest::qWaitFor([&] { return reply != nullptr; }, 10000) && fetch.take(reply);
    }
};

} // namespace

class TestWandmenuFetch : public QObject
{
    Q_OBJECT
private slots:
    void missing_data();
    void missing();
    void replies_data();
    void replies();
    void storeFaults_data();
    void storeFaults();
};

void TestWandmenuFetch::missing_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QByteArray>("present"); // null: no file
    QTest::addColumn<bool>("missing");
    QTest::newRow("no device") << false << QByteArray() << false;
    QTest::newRow("absent") << true << QByteArray() << true;
    QTest::newRow("present") << true << QByteArray("old") << false;
    QTest::newRow("zero-length counts") << true << QByteArray("") << false;
}

void TestWandmenuFetch::missing()
{
    QFETCH(bool, device);
    QFETCH(QByteArray, present);
    QFETCH(bool, missing);
    Rig rig;
    if (!present.isNull()) {
        QVERIFY(QDir(rig.root).mkpath("config"));
        QFile f(rig.file());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(present) == present.size());
    }
    if (device)
        rig.detector.forceRefresh();
    QCOMPARE(rig.fetch.isMissing(), missing);
}

void TestWandmenuFetch::replies_data()
{
    QTest::addColumn<Response>("response"); // status < 0: nothing listens
    QTest::addColumn<QString>("reason"); // in errorString(); empty: taken
    const QByteArray body = pattern(3 * 1024 * 1024 + 17);
    QTest::newRow("few MiB") << Response { 200, body } << "";
    QTest::newRow("unknown length") << Response { 200, body, -2 } << "";
    QTest::newRow("404") << Response { 404, "<html>no</html>" } << "Not Found";
    QTest::newRow("500") << Response { 500, "oops" } << "server replied";
    QTest::newRow("connection refused") << Response { -1, {} } << "refused";
    QTest::newRow("cut short") << Response { 200, pattern(30000), 100000 } << "closed";
}

void TestWandmenuFetch::replies()
{
    QFETCH(Response, response);
    QFETCH(QString, reason);
    Rig rig;
    rig.detector.forceRefresh();
    rig.server.setResponse(response);
    QSignalSpy progress(&rig.fetch, &WandmenuFetch::progress);
    const bool taken
        = rig.fetchOnce(response.status < 0 ? HttpTestServer::refusedUrl() : rig.server.url());
    QCOMPARE(taken, reason.isEmpty());
    QVERIFY2(rig.fetch.errorString().contains(reason, Qt::CaseInsensitive),
             qPrintable(rig.fetch.errorString()));
    if (response.status > 0)
        QCOMPARE(rig.server.requests(), QStringList { "GET /wandmenu.bin HTTP/1.1" });
    // Only a reply that was taken is stored, in a config folder made for it.
    QCOMPARE(rig.fetch.store(), taken);
    QCOMPARE(readFile(rig.file()), taken ? response.body : QByteArray("<none>"));
    if (taken) {
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(response.body.size()));
    }
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
    const QByteArray body = pattern(1 << 20);
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

    setrlimit(RLIMIT_FSIZE, &saved);
    rig.sys.setDeviceReadOnly("sdb1", false);
    const bool mended = fault == "read-only" || fault == "short write";
    QCOMPARE(rig.fetch.store(), mended);
    QCOMPARE(readFile(rig.file()) == body, mended);
    if (!other.isEmpty())
        QVERIFY(!QFile::exists(other + "config/wandmenu.bin"));
}

QTEST_GUILESS_MAIN(TestWandmenuFetch)
#include "tst_wandmenufetch.moc"
