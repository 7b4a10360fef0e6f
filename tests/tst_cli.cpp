// The command-line program run as a process against fixture systems: each command's outcome
// and exit status, its JSON read back, copies checked byte for byte, published checksums and
// verify against the stick's record, the selector download from a local server and a wait that
// ends when the stick is mounted.
#include "common/httptestserver.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "copy/copylock.h"
#include "copy/imagerecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QCryptographicHash>
#include <QThread>

#include <list>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

// The event loop keeps running meanwhile: a test's server must answer the program.
Outcome runCli(const QStringList &args, QProcess *started = nullptr)
{
    QProcess own;
    QProcess &p = started ? *started : own;
    if (!started)
        p.start(QStringLiteral(DISCSHELF_CLI), args);
    (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
    if (p.state() != QProcess::NotRunning)
        p.kill();
    p.waitForFinished();
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
             QString::fromUtf8(p.readAllStandardOutput()),
             QString::fromUtf8(p.readAllStandardError()) };
}

const auto put = TestEnv::writeFile;
const auto read = TestEnv::readFile;
QByteArray randomBytes(int size)
{
    return TestEnv::randomBytes(size, QRandomGenerator::global()->generate());
}

// A stick as the fixture makes it, with "rw"/"ro", "bare" (no selector program) and "link" (a
// link "away" to a folder off the stick) in state.
QString makeStick(SysFixture &sys, const QString &state)
{
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), state.contains("ro"));
    if (!state.contains("bare"))
        put(root + "config/wandmenu.bin", "selector");
    put(root + "linux/a.iso", "old a");
    put(root + QStringLiteral("linux/\u03A9mega.iso"), "omega");
    put(root + "big.iso.0", "part 0");
    put(root + "big.iso.1", "part 1");
    put(root + "config/iso_filename.txt", "/linux/a.iso");
    if (state.contains("link"))
        QFile::link(QDir::cleanPath(root + ".."), root + "away");
    return root;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void json();
    void terminalSafe();
    void copies();
    void check_data();
    void check();
    void checksums();
    void verify();
    void copyUnderWayIsNoLeftover();
    void severalSticks();
    void getSelector_data();
    void getSelector();
    void fetch_data();
    void fetch();
    void waitsForPlug();

private:
    QTemporaryDir sources;
};

void TestCli::initTestCase()
{
    QVERIFY(put(sources.filePath("new.iso"), randomBytes(300000)));
    QVERIFY(put(sources.filePath("a.iso"), "new a"));
    QVERIFY(put(sources.filePath("notes.txt"), "notes"));
    QVERIFY(put(sources.filePath("what?.iso"), "what"));
    QVERIFY(put(sources.filePath("\u03A9.iso"), "omega"));
}

