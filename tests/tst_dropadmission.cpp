// Examining a drop: what each dropped or found file is, where it goes on the device, in which
// order, and which questions follow with what answers queued.
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/admissionprompts.h"
#include "copy/dropadmission.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "kind folder name" for each item of a plan, in its order.
QStringList describe(const DropAdmission::Plan &plan)
{
    static const char *const kinds[] = { "image", "present", "too large", "other", "not a file" };
    QStringList out;
    for (const DropAdmission::Item &item : plan.items)
        out << QStringLiteral("%1 %2%3")
                   .arg(QLatin1String(kinds[int(item.kind)]), item.folder.path(),
                        QFileInfo(item.sourceFile).fileName())
                   + (item.willBoot && item.kind <= DropAdmission::Item::Kind::Present ? " (boots)" : "");
    return out;
}

// Answers from a script and records what was asked ("large x.iso", "exists x.iso", "others").
class ScriptedPrompts : public AdmissionPrompts
{
public:
    explicit ScriptedPrompts(QList<bool> answers) : answers(std::move(answers)) {}
    void tooLarge(const QString &name) override { asked << "large " + name; }
    void notRegular(const QString &name) override { asked << "not a file " + name; }
    bool willNotBoot(const QString &name, bool iso9660) override
    {
        return next((iso9660 ? "no boot record " : "no ISO ") + name);
    }
    bool overwrite(const QString &name, bool removeFirst) override
    {
        return next("exists " + name + (removeFirst ? " (old goes first)" : ""));
    }
    bool copyWhatFits(const QStringList &names, qint64 free) override
    {
        return next(QStringLiteral("no room in %1 for ").arg(free) + names.join(','));
    }
    bool imagesOnly() override { return next(QStringLiteral("others")); }
    QStringList asked;

private:
    bool next(const QString &question)
    {
        asked << question;
        return !answers.isEmpty() && answers.takeFirst();
    }
    QList<bool> answers;
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
    void examineOffThread();
};

void TestDropAdmission::plan_data()
{
    QTest::addColumn<QStringList>("source"); // laid out below src/; "name=SIZE" makes it sparse
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<QStringList>("plan");
    const QStringList abc { "a.iso", "b.iso", "c.iso" };
    QTest::newRow("last dropped first") << abc << abc << "/"
                                        << QStringList {}
                                        << QStringList { "image /c.iso", "image /b.iso", "image /a.iso" };
    QTest::newRow("folder keeps its place")
        << QStringList { "folder/x.iso", "folder/sub/y.iso" } << QStringList { "folder" }
        << "/linux/" << QStringList {}
        << QStringList { "image /linux/folder/x.iso", "image /linux/folder/sub/y.iso" };
    QTest::newRow("files from two folders land together")
        << QStringList { "p/a.iso", "q/r/b.iso" } << QStringList { "p/a.iso", "q/r/b.iso" } << "/t"
        << QStringList {} << QStringList { "image /t/b.iso", "image /t/a.iso" };
    QTest::newRow("other files, suffix in capitals, numbered part")
        << QStringList { "a.iso", "notes.txt", "disc.ISO", "disc.iso.0" }
        << QStringList { "a.iso", "notes.txt", "disc.ISO", "disc.iso.0" } << "/" << QStringList {}
        << QStringList { "other /disc.iso.0", "image /disc.ISO", "other /notes.txt", "image /a.iso" };
    QTest::newRow("present whole or split")
        << QStringList { "x.iso", "y.iso", "z.iso" } << QStringList { "x.iso", "y.iso", "z.iso" }
        << "/d/" << QStringList { "d/x.iso", "d/y.iso.0", "z.iso" }
        << QStringList { "image /d/z.iso", "present /d/y.iso", "present /d/x.iso" };
    // FAT tells no letter case apart: the same name twice is one file, wherever it comes from.
    QTest::newRow("same name twice in one drop")
        << QStringList { "p/x.iso", "q/X.ISO" } << QStringList { "p/x.iso", "q/X.ISO" } << "/"
        << QStringList {} << QStringList { "image /X.ISO", "present /x.iso" };
    QTest::newRow("on the device in another case, or queued")
        << QStringList { "a.iso", "q.iso" } << QStringList { "a.iso", "q.iso" } << "/d"
        << QStringList { "d/A.ISO.0", "QUEUED" } << QStringList { "present /d/q.iso", "present /d/a.iso" };
    QTest::newRow("size limit") << QStringList { "at.iso=40960000000", "over.iso=40960000001" }
                                << QStringList { "at.iso", "over.iso" } << "/"
                                << QStringList { "over.iso" }
                                << QStringList { "too large /over.iso", "image /at.iso" };
    QTest::newRow("boot records read") << QStringList { "b.iso=boot", "c.iso" }
                                       << QStringList { "b.iso", "c.iso" } << "/" << QStringList {}
                                       << QStringList { "image /c.iso", "image /b.iso (boots)" };
    // A pipe would hold the copy up for ever; only ordinary files are images.
    QTest::newRow("pipe named like an image") << QStringList { "p.iso|fifo", "q.iso" }
                                              << QStringList { "p.iso", "q.iso" } << "/"
                                              << QStringList {}
                                              << QStringList { "image /q.iso", "not a file /p.iso" };
    QTest::newRow("link loop") << QStringList { "f/a.iso", "f/loop->..", "f/g/b.iso" }
                               << QStringList { "f" } << "/" << QStringList {}
                               << QStringList { "image /f/a.iso", "image /f/g/b.iso" };
}

