// Reading a device's folders and images: filters, order, nesting, split images with their sizes
// and parts, what interrupted copies left, unreadable folders and linked folders, image headers
// read again only when an image changed, and folders changed since the last listing seen.
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/isoheadercache.h"
#include "library/isolisting.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

// One line per row, two blanks of indent per level; folders end in "/", split images show their
// parts and size ("big.iso.0 (3 parts, 6 bytes)", "!" when broken); leftovers follow as
// "left: PATH". Each row's path on the device must be its folder's path and its name.
QStringList dump(const IsoListing &listing)
{
    QStringList out, folders { QString() };
    for (const IsoRow &row : listing.rows) {
        folders.resize(row.depth + 1);
        const bool folder = row.kind == IsoRow::Kind::Folder;
        const QString path = folders.last() + '/' + row.name;
        QString line = QString(row.depth * 2, ' ') + row.name + (folder ? "/" : "");
        if (row.isSplit())
            line += QStringLiteral(" (%1 parts, %2 bytes%3)")
                        .arg(row.parts).arg(row.size).arg(row.partsBroken ? "!" : "");
        out << line + (row.devicePath == path ? "" : " at " + row.devicePath);
        if (folder)
            folders << path;
    }
    for (const Leftover &left : listing.leftovers)
        out << "left: " + left.path;
    return out;
}

} // namespace

class TestIsoListing : public QObject
{
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void unreadableFolderListedEmpty();
    void headersKept_data();
    void headersKept();
    void relistingSeesChanges_data();
    void relistingSeesChanges();
};

void TestIsoListing::listing_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("empty root") << QStringList() << QStringList();
    // Parts are one byte each ("x"): a size of 3 is three parts, broken ones show "!".
    QTest::newRow("split parts") << QStringList { "big.iso.0", "big.iso.1", "big.iso.2" }
                                 << QStringList { "big.iso.0 (3 parts, 3 bytes)" };
    QTest::newRow("split, a part missing") << QStringList { "big.iso.0", "big.iso.2" }
                                           << QStringList { "big.iso.0 (2 parts, 2 bytes!)" };
    // "name@size" makes a sparse file of that size. Copies end their parts at 651 chunks and
    // put a short tail on the last, which may make it longer than part 0 but never the limit.
    QTest::newRow("split by a copy, last part longer than part 0")
        << QStringList { "big.iso.0@4095737856", "big.iso.1@4095737857" }
        << QStringList { "big.iso.0 (2 parts, 8191475713 bytes)" };
    QTest::newRow("split, last part over the limit")
        << QStringList { "big.iso.0@4095737856", "big.iso.1@4096000001" }
        << QStringList { "big.iso.0 (2 parts, 8191737857 bytes!)" };
    QTest::newRow("split, a middle part short")
        << QStringList { "big.iso.0@20", "big.iso.1@19", "big.iso.2@5" }
        << QStringList { "big.iso.0 (3 parts, 44 bytes!)" };
    QTest::newRow("case-insensitive filters, parts in another case")
        << QStringList { "DEMO.ISO", "Demo.Iso.0", "DEMO.ISO.1", "x.ISO.0", "notes.txt", "iso",
                         "a.isox" }
        << QStringList { "DEMO.ISO", "Demo.Iso.0 (2 parts, 2 bytes)", "x.ISO.0 (1 parts, 1 bytes)" };
    // Names apart only in letter case need a file system that keeps them apart.
#ifndef Q_OS_WIN
    QTest::newRow("natural order, case aside")
        << QStringList { "b.iso", "B.iso", "a.iso", "10.iso", "9.iso" }
        << QStringList { "9.iso", "10.iso", "a.iso", "B.iso", "b.iso" };
    QTest::newRow("folders first, natural order too")
        << QStringList { "z/", "a.iso", "m2/", "m10/", "Z/" }
        << QStringList { "m2/", "m10/", "Z/", "z/", "a.iso" };
