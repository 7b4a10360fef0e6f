// Examining a drop: what each dropped or found file is, where it goes on the device, in which
// order, and which questions follow with what answers queued.
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/admissionprompts.h"
#include "copy/dropadmission.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

// "kind folder name" for each item of a plan, in its order.
QStringList describe(const DropAdmission::Plan &plan)
{
    static const char *const kinds[] = { "image", "present", "too large", "other", "not a file",
                                         "refused" };
    QStringList out;
    for (const DropAdmission::Item &item : plan.items)
        out << QString::fromLatin1(kinds[int(item.kind)]) + ' ' + item.folder.path()
                + QFileInfo(item.sourceFile).fileName()
                + (item.willBoot && item.kind <= DropAdmission::Item::Kind::Present ? " (boots)" : "")
                + (item.foldersMade ? QStringLiteral(" +%1").arg(item.foldersMade) : QString());
    return out;
}

// Answers from a script and records what was asked ("large x.iso", "exists x.iso", "others").
struct ScriptedPrompts : AdmissionPrompts
{
    QList<bool> answers;
    QStringList asked;
    bool next(const QString &question)
    {
        asked << question;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void tooLarge(const QString &name) override { asked << "large " + name; }
    void refused(const QStringList &reasons) override { asked << "refused " + reasons.join("; "); }
    void notRegular(const QString &name) override { asked << "not a file " + name; }
    bool willNotBoot(const QString &name, bool iso9660) override
    {
        return next((iso9660 ? "no boot record " : "no ISO ") + name);
    }
    bool overwrite(const QString &name, bool first) override
    {
        return next("exists " + name + (first ? " (old goes first)" : ""));
    }
    bool copyWhatFits(const QStringList &names, qint64 free) override
    {
        return next(QStringLiteral("no room in %1 for ").arg(free) + names.join(','));
    }
    bool imagesOnly() override { return next(QStringLiteral("others")); }
    int pulledAfter = -1; // the stick goes once this many questions were asked
    bool stillWanted() override { return pulledAfter < 0 || asked.size() < pulledAfter; }
};

} // namespace

class TestDropAdmission : public QObject
{
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
    void decide_data();
    void decide();
    void pullEndsQuestions();
    void refusal_data();
    void refusal();
    void manyInAFolder();
    void examineOffThread();
    void sourceStopsAnswering();
};

void TestDropAdmission::plan_data()
{
    QTest::addColumn<QStringList>("source"); // laid out below src/; "name=SIZE" makes it sparse
    QTest::addColumn<QStringList>("dropped"); // none: the source files as laid
    QTest::addColumn<QString>("dest");
    QTest::addColumn<QStringList>("device"); // "QUEUED": the queue holds /D/Q.iso
    QTest::addColumn<QStringList>("plan"); // the last dropped comes first
    const auto row = [](const char *name, QStringList source, QStringList dropped, const char *dest,
                        QStringList device, QStringList plan) {
        QTest::newRow(name) << source << dropped << QString::fromLatin1(dest) << device << plan;
    };
    // A dropped folder keeps its place; files dropped from two folders land together.
    row("folders", { "folder/x.iso", "folder/sub/y.iso", "p/a.iso", "q/r/b.iso" },
        { "folder", "p/a.iso", "q/r/b.iso" }, "/t/", {},
        { "image /t/b.iso +1", "image /t/a.iso", "image /t/folder/x.iso +1",
          "image /t/folder/sub/y.iso +1" });
    // Images go by their suffix in any case; a pipe would hold the copy up for ever; the size
    // limit is checked before presence.
#ifdef Q_OS_UNIX
    row("kinds of file", { "a.iso", "notes.txt", "disc.ISO", "disc.iso.0", "p.iso|fifo",
                           "at.iso=40960000000", "over.iso=40960000001" }, {}, "/", { "over.iso" },
        { "too large /over.iso", "image /at.iso", "not a file /p.iso", "other /disc.iso.0",
          "image /disc.ISO", "other /notes.txt", "image /a.iso" });
#endif
    // Present whole or split, in another letter case, or in the queue; not in another folder.
    row("present", { "x.iso", "y.iso", "z.iso", "a.iso", "q.iso" }, {}, "/d",
        { "d/x.iso", "d/y.iso.0", "z.iso", "d/A.ISO.0", "QUEUED" },
        { "present /d/q.iso", "present /d/a.iso", "image /d/z.iso", "present /d/y.iso",
          "present /d/x.iso" });
    // FAT tells no letter case apart: the same name twice is one file, wherever it comes from.
    row("same name twice in one drop", { "p/x.iso", "q/X.ISO" }, {}, "/", {},
        { "image /X.ISO", "present /x.iso" });
    // Names FAT or the boot choice cannot hold, in the file or its folder, and a folder where
    // the image would go (Windows itself refuses to make such files).
#ifdef Q_OS_UNIX
    row("names the stick refuses", { "what?.iso", "a:b/x.iso", "\u03A9mega.iso", "d.iso", "e.iso" },
        { "what?.iso", "a:b", "\u03A9mega.iso", "d.iso", "e.iso" }, "/", { "D.ISO/", "e.iso" },
        { "present /e.iso", "refused /d.iso", "refused /\u03A9mega.iso", "refused /what?.iso",
          "refused /a:b/x.iso" });
#endif
    row("boot records read", { "b.iso=boot", "c.iso" }, {}, "/", {},
        { "image /c.iso", "image /b.iso (boots)" });
#ifdef Q_OS_UNIX
    row("link loop", { "f/a.iso", "f/loop->..", "f/g/b.iso" }, { "f" }, "/", {},
        { "image /f/a.iso +1", "image /f/g/b.iso +1" });
#endif
}

