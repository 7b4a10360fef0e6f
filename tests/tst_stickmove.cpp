// Renames and moves on the stick: every file of an image or none, the boot choice following,
// names FAT refuses refused before anything changes, a move stopped at any step finished by the
// stick check; folders deleted with what they hold, and folder paths made.
#include "common/testenv.h"
#include "copy/imagerecord.h"
#include "detect/devicefolder.h"
#include "library/folderdeletion.h"
#include "library/isolisting.h"
#include "library/newfolder.h"
#include "library/stickcheck.h"
#include "library/stickmove.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Problem = StickMove::Problem;
Q_DECLARE_METATYPE(StickMove::Problem)
Q_DECLARE_METATYPE(NewFolder::Problem)

namespace {

// Lays "path:size" files (a path ending in "/" is a folder) below root.
bool lay(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = entry.section(':', 0, 0);
        if (path.endsWith('/')
                ? !QDir().mkpath(root + path)
                : !TestEnv::writeFile(root + path, QByteArray(entry.section(':', 1).toInt(), 'x')))
            return false;
    }
    return true;
}

// Every file below root with its size, hidden ones too, the boot choice aside.
QStringList files(const QString &root)
{
    QStringList out;
    for (const QString &path : TestEnv::entriesBelow(root, QDir::Files | QDir::Hidden))
        if (!path.startsWith("config/"))
            out << path + ':' + QString::number(QFileInfo(root + path).size());
    return out;
}

const QStringList stick { "big.iso.0:4", "big.iso.1:2",     "a.iso:3",    "b.iso:1",
                          "c.iso.0:5",   "linux/deb.iso:6", "linux/sub/", "tools/x.iso:7" };

} // namespace

class TestStickMove : public QObject
{
    Q_OBJECT
private slots:
    void move_data();
    void move();
    void stoppedMove_data();
    void stoppedMove();
    void deleteFolder();
    void makePath_data();
    void makePath();
};

void TestStickMove::move_data()
{
    QTest::addColumn<QString>("boot");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("newName"); // a rename, or "into FOLDER" for a move
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<QStringList>("after"); // files changed: "old>new"
    QTest::addColumn<QString>("bootAfter");

    QTest::newRow("split boot image renamed, every part")
        << "/big.iso"
        << "/big.iso.0"
        << "Huge.iso" << Problem::None
        << QStringList { "big.iso.0>Huge.iso.0", "big.iso.1>Huge.iso.1" } << "/Huge.iso";
    QTest::newRow("split image moved into a folder below")
        << "/linux/deb.iso"
        << "/big.iso.0"
        << "into /linux/sub" << Problem::None
        << QStringList { "big.iso.0>linux/sub/big.iso.0", "big.iso.1>linux/sub/big.iso.1" }
        << "/linux/deb.iso";
    QTest::newRow("image moved up to the top")
        << "/tools/x.iso"
        << "/tools/x.iso"
        << "into /" << Problem::None << QStringList { "tools/x.iso>x.iso" } << "/x.iso";
    QTest::newRow("folder moved, the boot choice through it follows")
        << "/LINUX/deb.iso"
        << "/linux"
        << "into /tools" << Problem::None << QStringList { "linux/deb.iso>tools/linux/deb.iso" }
        << "/tools/linux/deb.iso";
    QTest::newRow("folder renamed")
        << ""
        << "/tools"
        << "Werkzeug" << Problem::None << QStringList { "tools/x.iso>Werkzeug/x.iso" } << "";
    QTest::newRow("letter case only")
        << "/a.iso"
        << "/a.iso"
        << "A.iso" << Problem::None << QStringList { "a.iso>A.iso" } << "/A.iso";

    QTest::newRow("forbidden character") << ""
                                         << "/a.iso"
                                         << "a:b.iso" << Problem::BadName << QStringList() << "";
    QTest::newRow("reserved name") << ""
                                   << "/a.iso"
                                   << "Con.iso" << Problem::BadName << QStringList() << "";
    QTest::newRow("trailing dot") << ""
                                  << "/linux"
                                  << "old." << Problem::BadName << QStringList() << "";
    QTest::newRow("no longer an image") << ""
                                        << "/a.iso"
                                        << "a.img" << Problem::NotIsoName << QStringList() << "";
    QTest::newRow("taken in another case") << ""
                                           << "/a.iso"
                                           << "B.ISO" << Problem::Exists << QStringList() << "";
    QTest::newRow("taken by another image's parts")
        << ""
        << "/a.iso"
        << "C.iso" << Problem::Exists << QStringList() << "";
    QTest::newRow("onto a folder's name") << ""
                                          << "/tools"
                                          << "LINUX" << Problem::Exists << QStringList() << "";
    QTest::newRow("folder into itself")
        << ""
        << "/linux"
        << "into /linux/sub" << Problem::IntoItself << QStringList() << "";
    QTest::newRow("into config") << ""
                                 << "/a.iso"
                                 << "into /config" << Problem::Config << QStringList() << "";
    QTest::newRow("into nowhere") << ""
                                  << "/a.iso"
                                  << "into /nowhere" << Problem::NoFolder << QStringList() << "";
    QTest::newRow("not there") << ""
                               << "/gone.iso"
                               << "g.iso" << Problem::NotFound << QStringList() << "";
    QTest::newRow("boot image to a name the device cannot be told")
        << "/big.iso"
        << "/big.iso.0" << QString::fromUtf8("Ωmega.iso") << Problem::NotLatin1 << QStringList()
        << "/big.iso";
}