void TestCli::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stick"); // "none", or makeStick's state
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the whole of stdout, as a pattern
    QTest::addColumn<QString>("err"); // a pattern found in stderr
    QTest::addColumn<QString>("chosen"); // config/iso_filename.txt afterwards, if it changed

    const auto row = [](const char *name, QStringList args, const char *stick, int status,
                        const char *out, const char *err, const QString &chosen = QString()) {
        QTest::newRow(name) << args << stick << status << out << err << chosen;
    };
    row("help", { "--help" }, "none", 0,
        "Usage: .*Commands:.*copy.*check.*eject.*Exit status:.*  5  no room.*  8  check.*", "^$");
    row("version", { "--version" }, "none", 0, "discshelf-cli 39\n", "^$");
    row("no command", {}, "none", 2, "", "Usage: .*Exit status:");
    row("unknown command", { "frob" }, "rw", 2, "", "no command 'frob'");
    row("unknown option", { "list", "--frob" }, "rw", 2, "", "frob.*list --help");
    row("command help", { "copy", "--help" }, "none", 0,
        "Usage: \\S+ copy \\[options\\] FILE.*--overwrite.*", "^$");
    row("copy: both flags", { "copy", "SRC/new.iso", "--overwrite", "--skip-existing" }, "rw", 2,
        "", "exclude each other");
    row("copy: one stick and all", { "copy", "SRC/new.iso", "--all-sticks", "--stick", "x" }, "rw",
        2, "", "--stick and --all-sticks exclude");
    row("wait: no number", { "wait", "--timeout", "soon" }, "none", 2, "", "seconds");
    row("status: none", { "status" }, "none", 3, "", "No discwand found");
    row("list: none", { "list" }, "none", 3, "", "No discwand found");
    row("wait: none in time", { "wait", "--timeout", "0.3" }, "none", 3, "", "within 0.3 seconds");
    row("wait: there already", { "wait" }, "rw", 0, "/\\S+\n", "^$");
    row("status", { "status" }, "ro bare", 0,
        "Discwand: +/\\S+\n.*Read-only: +yes.*\nBoot image: +/linux/a.iso\nSelector: +missing.*\n",
        "^$");
    row("list", { "list" }, "rw", 0,
        "  /linux/\n\\* /linux/a.iso +5 bytes\n  /linux/\u03A9mega.iso +5 bytes\n"
        "  /big.iso +12 bytes  2 parts\n",
        "^$");
    row("load: no such image", { "load", "/linux/b.iso" }, "rw", 6, "", "no image /linux/b.iso");
    row("load: read-only", { "load", "/linux/a.iso" }, "ro", 4, "", "read-only");
    row("load: not Latin-1", { "load", "linux/\u03A9mega.iso" }, "rw", 7, "", "Latin-1");
    row("load: split, any case", { "load", "BIG.ISO" }, "rw", 0, "", "will boot /big.iso",
        "/big.iso");
    row("load: split by its part", { "load", "/big.iso.0" }, "rw", 0, "", "will boot /big.iso",
        "/big.iso");
    row("copy: no such file", { "copy", "SRC/nothing.iso" }, "rw", 6, "", "no such file");
    row("copy: read-only", { "copy", "SRC/new.iso" }, "ro", 4, "", "read-only");
    row("copy: no image", { "copy", "SRC/notes.txt" }, "rw", 7, "", "notes.txt is left out");
    row("copy: already there", { "copy", "--to", "linux", "SRC/a.iso" }, "rw", 7, "",
        "a.iso is on the discwand already; left out");
    row("copy: a name FAT refuses", { "copy", "SRC/what?.iso" }, "rw", 7, "",
        "what\\?\\.iso: .*\"what_\\.iso\" would do");
    row("copy: beyond Latin-1", { "copy", "SRC/\u03A9.iso" }, "rw", 7, "", "Latin-1");
    row("copy: skip existing", { "copy", "--to", "linux", "--skip-existing", "SRC/a.iso" }, "rw", 0,
        "", "skipped");
    // Nothing is written off the stick, whatever --to names.
    row("copy: up and out", { "copy", "--to", "linux/../../..", "SRC/new.iso" }, "rw", 2, "",
        "no folder on the discwand");
    row("copy: through a link", { "copy", "--to", "away/in", "SRC/new.iso" }, "rw link", 7, "",
        "away/in leads off the discwand");
    row("copy: unverified", { "copy", "--no-verify", "SRC/new.iso" }, "rw", 0, "/new.iso\n",
        "^(?!.*checking the copy).*new.iso: copied\\.\n");
    row("verify: nothing named", { "verify" }, "rw", 2, "", "--all");
    row("verify: no such image", { "verify", "/linux/b.iso" }, "rw", 6, "", "b.iso: no such image");
    row("copy: --sha256 not hex", { "copy", "--sha256", "xyz", "SRC/new.iso" }, "rw", 2, "",
        "64 hex digits");
    row("copy: to a folder not there", { "copy", "--to", "nowhere", "SRC/new.iso" }, "rw", 6, "",
        "no folder /nowhere/.*--parents");
    row("copy: --parents", { "copy", "--parents", "--to", "new/er", "SRC/new.iso" }, "rw", 0,
        "/new/er/new.iso\n", "copied and verified");
    row("rename: split image", { "rename", "BIG.ISO", "huge.iso" }, "rw", 0, "/huge.iso\n", "^$");
    row("rename: a name FAT refuses", { "rename", "/big.iso", "a:b.iso" }, "rw", 7, "",
        "cannot hold");
    row("move: folder into itself", { "move", "/linux", "linux" }, "rw", 7, "", "into itself");
    row("move: no such folder", { "move", "/big.iso", "/nowhere" }, "rw", 6, "", "no folder");
    row("delete: folder not empty", { "delete", "/linux" }, "rw", 7, "", "--recursive");
    row("delete: boot image", { "delete", "/linux/a.iso" }, "rw", 7, "", "--force");
    row("delete: split image", { "delete", "/big.iso" }, "rw", 0, "",
        "Deleted /big.iso, freeing 12");
    row("mkdir: above missing", { "mkdir", "/x/y" }, "rw", 6, "", "--parents");
    row("mkdir: --parents", { "mkdir", "-p", "/x/y", "linux" }, "rw", 0, "/x/y/\n/linux/\n", "^$");
    row("get: split image joined", { "get", "/big.iso", "SRC/" }, "ro", 0,
        "/\\S+/big\\.iso  02944430de6f201243d811d1467aced1fa7f0aff8c0c7ac6d4abee21e82549ef\n",
        "copied and verified");
    row("eject: not unmounted", { "eject" }, "rw", 10, "", "written.*umount '/\\S+'");
    row("eject: help", { "eject", "--help" }, "none", 0, "Usage: .*eject.*UDisks2.*", "^$");
    row("eject: none", { "eject" }, "none", 3, "", "No discwand found");
    row("get-selector: present", { "get-selector" }, "rw", 0, "", "already");
    row("get-selector: read-only", { "get-selector" }, "ro bare", 4, "", "read-only");
}

