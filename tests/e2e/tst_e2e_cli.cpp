// The command-line program end to end on a simulated discwand: the README's script run as it
// stands (wait, copy with verification, load, status with the volume's true sizes, check) and a
// byte the stick then loses found by verify, an image larger than the room left, Ctrl+C in the
// middle of a copy, one batch onto two sticks at once (also with one pulled out on the way),
// the stick kept as a library (a split boot image renamed, an image moved, a folder of images
// synced twice, an image copied back) and a download whose connection drops twice; each volume
// then checked with fsck.fat and mtools.
#include "common/httptestserver.h"
#include "e2echecks.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

namespace {

// Random bytes, as an image that boots when asked.
QByteArray writeSource(const QString &path, int size, bool bootable = false)
{
    QByteArray bytes = TestEnv::randomBytes(size, QRandomGenerator::global()->generate());
    if (bootable)
        TestEnv::stampBootable(bytes);
    return TestEnv::writeFile(path, bytes) ? bytes : QByteArray();
}

// The shell block after the README's marker.
QString readmeScript()
{
    const QString text = QString::fromUtf8(TestEnv::readFile(QStringLiteral(DISCSHELF_README)));
    const QRegularExpression block(QStringLiteral("<!-- cli-script -->\\s*```sh\n(.*?)```"),
                                   QRegularExpression::DotMatchesEverythingOption);
    return block.match(text).captured(1);
}

bool finished(QProcess &p, int ms = 120000)
{
    (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms);
    return p.state() == QProcess::NotRunning;
}

} // namespace

class TestE2eCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { qunsetenv("DISCSHELF_SYSROOT"); }
    void readmeScript();
    void noRoomThenInterrupted();
    void allSticks();
    void allSticksOneGoes();
    void library();
    void fetchAfterDrops();

private:
    QTemporaryDir sources;
};

void TestE2eCli::initTestCase()
{
    E2E_INIT();
    QVERIFY(sources.isValid());
}

void TestE2eCli::readmeScript()
{
    const QString script = ::readmeScript();
    QVERIFY2(script.contains("discshelf-cli wait"),
             "no script after <!-- cli-script --> in README");
    const QString image = sources.filePath("rescue-2.0.iso");
    const QByteArray bytes = writeSource(image, 3000000, true);
    // Nothing on it that check would find fault with.
    SimStick stick(SimStick::Options { 64, true, false });
    REQUIRE_STICK(stick);

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", QFileInfo(DISCSHELF_CLI).path() + ':' + env.value("PATH"));
    run.setProcessEnvironment(env);
    run.start("sh", { "-c", script, "sh", image, "/linux/tools" });
    // The script waits for the stick, which comes a moment later.
    QTest::qWait(500);
    QVERIFY(stick.plug());
    QVERIFY(finished(run));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, qPrintable(err));
    QVERIFY2(err.contains("rescue-2.0.iso: copied and verified."), qPrintable(err));
    const QJsonArray sticks = QJsonDocument::fromJson(run.readAllStandardOutput()).array();
    QCOMPARE(sticks.size(), 1);
    const QJsonObject status = sticks.first().toObject();
    QCOMPARE(status.value("mountPoint").toString() + '/', stick.deviceRoot());
    QCOMPARE(status.value("bootImage").toString(), "/linux/tools/rescue-2.0.iso");

    QVERIFY(stick.unplug());
    VERIFY_CLEAN(stick);
    FatImage fat(stick.image());
    // fusefat tells no sizes: they are the volume's own, as fsck.fat counts them.
    qint64 capacity = 0, freeBytes = 0;
    QVERIFY2(fat.room(&capacity, &freeBytes), qPrintable(fat.report()));
    QCOMPARE(status.value("capacity").toInteger(), capacity);
    QCOMPARE(status.value("free").toInteger(), freeBytes);
    QCOMPARE(fat.read("/linux/tools/rescue-2.0.iso"), bytes);
    QCOMPARE(fat.read("/config/iso_filename.txt"), QByteArray("/linux/tools/rescue-2.0.iso"));

    // The flash loses a byte of the image: verify reads the stick again and finds it.
    QFile volume(stick.image());
    QVERIFY(volume.open(QIODevice::ReadWrite));
    const qint64 at = volume.readAll().indexOf(bytes.mid(1000000, 64));
    QVERIFY(at > 0 && volume.seek(at)
            && volume.write(QByteArray(1, char(~bytes.at(1000000)))) == 1);
    volume.close();
    QVERIFY(stick.plug());
    QProcess verify;
    verify.start(DISCSHELF_CLI, { "verify", "--all" });
    QVERIFY(finished(verify));
    const QByteArray said = verify.readAllStandardOutput();
    QVERIFY2(verify.exitCode() == 8 && said.contains("/linux/tools/rescue-2.0.iso: damaged"),
             said.constData());
}