void TestStickMove::move()
{
    QFETCH(QString, boot);
    QFETCH(QString, path);
    QFETCH(QString, newName);
    QFETCH(Problem, problem);
    QFETCH(QStringList, after);
    QFETCH(QString, bootAfter);
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    QVERIFY(lay(root, stick));
    QVERIFY(TestEnv::writeFile(root + "config/iso_filename.txt", boot.toLatin1()));
    QStringList expected = files(root);
    for (const QString &change : after) {
        const auto it = std::find_if(expected.begin(), expected.end(), [&](const QString &file) {
            return file.startsWith(change.section('>', 0, 0) + ':');
        });
        QVERIFY(it != expected.end());
        *it = change.section('>', 1) + ':' + it->section(':', 1);
    }
    expected.sort();

    const StickMove::Plan plan = newName.startsWith("into ")
        ? StickMove::movePlan(root, path, newName.mid(5))
        : StickMove::renamePlan(root, path, newName);
    QCOMPARE(plan.problem, problem);
    QCOMPARE(StickMove::run(root, plan), problem);
    if (problem != Problem::None)
        QVERIFY(!StickMove::reason(plan).isEmpty());
    QCOMPARE(files(root), expected);
    QCOMPARE(TestEnv::readFile(root + "config/iso_filename.txt"), bootAfter.toLatin1());
    // A folder moved goes whole, its empty folders too.
    if (plan.folder && problem == Problem::None) {
        QVERIFY(!QFileInfo::exists(root + path));
        QVERIFY(QFileInfo(root + plan.to + (path == "/linux" ? "/sub" : "")).isDir());
    }
}

void TestStickMove::stoppedMove_data()
{
    QTest::addColumn<QString>("newName"); // as in move()
    QTest::addColumn<int>("renamed"); // renames done before the stop; -1: the journal torn
    QTest::addColumn<QStringList>("after"); // the image's files afterwards
    QTest::addColumn<QString>("bootAfter");
    const QStringList moved { "tools/big.iso.0", "tools/big.iso.1" };
    const QStringList kept { "big.iso.0", "big.iso.1" };
    QTest::newRow("journal torn") << "into /tools" << -1 << kept << "/big.iso";
    QTest::newRow("before the first rename") << "into /tools" << 0 << moved << "/tools/big.iso";
    QTest::newRow("after part 0") << "into /tools" << 1 << moved << "/tools/big.iso";
    QTest::newRow("after both parts") << "into /tools" << 2 << moved << "/tools/big.iso";
    // Each file passes through a name of the journal's on its way to another letter case.
    QTest::newRow("letter case, part 0 passing")
        << "BIG.iso" << 1 << QStringList { "BIG.iso.0", "BIG.iso.1" } << "/BIG.iso";
    QTest::newRow("letter case, part 0 through")
        << "BIG.iso" << 2 << QStringList { "BIG.iso.0", "BIG.iso.1" } << "/BIG.iso";
}