#endif
    QTest::newRow("folder named like an image")
        << QStringList { "x.iso.0/", "y.iso/", "y.iso.0" }
        << QStringList { "x.iso.0/", "y.iso/", "y.iso.0 (1 parts, 1 bytes)" };
    QTest::newRow("nested folders, children stay with their folder")
        << QStringList { "a/1.iso", "a/b/2.iso", "a/b/c/", "a/3.iso.0", "d/4.iso", "5.iso" }
        << QStringList { "a/", "  b/", "    c/", "    2.iso", "  1.iso", "  3.iso.0 (1 parts, 1 bytes)",
                         "d/", "  4.iso", "5.iso" };
    // The device's own folder holds no images and is no place for them.
    QTest::newRow("empty folders, config left out")
        << QStringList { "empty/", "config/wandmenu.bin", "deep/er/", "deep/config/" }
        << QStringList { "deep/", "  config/", "  er/", "empty/" };
    QTest::newRow("what interrupted copies left")
        << QStringList { "a.iso", "d/.discshelf-1a2b3c4d.0", "d/.discshelf-1a2b3c4d.commit",
                         "old.iso.temp", ".other", "config/.iso_filename.txt.new" }
        << QStringList { "d/", "a.iso", "left: /config/.iso_filename.txt.new",
                         "left: /d/.discshelf-1a2b3c4d.0", "left: /d/.discshelf-1a2b3c4d.commit",
                         "left: /old.iso.temp" };
    QTest::newRow("hidden entries")
        << QStringList { ".hidden.iso", ".dir/in.iso", "seen/.also.iso", "seen/in.iso" }
        << QStringList { "seen/", "  in.iso" };
#ifdef Q_OS_UNIX
    QTest::newRow("links and special files")
        << QStringList { "real.iso", "link.iso->real.iso", "dead.iso->nowhere.iso",
                         "pipe.iso|fifo", "dir/a.iso", "dirlink->dir" }
        << QStringList { "dir/", "  a.iso", "dirlink/", "  a.iso", "link.iso", "real.iso" };
    // A link back up the tree is followed once, not for ever.
    QTest::newRow("link loop") << QStringList { "a/up->..", "a/x.iso" }
                               << QStringList { "a/", "  up/", "    a/", "      up/",
                                                "      x.iso", "  x.iso" };
#endif
}

void TestIsoListing::listing()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    QTemporaryDir device;
    QStringList names;
    for (const QString &entry : entries)
        names << entry.section('@', 0, 0);
    QVERIFY(TreeRows::lay(device.path(), names));
    for (const QString &entry : entries)
        if (entry.contains('@'))
            QVERIFY(QFile::resize(device.filePath(entry.section('@', 0, 0)),
                                  entry.section('@', 1).toLongLong()));
    QStringList got = dump(IsoListing::read(device.path() + '/'));
    // Leftovers come in the order the folders are read, which the file system decides.
    std::sort(std::find_if(got.begin(), got.end(), [](const QString &l) { return l.startsWith("left"); }),
              got.end());
    QCOMPARE(got, rows);
}

void TestIsoListing::unreadableFolderListedEmpty()
{
#ifndef Q_OS_LINUX
    QSKIP("Folder permissions are set with POSIX calls.");
#else
    QTemporaryDir device;
    const QString root = device.path() + '/';
    QVERIFY(TreeRows::lay(root, { "locked/in.iso", "locked/sub/", "open/in.iso" }));
    const QByteArray locked = QFile::encodeName(root + "locked");
    QVERIFY(chmod(locked.constData(), 0) == 0);
    const auto restore = qScopeGuard([&] { chmod(locked.constData(), 0700); });
    // Root reads any folder; as an unprivileged file-system user (this thread only) it does not,
    // once the folder holding the device root is open to that user.
    const bool root0 = geteuid() == 0;
    if (root0) {
        QVERIFY(chmod(QFile::encodeName(device.path()), 0755) == 0);
        setfsuid(65534);
    }
    const auto back = qScopeGuard([root0] {
        if (root0)
            setfsuid(0);
    });
    if (!QDir(QFile::decodeName(locked)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty())
        QSKIP("Folder permissions are not enforced for this user here.");
    QCOMPARE(dump(IsoListing::read(root)), (QStringList { "locked/", "open/", "  in.iso" }));
#endif
}

void TestIsoListing::headersKept_data()
{
    QTest::addColumn<QString>("change"); // made after the first listing, besides the label
    QTest::addColumn<QString>("label");  // in the second listing
    QTest::newRow("nothing else") << "" << "OLD";
    QTest::newRow("later time") << "time" << "NEW";
    QTest::newRow("other size") << "size" << "NEW";
    QTest::newRow("copied in place") << "copy" << "NEW";
}

// The label is changed in place with the modification time put back: only what the cache keys
// on, or a copy into the folder, makes the listing read the header again.
void TestIsoListing::headersKept()
{
    QFETCH(QString, change);
    QFETCH(QString, label);
    QTemporaryDir device;
    const QString root = device.path() + '/', path = root + "linux/a.iso";
    QByteArray bytes(19 * 2048, 0);
    TestEnv::stampBootable(bytes);
    QVERIFY(TestEnv::writeFile(path, bytes.replace(16 * 2048 + 40, 32, QByteArray("OLD").leftJustified(32))));
    QCOMPARE(IsoListing::read(root).rows.at(1).info.label, QStringLiteral("OLD"));
    QFile file(path);
    const QDateTime when = QFileInfo(path).lastModified();
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && file.seek(16 * 2048 + 40) && file.write("NEW") == 3);
    if (change == "size")
        QVERIFY(file.resize(bytes.size() + 1));
    QVERIFY(file.setFileTime(change == "time" ? when.addSecs(2) : when, QFileDevice::FileModificationTime));
    file.close();
    if (change == "copy")
        IsoHeaderCache::forgetBelow(root + "linux");
    // A listing that leaves the headers for later gives the cached one at once.
    IsoListing later = IsoListing::read(root, IsoListing::Headers::Later);
    const bool cached = label == "OLD";
    QCOMPARE(later.rows.at(1).headerRead, cached);
    QCOMPARE(later.rows.at(1).info.label, cached ? label : QString());
    later.readHeaders();
    QCOMPARE(later.rows.at(1).info.label, label);
    QVERIFY(later.rows == IsoListing::read(root).rows);
}