void TestCli::commands()
{
    QFETCH(QStringList, args);
    QFETCH(QString, stick);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, chosen);

    SysFixture sys;
    const QString root = stick == "none" ? QString() : makeStick(sys, stick);
    args.replaceInStrings(QRegularExpression("^SRC/"), sources.path() + "/");
    const Outcome got = runCli(args);
    QVERIFY2(got.status == status, qPrintable(QString::number(got.status) + ": " + got.err));
    const QRegularExpression outPattern('^' + out + '$',
                                        QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(outPattern.match(got.out).hasMatch(), qPrintable(got.out));
    QVERIFY2(
        got.err.contains(QRegularExpression(err, QRegularExpression::DotMatchesEverythingOption)),
        qPrintable(got.err));
    if (root.isEmpty())
        return;
    QCOMPARE(read(root + "config/iso_filename.txt"),
             chosen.isNull() ? QByteArray("/linux/a.iso") : chosen.toLatin1());
    QCOMPARE(read(root + "linux/a.iso"), QByteArray("old a"));
}

void TestCli::json()
{
    SysFixture sys;
    QCOMPARE(QJsonDocument::fromJson(runCli({ "status", "--json" }).out.toUtf8()).array(),
             QJsonArray());
    const QString root = makeStick(sys, "rw");

    const Outcome status = runCli({ "status", "--json" });
    QCOMPARE(status.status, 0);
    const QJsonArray sticks = QJsonDocument::fromJson(status.out.toUtf8()).array();
    QCOMPARE(sticks.size(), 1);
    const QJsonObject facts = sticks.first().toObject();
    QCOMPARE(facts.value("mountPoint").toString() + '/', root);
    QCOMPARE(facts.value("readOnly"), QJsonValue(false));
    QCOMPARE(facts.value("selector"), QJsonValue(true));
    QCOMPARE(facts.value("bootImage"), QJsonValue("/linux/a.iso"));
    QCOMPARE(facts.value("fileSystem"), QJsonValue("FAT32"));

    const Outcome list = runCli({ "list", "--json" });
    QCOMPARE(list.status, 0);
    const QJsonArray entries
        = QJsonDocument::fromJson(list.out.toUtf8()).object().value("entries").toArray();
    QStringList seen;
    for (const QJsonValue &entry : entries) {
        const QJsonObject e = entry.toObject();
        QString text = e.value("kind").toString() + ' ' + e.value("path").toString() + ' '
            + QString::number(e.value("depth").toInt());
        if (e.value("kind") == "image")
            text += QStringLiteral(" %1 bytes, %2 parts, boot %3")
                        .arg(e.value("size").toInteger())
                        .arg(e.value("parts").toInt())
                        .arg(e.value("boot").toBool());
        seen << text;
    }
    QCOMPARE(seen,
             QStringList({ "folder /linux 0", "image /linux/a.iso 1 5 bytes, 1 parts, boot 1",
                           "image /linux/\u03A9mega.iso 1 5 bytes, 1 parts, boot 0",
                           "image /big.iso 0 12 bytes, 2 parts, boot 0" }));
}