void TestDropAdmission::plan()
{
    QFETCH(QStringList, source);
    QFETCH(QStringList, dropped);
    QFETCH(QString, dest);
    QFETCH(QStringList, device);
    QFETCH(QStringList, plan);
    QTemporaryDir src, stick;
    QStringList files;
    for (const QString &entry : source) {
        const QString name = entry.section('=', 0, 0);
        QVERIFY(TreeRows::lay(src.path(), { name }));
        if (entry.endsWith("=boot"))
            QVERIFY(TestEnv::writeBootable(src.filePath(name)));
        else if (entry.contains('='))
            QVERIFY(QFile::resize(src.filePath(name), entry.section('=', 1).toLongLong()));
        files << src.filePath(name.section('|', 0, 0));
    }
    if (!dropped.isEmpty())
        files.clear();
    for (const QString &name : dropped)
        files << src.filePath(name);
    const QStringList queued { device.removeAll("QUEUED") ? "/D/Q.iso" : "/elsewhere.iso" };
    QVERIFY(TreeRows::lay(stick.path(), device));
    const std::atomic<bool> keepGoing { false }, abort { true };
    const auto planned
        = DropAdmission::plan(stick.path() + "/", DeviceFolder(dest), files, keepGoing, {}, queued);
    QVERIFY(planned);
    QCOMPARE(describe(*planned), plan);
    // An abort leaves no plan at all.
    QVERIFY(!DropAdmission::plan(stick.path() + "/", DeviceFolder(dest), files, abort));
}

void TestDropAdmission::decide_data()
{
    QTest::addColumn<QString>("kinds"); // of x0.iso, x1.iso, ...: Image, Present, too Large,
                                        // Other file, Not a regular file, Refused name
    QTest::addColumn<int>("free"); // bytes on the device in clusters of 10; -1: not known
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("accepted"); // "none": the drop is abandoned
    const auto row = [](const char *name, const char *kinds, int free, QList<bool> answers,
                        QStringList asked, QStringList accepted) {
        QTest::newRow(name) << QString::fromLatin1(kinds) << free << answers << asked << accepted;
    };
    row("overwrite yes and no", "PP", -1, { true, false }, { "exists x0.iso", "exists x1.iso" },
        { "x0.iso" });
    // Small letters: images that will not boot; the first is no ISO 9660 image at all.
    row("will not boot: asked first, yes and no", "ipI", -1, { true, false },
        { "no ISO x0.iso", "no boot record x1.iso" }, { "x0.iso", "x2.iso" });
    row("too large or no file: told, left out", "LNI", -1, {},
        { "large x0.iso", "not a file x1.iso" }, { "x2.iso" });
    row("others asked once, images only", "OIO", -1, { true }, { "others" }, { "x1.iso" });
    row("others, copy nothing", "IPOI", -1, { true, false }, { "exists x1.iso", "others" },
        { "none" });
    // Each image is 45 bytes, 50 in clusters of 10; an image present takes 50 as well.
    row("names refused: told at once, in one message", "RIR", -1, {},
        { "refused x0.iso: why; x2.iso: why" }, { "x1.iso" });
    // A cluster stays free for the journal.
    row("room for both", "II", 110, {}, {}, { "x0.iso", "x1.iso" });
    row("an exact fit leaves no room for the journal", "II", 100, { false },
        { "no room in 100 for x1.iso" }, { "none" });
    row("one does not fit, copy the other", "III", 110, { true }, { "no room in 110 for x2.iso" },
        { "x0.iso", "x1.iso" });
    row("does not fit, copy nothing", "II", 60, { false }, { "no room in 60 for x1.iso" },
        { "none" });
    row("an overwrite gives its room back", "PI", 60, { true }, { "exists x0.iso" },
        { "x0.iso", "x1.iso" });
    row("no room for both: the old image goes first", "P", 20, { true },
        { "exists x0.iso (old goes first)" }, { "x0.iso first" });
}