void TestIsoListing::relistingSeesChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("listed");
    const QString old = "  old/", image = "  a.iso.0 (2 parts, 20 bytes)";
    QTest::newRow("nothing") << "" << QStringList { "linux/", old, image };
    QTest::newRow("image added") << "add" << QStringList { "linux/", old, image, "  b.iso" };
    QTest::newRow("added, date put back")
        << "add back" << QStringList { "linux/", old, image, "  b.iso" };
    QTest::newRow("removed, date put back") << "remove back" << QStringList { "linux/", old };
    QTest::newRow("folder renamed, date put back")
        << "rename back" << QStringList { "linux/", "  new/", image };
    QTest::newRow("part grown")
        << "grow" << QStringList { "linux/", old, "  a.iso.0 (2 parts, 25 bytes)" };
}

// Folders dated an hour back, so that what is known of them is kept; another program then
// changes one, at times putting its date back as it was.
void TestIsoListing::relistingSeesChanges()
{
#ifdef Q_OS_LINUX
    QFETCH(QString, change);
    QFETCH(QStringList, listed);
    QTemporaryDir device;
    const QString root = device.path() + '/', folder = root + "linux";
    QVERIFY(QDir().mkpath(folder + "/old"));
    QVERIFY(TestEnv::writeFile(folder + "/a.iso.0", QByteArray(10, 'x')));
    QVERIFY(TestEnv::writeFile(folder + "/a.iso.1", QByteArray(10, 'x')));
    const timespec before[2] = { { 0, UTIME_OMIT }, { time(nullptr) - 3600, 0 } };
    const auto dateBack = [&](const QString &dir) {
        return utimensat(AT_FDCWD, QFile::encodeName(dir).constData(), before, 0) == 0;
    };
    QVERIFY(dateBack(folder) && dateBack(folder + "/old"));
    QCOMPARE(dump(IsoListing::read(root)),
             (QStringList { "linux/", "  old/", "  a.iso.0 (2 parts, 20 bytes)" }));
    if (change.startsWith("add"))
        QVERIFY(TestEnv::writeFile(folder + "/b.iso", "b"));
    if (change.startsWith("remove"))
        QVERIFY(QFile::remove(folder + "/a.iso.0") && QFile::remove(folder + "/a.iso.1"));
    if (change.startsWith("rename"))
        QVERIFY(QDir(folder).rename("old", "new"));
    if (change == "grow") {
        QFile part(folder + "/a.iso.1");
        QVERIFY(part.open(QIODevice::Append) && part.write("12345") == 5);
    }
    if (change.endsWith("back"))
        QVERIFY(dateBack(folder));
    QCOMPARE(dump(IsoListing::read(root)), listed);
#else
    QSKIP("Folders' stamps are trusted on Linux only");
#endif
}

QTEST_GUILESS_MAIN(TestIsoListing)
#include "tst_isolisting.moc"