// A boot choice holding escape sequences reaches the terminal without them.
void TestCli::terminalSafe()
{
    SysFixture sys;
    const QString root = makeStick(sys, "rw");
    QVERIFY(put(root + "config/iso_filename.txt", "/\x1b]0;owned\x07\x1b[2J\xc2\x9b.iso"));
    const Outcome got = runCli({ "status" });
    QCOMPARE(got.status, 0);
    QVERIFY2(got.out.contains(QStringLiteral("/\uFFFD]0;owned\uFFFD\uFFFD[2J\u00C2\uFFFD.iso\n")),
             qPrintable(got.out));
}

void TestCli::copies()
{
    SysFixture sys;
    const QString root = makeStick(sys, "rw");
    QTemporaryDir folder;
    const QByteArray x = randomBytes(200000);
    QVERIFY(put(folder.filePath("distro/x.iso"), x));
    QVERIFY(put(folder.filePath("distro/SHA256SUMS"), "sums"));

    const Outcome got
        = runCli({ "copy", "--to", "/linux/", "--overwrite", sources.filePath("new.iso"),
                   sources.filePath("a.iso"), folder.filePath("distro") });
    QVERIFY2(got.status == 0, qPrintable(got.err));
    // Data alone on stdout, in the order copied: the files in the order named, then what the
    // folders hold.
    QCOMPARE(got.out, "/linux/new.iso\n/linux/a.iso\n/linux/distro/x.iso\n");
    QCOMPARE(read(root + "linux/new.iso"), read(sources.filePath("new.iso")));
    QCOMPARE(read(root + "linux/a.iso"), QByteArray("new a"));
    QCOMPARE(read(root + "linux/distro/x.iso"), x);
    QVERIFY(!QFile::exists(root + "linux/distro/SHA256SUMS"));
    // Not a terminal: plain progress lines, never rewritten in place.
    QVERIFY2(got.err.contains("new.iso: copied and verified.\n")
                 && got.err.contains("new.iso: 300.0 kB of 300.0 kB")
                 && got.err.contains("new.iso: checking the copy, 100%")
                 && got.err.contains("Copied 3 image")
                 && got.err.contains("SHA256SUMS is no ISO image; passed over")
                 && !got.err.contains('\r'),
             qPrintable(got.err));
}

// A checksum given or named on the command line: a copy that differs keeps the old image.
void TestCli::checksums()
{
    SysFixture sys;
    const QString root = makeStick(sys, "rw");
    const QByteArray right = QCryptographicHash::hash("new a", QCryptographicHash::Sha256).toHex();
    const QStringList copy { "copy", "--to", "linux", "--overwrite" };
    Outcome got
        = runCli(copy + QStringList { "--sha256", QByteArray(64, 'a'), sources.filePath("a.iso") });
    QVERIFY2(got.status == 1 && got.err.contains("does not match the checksum given"),
             qPrintable(got.err));
    QCOMPARE(read(root + "linux/a.iso"), QByteArray("old a"));
    QTemporaryDir dir;
    QVERIFY(put(dir.filePath("SUMS"), "SHA256 (a.iso) = " + right + "\n"));
    got = runCli(copy + QStringList { "--sums", dir.filePath("SUMS"), sources.filePath("a.iso") });
    QVERIFY2(got.status == 0 && got.err.contains("a.iso: copied and verified; matches SUMS."),
             qPrintable(got.err));
    QCOMPARE(read(root + "linux/a.iso"), QByteArray("new a"));
    got = runCli(copy
                 + QStringList { "--sums", dir.filePath("SUMS"), sources.filePath("new.iso") });
    QVERIFY2(got.status == 7 && got.err.contains("does not list new.iso"), qPrintable(got.err));
}