void TestDropAdmission::decide()
{
    QFETCH(QString, kinds);
    QFETCH(int, free);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, accepted);
    DropAdmission::Plan plan { {}, free, 10 };
    for (int i = 0; i < kinds.size(); ++i)
        plan.items.append({ QStringLiteral("/src/x%1.iso").arg(i), DeviceFolder("/d"),
                            DropAdmission::Item::Kind(QStringLiteral("IPLONR").indexOf(kinds[i].toUpper())),
                            45, kinds[i].toUpper() == 'P' ? 50 : 0, kinds[i].isUpper(), i > 0,
                            "why", 0 });
    ScriptedPrompts prompts;
    prompts.answers = answers;
    const auto entries = DropAdmission::decide(plan, prompts);
    QCOMPARE(prompts.asked, asked);
    QStringList names;
    if (!entries)
        names << "none";
    for (const CopyEntry &entry : entries.value_or(QList<CopyEntry> {})) {
        QCOMPARE(entry.folder.path(), QStringLiteral("/d/"));
        names << QFileInfo(entry.sourceFile).fileName() + (entry.replaceFirst ? " first" : "");
    }
    QCOMPARE(names, accepted);
}

// Once the stick is pulled, no further question comes and nothing of the drop is copied.
void TestDropAdmission::pullEndsQuestions()
{
    DropAdmission::Plan plan { {}, -1, 10 };
    for (const char *name : { "a.iso", "b.iso" })
        plan.items.append({ name, DeviceFolder("/"), DropAdmission::Item::Kind::Present, 45, 50,
                            true, true, {}, 0 });
    ScriptedPrompts prompts;
    prompts.answers = { true, true };
    prompts.pulledAfter = 1;
    QVERIFY(!DropAdmission::decide(plan, prompts));
    QCOMPARE(prompts.asked, QStringList { "exists a.iso" });
}

void TestDropAdmission::refusal_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason"); // a part of it; empty: taken
    QTest::newRow("taken") << "/linux/Gr\u00F6\u00DFe 1.iso" << "";
    QTest::newRow("forbidden, with a fix")
        << "/linux/Ubuntu 24.04: LTS.iso" << "; \"Ubuntu 24.04_ LTS.iso\" would do";
    QTest::newRow("the folder at fault") << "/a?b/x.iso" << "its folder \"a?b\": a name";
    QTest::newRow("beyond Latin-1, no fix") << "/\u03A9mega.iso" << "(Latin-1) only";
    QTest::newRow("folder beyond Latin-1") << "/\u03A9/x.iso" << "its folder \"\u03A9\": the discwand is told";
    QTest::newRow("reserved by Windows") << "/NUL.iso" << "device (CON,";
    QTest::newRow("reserved folder, fixed") << "/aux/x.iso" << "; \"_aux\" would do";
}

void TestDropAdmission::refusal()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const QString got = DropAdmission::refusal(path);
    QVERIFY2(reason.isEmpty() ? got.isEmpty() : got.contains(reason), qPrintable(got));
}