void TestStickMove::stoppedMove()
{
    QFETCH(QString, newName);
    QFETCH(int, renamed);
    QFETCH(QStringList, after);
    QFETCH(QString, bootAfter);
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    QVERIFY(lay(root, stick));
    QVERIFY(TestEnv::writeFile(root + "config/iso_filename.txt", "/big.iso"));
    QVERIFY(ImageRecord::put(root, { "/big.iso", 6, 2, QByteArray(64, 'a'), 0, {}, {} }));
    const StickMove::Plan plan = newName.startsWith("into ")
        ? StickMove::movePlan(root, "/big.iso.0", newName.mid(5))
        : StickMove::renamePlan(root, "/big.iso.0", newName);
    QCOMPARE(plan.problem, Problem::None);
    const QString journal = plan.journal.path;
    QVERIFY(plan.journal.write(journal));
    if (renamed < 0)
        QVERIFY(QFile::resize(journal, QFileInfo(journal).size() - 2));
    for (int i = 0; i < renamed; ++i)
        QVERIFY(QFile::rename(root + plan.journal.steps.at(i).from,
                              root + plan.journal.steps.at(i).to));

    // The stick check reports the journal and its repair sees the move through.
    StickStatus status;
    status.root = root;
    status.bootImage = StickStatus::readBootImage(root);
    const QList<StickProblem> found = StickCheck::find(IsoListing::read(root), status);
    const auto left = std::find_if(found.begin(), found.end(), [](const StickProblem &problem) {
        return problem.kind == StickProblem::Kind::Leftover;
    });
    QVERIFY(left != found.end());
    // Half moved, the image is the journal's: no broken parts for a repair to remove.
    for (const StickProblem &problem : found)
        QVERIFY2(problem.kind != StickProblem::Kind::BrokenImage
                     && problem.kind != StickProblem::Kind::BootImageMissing,
                 qPrintable(problem.text));
    QVERIFY(left->text.endsWith("interrupted move"));
    QVERIFY(StickCheck::remove(root, *left));
    QVERIFY(!QFile::exists(journal));
    QStringList files;
    for (const QString &file : TestEnv::entriesBelow(root, QDir::Files | QDir::Hidden))
        if (file.contains("big.iso", Qt::CaseInsensitive) || file.contains(".discshelf"))
            files << file;
    QCOMPARE(files, after);
    QCOMPARE(TestEnv::readFile(root + "config/iso_filename.txt"), bootAfter.toLatin1());
    // The record follows the image wherever the move left it, as the choice does.
    const QList<RecordedImage> recorded = ImageRecord::read(root);
    QCOMPARE(recorded.size(), 1);
    QCOMPARE(recorded.first().path, bootAfter);
}

void TestStickMove::deleteFolder()
{
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    QVERIFY(lay(root,
                stick
                    + QStringList { "linux/sub/z.iso.0:2", "linux/sub/z.iso.1:1",
                                    "linux/sub/notes.txt:9" }));
    QVERIFY(TestEnv::writeFile(root + "config/iso_filename.txt", "/Linux/deb.iso"));
    for (const char *image : { "/linux/sub/z.iso", "/tools/x.iso" })
        QVERIFY(ImageRecord::put(root, { image, 3, 1, QByteArray(64, 'a'), 0, {}, {} }));
    const FolderDeletion::Plan plan = FolderDeletion::plan(root, "/linux");
    QVERIFY(plan.found);
    QCOMPARE(plan.images, QStringList({ "/linux/deb.iso", "/linux/sub/z.iso" }));
    QCOMPARE(plan.files, 4);
    QCOMPARE(plan.bytes, qint64(18));
    QCOMPARE(plan.bootImage, QString("/Linux/deb.iso"));
    QVERIFY(!plan.busy);
    QCOMPARE(FolderDeletion::remove(root, plan), QStringList());
    QVERIFY(!QFileInfo::exists(root + "linux"));
    QVERIFY(QFileInfo::exists(root + "tools/x.iso"));
    const QList<RecordedImage> recorded = ImageRecord::read(root);
    QCOMPARE(recorded.size(), 1);
    QCOMPARE(recorded.first().path, QString("/tools/x.iso"));
    QVERIFY(!FolderDeletion::plan(root, "/config").found);
    QVERIFY(!FolderDeletion::plan(root, "/").found);
}

void TestStickMove::makePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<NewFolder::Problem>("problem");
    QTest::addColumn<QStringList>("made");
    QTest::newRow("two new below one there") << "/linux/new/deeper" << NewFolder::Problem::None
                                             << QStringList { "linux/new/", "linux/new/deeper/" };
    QTest::newRow("there already") << "/linux/sub" << NewFolder::Problem::None << QStringList();
    QTest::newRow("a file in the way") << "/a.iso/x" << NewFolder::Problem::Exists << QStringList();
    QTest::newRow("a bad name further down, nothing made")
        << "/new/bad?" << NewFolder::Problem::ForbiddenCharacter << QStringList();
}

void TestStickMove::makePath()
{
    QFETCH(QString, path);
    QFETCH(NewFolder::Problem, problem);
    QFETCH(QStringList, made);
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    QVERIFY(lay(root, stick));
    QStringList expected = TestEnv::entriesBelow(root, QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(NewFolder::makePath(root, DeviceFolder(path)), problem);
    for (const QString &folder : made)
        expected << folder.chopped(1);
    expected.sort();
    QCOMPARE(TestEnv::entriesBelow(root, QDir::Dirs | QDir::NoDotAndDotDot), expected);
}

QTEST_GUILESS_MAIN(TestStickMove)
#include "tst_stickmove.moc"