// verify against the record the copies leave: a stick without one, a byte flipped behind the
// same size and time, a size changed, an image gone; list and check see the record too.
void TestCli::verify()
{
    SysFixture sys;
    const QString root = makeStick(sys, "rw");
    const auto results = [](const Outcome &got) {
        QStringList seen;
        for (const QJsonValue &v :
             QJsonDocument::fromJson(got.out.toUtf8()).object().value("images").toArray())
            seen << v.toObject().value("path").toString() + ' '
                    + v.toObject().value("result").toString();
        return seen;
    };
    Outcome got = runCli({ "verify", "--all", "--json" });
    QCOMPARE(got.status, 11);
    QCOMPARE(results(got),
             QStringList({ "/linux/a.iso not-recorded", "/linux/\u03A9mega.iso not-recorded",
                           "/big.iso not-recorded" }));
    got = runCli({ "verify", "--all" });
    QVERIFY2(got.status == 0 && got.out.contains("/big.iso: intact\n"),
             qPrintable(got.out + got.err));
    const QJsonArray listed = QJsonDocument::fromJson(runCli({ "list", "--json" }).out.toUtf8())
                                  .object()
                                  .value("entries")
                                  .toArray();
    QCOMPARE(listed.at(1).toObject().value("sha256").toString(),
             QCryptographicHash::hash("old a", QCryptographicHash::Sha256).toHex());

    // One byte flipped where the flash lost it: same size, same time.
    QFile a(root + "linux/a.iso");
    const QDateTime time = QFileInfo(a).lastModified();
    QVERIFY(a.open(QIODevice::ReadWrite) && a.seek(2) && a.write("D") == 1);
    a.close();
    QVERIFY(a.open(QIODevice::ReadWrite) && a.setFileTime(time, QFileDevice::FileModificationTime));
    a.close();
    QVERIFY(put(root + "big.iso.1", "part 1, longer"));
    got = runCli({ "verify", "--json", "linux/a.iso", "/big.iso.0" });
    QCOMPARE(got.status, 8);
    QCOMPARE(results(got), QStringList({ "/linux/a.iso damaged", "/big.iso changed" }));
    // The damaged one stays damaged; the changed one was recorded as it is now.
    QCOMPARE(runCli({ "verify", "--all" }).status, 8);
    QVERIFY(QFile::remove(root + "linux/a.iso"));
    QCOMPARE(results(runCli({ "verify", "--json", "--all" })).value(2), "/linux/a.iso missing");
    got = runCli({ "check", "--repair" });
    QVERIFY2(got.out.contains("repaired: /linux/a.iso is in the record"), qPrintable(got.out));
    QCOMPARE(runCli({ "verify", "--all" }).status, 0);
}

void TestCli::check_data()
{
    QTest::addColumn<QStringList>("files"); // on the stick besides a bootable /a.iso
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // a pattern found in stdout
    QTest::addColumn<QStringList>("gone"); // files the command removed

    const QStringList left { "linux/.discshelf-1a2b3c4d.0", "linux/b.iso.0", "linux/b.iso.2" };
    QTest::newRow("sound") << QStringList() << QStringList { "check" } << 0 << "^$"
                           << QStringList();
    QTest::newRow("problems") << left << QStringList { "check" } << 8
                              << "interrupted copy\n.*Parts of /linux/b.iso missing: b.iso.1"
                              << QStringList();
    QTest::newRow("repaired") << left << QStringList { "check", "--repair" } << 0
                              << "repaired: .*interrupted.*\nrepaired: .*b.iso" << left;
    QTest::newRow("read-only") << (left + QStringList { "ro" })
                               << QStringList { "check", "--repair" } << 4 << "^$" << QStringList();
    // The test holds the lock a running copy holds on its part 0.
    QTest::newRow("a copy under way")
        << QStringList { "lock:.discshelf-1a2b3c4d.0" } << QStringList { "check", "--repair" } << 9
        << "^/.discshelf-1a2b3c4d.0: a copy is under way\n$" << QStringList();
    QTest::newRow("no repair for a lost boot image")
        << QStringList { "boot:/gone.iso" } << QStringList { "check", "--repair" } << 8
        << "set to boot /gone.iso" << QStringList();
    QTest::newRow("json sizes") << QStringList { "plain:d/p.iso", "boot:/gone.iso" }
                                << QStringList { "check", "--json" } << 8
                                << "\"/d/p.iso\",[^}]*\"size\": 2048,.*\"size\": null"
                                << QStringList();
}