void TestE2eCli::noRoomThenInterrupted()
{
    const QString image = sources.filePath("debian-12-netinst.iso");
    QVERIFY(!writeSource(image, 24 * 1024 * 1024).isEmpty());
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());

    // With no device to read, fusefat's sizes are unknown: null, never 0.
    const QString device = stick.sysroot() + "/dev/sdz1";
    QVERIFY(QFile::rename(device, device + ".away"));
    QProcess status;
    status.start(DISCSHELF_CLI, { "status", "--json" });
    QVERIFY(finished(status, 10000));
    QVERIFY(QFile::rename(device + ".away", device));
    const QJsonObject unknown
        = QJsonDocument::fromJson(status.readAllStandardOutput()).array().first().toObject();
    QVERIFY(unknown.value("present").toBool());
    QVERIFY(unknown.value("capacity").isNull() && unknown.value("free").isNull());

    // Larger than the room left (sparse, so cheap to make): refused before a byte is written,
    // though fusefat itself tells no sizes.
    const QString huge = sources.filePath("huge.iso");
    QFile hugeFile(huge);
    QVERIFY(hugeFile.open(QIODevice::WriteOnly) && hugeFile.resize(62 * 1024 * 1024));
    hugeFile.close();
    QProcess full;
    full.start(DISCSHELF_CLI, { "copy", huge });
    QVERIFY(finished(full, 10000));
    const QByteArray fullErr = full.readAllStandardError();
    QVERIFY2(full.exitCode() == 5 && fullErr.contains("huge.iso is left out: it does not fit in"),
             fullErr.constData());
    QCOMPARE(full.readAllStandardOutput(), QByteArray());

    QProcess copy;
    copy.start(DISCSHELF_CLI, { "copy", "--overwrite", "--to", "linux", image });
    // Stopped once a chunk is on the stick, with the copy well under way.
    QByteArray err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += copy.readAllStandardError();
            return err.contains("MB of 25.2 MB");
        },
        60000));
    QCOMPARE(::kill(pid_t(copy.processId()), SIGINT), 0);
    QVERIFY(finished(copy));
    err += copy.readAllStandardError();
    QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 130, err.constData());
    QVERIFY2(err.contains("stopped; the discwand keeps what it had"), err.constData());
    QCOMPARE(copy.readAllStandardOutput(), QByteArray());

    QVERIFY(stick.unplug());
    VERIFY_CLEAN(stick);
    FatImage fat(stick.image());
    const QStringList entries = fat.entries();
    QVERIFY2(!entries.join(' ').contains(".discshelf-") && !entries.join(' ').contains("huge"),
             qPrintable(entries.join(' ')));
    // The simulator's sample image, as it was before the copy began.
    const QByteArray kept = fat.read("/linux/debian-12-netinst.iso");
    QCOMPARE(kept.size(), 786432);
    QVERIFY(kept.startsWith("debian-12-netinst\ndebian-12-netinst\n"));
}

void TestE2eCli::library()
{
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    const auto cli = [](const QStringList &args, QByteArray *out = nullptr) {
        QProcess run;
        run.start(DISCSHELF_CLI, args);
        const bool ended = finished(run);
        const QByteArray err = run.readAllStandardError();
        if (out)
            *out = run.readAllStandardOutput();
        if (!ended || run.exitCode() != 0)
            qWarning().noquote() << args.join(' ') << "ended with" << run.exitCode() << err;
        return ended && run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    };
    QCOMPARE(cli({ "load", "/big.iso" }), 0);
    QCOMPARE(cli({ "rename", "/big.iso", "Huge.iso" }), 0);
    QCOMPARE(cli({ "move", "/linux/tools/memtest86.iso", "/windows" }), 0);

    QTemporaryDir folder;
    QList<QByteArray> images;
    for (const char *name : { "one.iso", "two.iso", "three.iso" })
        images << writeSource(folder.filePath(name), 400000 + 1000 * int(images.size()), true);
    QByteArray plan;
    QCOMPARE(cli({ "sync", folder.path(), "--to", "/library", "--parents" }, &plan), 0);
    QCOMPARE(plan.count("new "), 3);
    QByteArray again;
    QCOMPARE(cli({ "sync", folder.path(), "--to", "/library" }, &again), 0);
    QCOMPARE(again.count("same "), 3);
    QCOMPARE(again.count("\n"), 3); // the plan alone: no image copied

    QTemporaryDir back;
    QCOMPARE(cli({ "get", "/Huge.iso", back.path() }), 0);
    QCOMPARE(cli({ "check" }), 0);

    QVERIFY(stick.unplug());
    VERIFY_CLEAN(stick);
    FatImage fat(stick.image());
    QCOMPARE(fat.read("/config/iso_filename.txt"), QByteArray("/Huge.iso"));
    QCOMPARE(TestEnv::readFile(back.filePath("Huge.iso")),
             fat.read("/Huge.iso.0") + fat.read("/Huge.iso.1"));
    QVERIFY(!fat.read("/windows/memtest86.iso").isEmpty());
    const QStringList entries = fat.entries();
    QVERIFY2(!entries.join(' ').contains("big.iso") && !entries.join(' ').contains("tools/memtest"),
             qPrintable(entries.join(' ')));
    QCOMPARE(fat.read("/library/one.iso"), images.at(0));
    QCOMPARE(fat.read("/library/three.iso"), images.at(2));
}