void TestDropAdmission::plan()
{
    QFETCH(QStringList, source);
    QFETCH(QStringList, dropped);
    QFETCH(QString, dest);
    QFETCH(QStringList, device);
    QFETCH(QStringList, plan);
    QTemporaryDir src, stick;
    for (const QString &entry : source) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        QVERIFY(TreeRows::lay(src.path(), { name }));
        if (entry.endsWith("=boot")) {
            QByteArray bytes(19 * 2048, 0);
            TestEnv::stampBootable(bytes);
            QFile file(src.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        } else if (entry.contains(QLatin1Char('=')))
            QVERIFY(QFile::resize(src.filePath(name), entry.section(QLatin1Char('='), 1).toLongLong()));
    }
    // "QUEUED" stands for the copies waiting in the queue.
    const QStringList queued { device.contains("QUEUED") ? "/D/Q.iso" : "/elsewhere.iso" };
    device.removeAll("QUEUED");
    QVERIFY(TreeRows::lay(stick.path(), device));
    QStringList files;
    for (const QString &name : dropped)
        files << src.filePath(name);
    const std::atomic<bool> keepGoing { false };
    const auto planned
        = DropAdmission::plan(stick.path() + "/", DeviceFolder(dest), files, keepGoing, {}, queued);
    QVERIFY(planned);
    QCOMPARE(describe(*planned), plan);

    // Without a device nothing counts as present; an abort leaves no plan at all.
    const auto noDevice = DropAdmission::plan({}, DeviceFolder(dest), files, keepGoing);
    QVERIFY(noDevice);
    QVERIFY(!describe(*noDevice).join(',').contains("present") || dropped.contains("q/X.ISO"));
    const std::atomic<bool> abort { true };
    QVERIFY(!DropAdmission::plan(stick.path() + "/", DeviceFolder(dest), files, abort));
}