void TestCli::check()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QStringList, gone);
    SysFixture sys;
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), files.removeAll("ro") > 0);
    put(root + "config/wandmenu.bin", "selector");
    QByteArray bootable(19 * 2048, '\0');
    TestEnv::stampBootable(bootable);
    put(root + "a.iso", bootable);
    put(root + "config/iso_filename.txt", "/a.iso");
    std::list<CopyLock> locks;
    for (QString &file : files) {
        if (file.startsWith("boot:"))
            put(root + "config/iso_filename.txt", file.mid(5).toLatin1());
        else if (file.startsWith("plain:") && file.remove(0, 6).size() > 0)
            put(root + file, QByteArray(2048, 'p'));
        else if (file.startsWith("lock:") && file.remove(0, 5).size() > 0)
            QVERIFY(locks.emplace_back().take(root + file));
        else
            put(root + file, bootable);
    }
    const Outcome got = runCli(args);
    QVERIFY2(got.status == status, qPrintable(QString::number(got.status) + ": " + got.err));
    QVERIFY2(
        got.out.contains(QRegularExpression(out, QRegularExpression::DotMatchesEverythingOption)),
        qPrintable(got.out));
    for (const QString &file : std::as_const(files))
        if (!file.startsWith("boot:"))
            QCOMPARE(QFile::exists(root + file), !gone.contains(file));
}

// A copy stopped half-way in one process and check --repair in another: the check leaves the
// copy's part alone and says so, and the copy then finishes whole.
void TestCli::copyUnderWayIsNoLeftover()
{
    SysFixture sys;
    const QString root = sys.addDiscwand(QStringLiteral("sdb"), false);
    put(root + "config/wandmenu.bin", "selector");
    QTemporaryDir src;
    const QString image = src.filePath("big.iso");
    constexpr qint64 size = 512LL << 20;
    QFile sparse(image);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
    sparse.close();
    QProcess copy;
    copy.start(QStringLiteral(DISCSHELF_CLI), { "copy", "--no-verify", image });
    QVERIFY(copy.waitForStarted());
    const auto hidden
        = [&] { return QDir(root).entryList({ ".discshelf-*" }, QDir::Files | QDir::Hidden); };
    QElapsedTimer waited;
    waited.start();
    // Bytes in the part mean its lock is taken: the file itself comes a moment before.
    const auto writing = [&] {
        const QStringList now = hidden();
        return !now.isEmpty() && QFileInfo(root + now.first()).size() > 0;
    };
    while (!writing() && !QFile::exists(root + "big.iso") && waited.elapsed() < 60000)
        QThread::usleep(200);
    const auto signal = [&](const char *which) {
        return QProcess::execute("kill", { which, QString::number(copy.processId()) }) == 0;
    };
    QVERIFY2(signal("-STOP"), "the copy ended too soon");
    const QStringList parts = hidden();
    QVERIFY2(!parts.isEmpty(), "no part of the copy was seen");
    const Outcome checked = runCli({ "check", "--repair" });
    QVERIFY(signal("-CONT"));
    QVERIFY2(checked.status == 9 && checked.out.contains("a copy is under way"),
             qPrintable(checked.out + checked.err));
    QVERIFY(QFile::exists(root + parts.first()));
    const Outcome copied = runCli({}, &copy);
    QVERIFY2(copied.status == 0, qPrintable(copied.err));
    QCOMPARE(QFileInfo(root + "big.iso").size(), size);
    QVERIFY(hidden().isEmpty());
}

// With two sticks a command takes the one named and refuses to guess; status tells both.
void TestCli::severalSticks()
{
    SysFixture sys;
    const QString a = QDir::cleanPath(makeStick(sys, "rw"));
    const QString b = QDir::cleanPath(sys.addDiscwand(QStringLiteral("sdc"), false));
    put(b + "/b.iso", "b");
    const Outcome unnamed = runCli({ "list" });
    QVERIFY2(unnamed.status == 2 && unnamed.err.contains(a) && unnamed.err.contains(b),
             qPrintable(unnamed.err));
    QVERIFY(runCli({ "list", "--stick", b + '/' })
                .out.contains(QRegularExpression("^  /b.iso +1 bytes\n$")));
    QCOMPARE(runCli({ "list", "--stick", "nothing" }).status, 3);

    const Outcome both = runCli({ "status", "--json" });
    QStringList mountPoints, serials;
    for (const QJsonValue &stick : QJsonDocument::fromJson(both.out.toUtf8()).array()) {
        mountPoints << stick.toObject().value("mountPoint").toString();
        serials << stick.toObject().value("serial").toString();
    }
    QCOMPARE(both.status, 0);
    QCOMPARE(mountPoints, (QStringList { a, b }));
    const Outcome second = runCli({ "status", "--stick", serials.value(1) });
    QVERIFY2(second.status == 0 && second.out.contains(b) && !second.out.contains(a),
             qPrintable(second.out + second.err));

    // The same images onto both at once; then a read-only third is the worst outcome, and the
    // others are copied to all the same.
    const QByteArray image = read(sources.filePath("new.iso"));
    const Outcome all = runCli({ "copy", "--all-sticks", sources.filePath("new.iso") });
    QVERIFY2(all.status == 0, qPrintable(all.err));
    QStringList copied = all.out.split('\n', Qt::SkipEmptyParts);
    copied.sort(); // the two finish in either order
    QCOMPARE(copied, (QStringList { a + "/new.iso", b + "/new.iso" }));
    QVERIFY(read(a + "/new.iso") == image && read(b + "/new.iso") == image);
    sys.addDiscwand(QStringLiteral("sdd"), true);
    const Outcome withReadOnly = runCli(
        { "copy", "--all-sticks", "--parents", "--to", "more", sources.filePath("a.iso") });
    QVERIFY2(withReadOnly.status == 4 && withReadOnly.err.contains("read-only"),
             qPrintable(withReadOnly.err));
    QVERIFY(read(a + "/more/a.iso") == "new a" && read(b + "/more/a.iso") == "new a");
}