QTEST_GUILESS_MAIN(TestE2eCli)
#include "tst_e2e_cli.moc"

void TestE2eCli::allSticks()
{
    const QString image = sources.filePath("memtest.iso");
    const QByteArray bytes = writeSource(image, 2500000, true);
    SimStick first(SimStick::Options { 40, true, false });
    REQUIRE_STICK(first);
    SimStick second(SimStick::Options { 40, true, false, "SECOND", "sdy" }, first);
    QVERIFY2(second.isValid(), qPrintable(second.error()));
    QVERIFY(first.plug() && second.plug());

    QProcess copy;
    copy.start(DISCSHELF_CLI, { "copy", "--all-sticks", "--parents", "--to", "tools", image });
    QVERIFY(finished(copy));
    const QByteArray err = copy.readAllStandardError();
    QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0, err.constData());
    for (const SimStick *stick : { &first, &second })
        QVERIFY2(
            err.contains(
                (stick->deviceRoot().chopped(1) + ": memtest.iso: copied and verified").toUtf8()),
            err.constData());

    QVERIFY(second.unplug() && first.unplug());
    for (const SimStick *stick : { &first, &second }) {
        VERIFY_CLEAN(*stick);
        QCOMPARE(FatImage(stick->image()).read("/tools/memtest.iso"), bytes);
    }
}

// One of the two pulled out in the middle: its copy fails, the other's is whole.
void TestE2eCli::allSticksOneGoes()
{
    const QString image = sources.filePath("big.iso");
    const QByteArray bytes = writeSource(image, 24 * 1024 * 1024, true);
    SimStick first(SimStick::Options { 64, true, false });
    REQUIRE_STICK(first);
    SimStick second(SimStick::Options { 64, true, false, "SECOND", "sdy" }, first);
    QVERIFY2(second.isValid(), qPrintable(second.error()));
    QVERIFY(first.plug() && second.plug());

    QProcess copy;
    copy.start(DISCSHELF_CLI, { "copy", "--all-sticks", "--no-verify", image });
    const QRegularExpression underWay(QRegularExpression::escape(second.deviceRoot().chopped(1))
                                      + ": big.iso: [0-9.]+ MB of");
    QString err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += QString::fromUtf8(copy.readAllStandardError());
            return err.contains(underWay);
        },
        60000));
    QVERIFY(second.unplug(true));
    QVERIFY(finished(copy));
    err += QString::fromUtf8(copy.readAllStandardError());
    QVERIFY2(copy.exitCode() == 3, qPrintable(err));
    QCOMPARE(QString::fromUtf8(copy.readAllStandardOutput()), first.deviceRoot() + "big.iso\n");

    QVERIFY(first.unplug());
    VERIFY_CLEAN(first);
    QCOMPARE(FatImage(first.image()).read("/big.iso"), bytes);
}

// A 12 MB image downloaded onto the stick across two dropped connections, each resumed once
// where the stick's bytes end: byte-identical on a clean volume, checked by SHA256SUMS.
void TestE2eCli::fetchAfterDrops()
{
    SimStick stick(SimStick::Options { 64, true, false });
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    const QByteArray image = TestEnv::randomBytes(12 * 1024 * 1024, 9);
    HttpTestServer server;
    server.setResponse({ 404 });
    HttpTestServer::Response served { 200, image };
    served.etag = "\"1\"";
    served.ranges = true;
    served.dropAfter = { 3000001, 5000003 };
    server.setResponse("/pub/live.iso", served);
    server.setResponse(
        "/pub/SHA256SUMS",
        { 200,
          QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex() + " *live.iso\n" });
    QProcess fetch;
    fetch.start(DISCSHELF_CLI,
                { "fetch", "--to", "/linux", server.url("/pub/live.iso").toString() });
    QVERIFY(finished(fetch));
    const QString err = QString::fromUtf8(fetch.readAllStandardError());
    QVERIFY2(fetch.exitCode() == 0 && err.contains("live.iso matches SHA256SUMS"), qPrintable(err));
    QCOMPARE(server.ranges(), (QStringList { "", "", "", "bytes=3000001-", "bytes=8000004-" }));
    QVERIFY(stick.unplug());
    VERIFY_CLEAN(stick);
    QVERIFY(FatImage(stick.image()).read("/linux/live.iso") == image);
}