// A folder's images are read on two threads from the folder's handle, names beyond ASCII
// too: each keeps its own header. Dropped again, the images changed meanwhile are read anew.
void TestDropAdmission::manyInAFolder()
{
    QTemporaryDir src;
    const auto name = [](int i) { return QStringLiteral("many/%1\u00f6.iso").arg(i); };
    QSet<int> boots { 0, 3, 6, 9 };
    for (int i = 0; i < 12; ++i) {
        QVERIFY(TreeRows::lay(src.path(), { name(i) }));
        if (boots.contains(i))
            QVERIFY(TestEnv::writeBootable(src.filePath(name(i))));
    }
    const auto planned = [&] {
        const std::atomic<bool> keepGoing { false };
        const auto plan
            = DropAdmission::plan({}, DeviceFolder("/"), { src.filePath("many") }, keepGoing);
        QStringList described = plan ? describe(*plan) : QStringList();
        described.sort(); // as the folder lists them
        return described;
    };
    const auto expected = [&] {
        QStringList lines;
        for (int i = 0; i < 12; ++i)
            lines << "image /" + name(i) + (boots.contains(i) ? " (boots)" : "");
        lines.sort();
        return lines;
    };
    QCOMPARE(planned(), expected());
    QVERIFY(TestEnv::writeBootable(src.filePath(name(1))));
    QVERIFY(QFile::resize(src.filePath(name(3)), 0));
    boots << 1;
    boots.remove(3);
    QCOMPARE(planned(), expected());
}

// An abort ends a drop without a plan, however far its examination off the GUI thread got.
void TestDropAdmission::examineOffThread()
{
    QTemporaryDir src;
    QVERIFY(TreeRows::lay(src.path(), { "big/a.iso", "b.txt" }));
    DropAdmission admission;
    QSignalSpy examined(&admission, &DropAdmission::examined);
    QSignalSpy aborted(&admission, &DropAdmission::aborted);
    admission.examine({}, DeviceFolder(), { src.filePath("big"), src.filePath("b.txt") });
    QVERIFY(admission.isBusy());
    admission.abort();
    QVERIFY(aborted.wait());
    QVERIFY(!admission.isBusy());
    QCOMPARE(examined.size(), 0);
}

// A source on a file system whose server stopped (a FAT volume through fusefat, held with
// SIGSTOP) holds the examination in stat: Abort and the destructor wait a bounded time only.
void TestDropAdmission::sourceStopsAnswering()
{
#ifdef Q_OS_UNIX
    QTemporaryDir tmp;
    const QString img = tmp.filePath("vol.img"), mnt = tmp.filePath("mnt");
    const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", { "/usr/sbin", "/sbin" });
    QVERIFY(TreeRows::lay(tmp.path(), { "a.iso", "vol.img", "mnt/" }) && QFile::resize(img, 4 << 20));
    if (mkfs.isEmpty() || QProcess::execute(mkfs, { img }) != 0
        || QProcess::execute("mcopy", { "-i", img, tmp.filePath("a.iso"), "::" }) != 0)
        QSKIP("needs mkfs.vfat and mtools");
    QProcess server;
    server.start("fusefat", { "-f", "-o", "ro", img, mnt });
    if (!server.waitForStarted()
        || !QTest::qWaitFor([&] {
               // Mounted is not yet serving: the file must be seen through it before it stops.
               return QStorageInfo(mnt).rootPath() == QDir(mnt).canonicalPath()
                   && QFileInfo::exists(mnt + "/a.iso");
           }))
        QSKIP("needs fusefat and FUSE");
    ::kill(pid_t(server.processId()), SIGSTOP);
    {
        DropAdmission aborting;
        QSignalSpy aborted(&aborting, &DropAdmission::aborted);
        aborting.examine({}, DeviceFolder(), { mnt + "/a.iso" });
        QTest::qWait(300); // one file takes a moment, unless it hangs
        QVERIFY(aborting.isBusy());
        aborting.abort();
        QVERIFY(aborted.wait(DropAdmission::stopWaitMs * 3));
        QVERIFY(!aborting.isBusy());
        DropAdmission closing;
        closing.examine({}, DeviceFolder(), { mnt + "/a.iso" });
        QTest::qWait(300);
        QVERIFY(closing.isBusy());
    } // the destructors return, leaving the examinations behind
    ::kill(pid_t(server.processId()), SIGCONT);
    QProcess::execute("fusermount", { "-u", "-z", mnt });
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished();
#else
    QSKIP("FUSE is for Unix");
#endif
}

QTEST_GUILESS_MAIN(TestDropAdmission)
#include "tst_dropadmission.moc"