void TestCli::getSelector_data()
{
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<int>("status");
    QTest::newRow("served") << 200 << 0;
    QTest::newRow("not found") << 404 << 1;
}

void TestCli::getSelector()
{
    QFETCH(int, httpStatus);
    QFETCH(int, status);
    SysFixture sys;
    const QString root = makeStick(sys, "rw bare");
    HttpTestServer server;
    const QByteArray program = randomBytes(70000);
    server.setResponse({ httpStatus, program });
    const Outcome got = runCli({ "get-selector", "--url", server.url().toString() });
    QVERIFY2(got.status == status, qPrintable(got.err));
    QCOMPARE(read(root + "config/wandmenu.bin"), status == 0 ? program : QByteArray("<none>"));
}

void TestCli::fetch_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("checked by SHA256SUMS")
        << QStringList { "--to", "linux" } << 0 << "/linux/img.iso\n"
        << "img.iso matches SHA256SUMS";
    QTest::newRow("renamed, wrong hash")
        << QStringList { "--name", "b.iso", "--sha256", QString(64, 'a') } << 1 << ""
        << "b.iso does not match the checksum given";
    QTest::newRow("there already") << QStringList { "--to", "linux", "--name", "a.iso" } << 7 << ""
                                   << "a.iso is on the discwand already";
    QTest::newRow("hash and sums") << QStringList { "--sha256", "ab", "--sums", "x" } << 2 << ""
                                   << "exclude each other";
}

void TestCli::fetch()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    SysFixture sys;
    const QString root = makeStick(sys, "rw");
    const QStringList before = TestEnv::entriesBelow(root);
    HttpTestServer server;
    server.setResponse({ 404 });
    const QByteArray image = randomBytes(300000);
    server.setResponse("/pub/img.iso", { 200, image });
    server.setResponse(
        "/pub/SHA256SUMS",
        { 200,
          QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex() + "  img.iso\n" });
    const Outcome got
        = runCli(QStringList { "fetch", server.url("/pub/img.iso").toString() } + args);
    QVERIFY2(got.status == status, qPrintable(got.err));
    QVERIFY2(QRegularExpression(out).match(got.out).hasMatch(), qPrintable(got.out));
    QVERIFY2(got.err.contains(err), qPrintable(got.err));
    if (status == 0) {
        QCOMPARE(read(root + got.out.trimmed().mid(1)), image);
        const auto recorded = ImageRecord::find(ImageRecord::read(root), got.out.trimmed());
        QVERIFY(recorded && recorded->published == "SHA256SUMS");
        QCOMPARE(recorded->sha256,
                 QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());
    } else
        QCOMPARE(TestEnv::entriesBelow(root), before);
}

void TestCli::waitsForPlug()
{
    SysFixture sys;
    QProcess p;
    p.start(QStringLiteral(DISCSHELF_CLI), { "wait", "--timeout", "30" });
    QVERIFY(QTest::qWaitFor([&] { return p.readAllStandardError().contains("Waiting"); }, 10000));
    const QString root = sys.addDiscwand();
    const Outcome got = runCli({}, &p);
    QCOMPARE(got.status, 0);
    QCOMPARE(got.out, root.chopped(1) + '\n');
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