void TestDropAdmission::decide_data()
{
    QTest::addColumn<QList<int>>("kinds"); // of x0.iso, x1.iso, ...
    QTest::addColumn<int>("free"); // bytes on the device in clusters of 10; -1: not known
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("accepted"); // "none": the drop is abandoned
    using K = DropAdmission::Item::Kind;
    const int image = int(K::Image), present = int(K::Present), large = int(K::TooLarge),
              other = int(K::NotImage), pipe = int(K::NotRegular);
    QTest::newRow("images") << QList<int> { image, image } << -1 << QList<bool> {} << QStringList {}
                            << QStringList { "x0.iso", "x1.iso" };
    QTest::newRow("overwrite yes and no")
        << QList<int> { present, present } << -1 << QList<bool> { true, false }
        << QStringList { "exists x0.iso", "exists x1.iso" } << QStringList { "x0.iso" };
    QTest::newRow("will not boot: asked first, yes and no")
        << QList<int> { 100 + image, 100 + present, image } << -1 << QList<bool> { true, false }
        << QStringList { "no ISO x0.iso", "no boot record x1.iso" } << QStringList { "x0.iso", "x2.iso" };
    QTest::newRow("too large or no file: told, left out")
        << QList<int> { large, pipe, image } << -1 << QList<bool> {}
        << QStringList { "large x0.iso", "not a file x1.iso" } << QStringList { "x2.iso" };
    QTest::newRow("others asked once, images only")
        << QList<int> { other, image, other } << -1 << QList<bool> { true } << QStringList { "others" }
        << QStringList { "x1.iso" };
    QTest::newRow("others, copy nothing")
        << QList<int> { image, present, other, image } << -1 << QList<bool> { true, false }
        << QStringList { "exists x1.iso", "others" } << QStringList { "none" };
    // Each image is 45 bytes, 50 in clusters of 10; an image present takes 50 as well.
    QTest::newRow("room for both") << QList<int> { image, image } << 100 << QList<bool> {}
                                   << QStringList {} << QStringList { "x0.iso", "x1.iso" };
    QTest::newRow("one does not fit, copy the other")
        << QList<int> { image, image, image } << 100 << QList<bool> { true }
        << QStringList { "no room in 100 for x2.iso" } << QStringList { "x0.iso", "x1.iso" };
    QTest::newRow("does not fit, copy nothing") << QList<int> { image, image } << 60
                                                << QList<bool> { false }
                                                << QStringList { "no room in 60 for x1.iso" }
                                                << QStringList { "none" };
    QTest::newRow("an overwrite gives its room back")
        << QList<int> { present, image } << 60 << QList<bool> { true } << QStringList { "exists x0.iso" }
        << QStringList { "x0.iso", "x1.iso" };
    QTest::newRow("no room for both: the old image goes first")
        << QList<int> { present } << 20 << QList<bool> { true }
        << QStringList { "exists x0.iso (old goes first)" } << QStringList { "x0.iso first" };
}

void TestDropAdmission::decide()
{
    QFETCH(QList<int>, kinds);
    QFETCH(int, free);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, accepted);
    DropAdmission::Plan plan { {}, free, 10 };
    for (int i = 0; i < kinds.size(); ++i) {
        // Kinds from 100 on are images that will not boot; the first of them is no ISO at all.
        const auto kind = DropAdmission::Item::Kind(kinds.at(i) % 100);
        plan.items.append({ QStringLiteral("/src/x%1.iso").arg(i), DeviceFolder("/d"), kind, 45,
                            kind == DropAdmission::Item::Kind::Present ? 50 : 0, kinds.at(i) < 100,
                            i > 0 });
    }
    ScriptedPrompts prompts(answers);
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

void TestDropAdmission::examineOffThread()
{
    QTemporaryDir src;
    QVERIFY(TreeRows::lay(src.path(), { "big/a.iso", "b.txt" }));
    const QStringList files { src.filePath("big"), src.filePath("b.txt") };
    DropAdmission admission;
    QSignalSpy examined(&admission, &DropAdmission::examined);
    QSignalSpy aborted(&admission, &DropAdmission::aborted);
    admission.examine({}, DeviceFolder("/to"), files);
    QVERIFY(admission.isBusy());
    QVERIFY(examined.wait());
    QVERIFY(!admission.isBusy());
    QCOMPARE(describe(examined.at(0).at(0).value<DropAdmission::Plan>()),
             (QStringList { "other /to/b.txt", "image /to/big/a.iso" }));

    // An abort ends the drop without a plan, however far the examination got.
    admission.examine({}, DeviceFolder(), files);
    admission.abort();
    QVERIFY(aborted.wait());
    QCOMPARE(examined.size(), 1);
}

QTEST_GUILESS_MAIN(TestDropAdmission)
#include "tst_dropadmission.moc"
