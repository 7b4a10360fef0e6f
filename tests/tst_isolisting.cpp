// Reading a device's folders and images: filters, order, nesting, split images, unreadable
// folders and linked folders.
#include "common/treerows.h"
#include "library/isolisting.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line per row, two blanks of indent per level; folders end in "/", split images in "*".
// Each row's path on the device must be its folder's path and its name.
QStringList dump(const QList<IsoRow> &rows)
{
    QStringList out, folders { QString() };
    for (const IsoRow &row : rows) {
        folders.resize(row.depth + 1);
        const bool folder = row.kind == IsoRow::Kind::Folder;
        const QString path = folders.last() + '/' + row.name;
        out << QString(row.depth * 2, ' ') + row.name + (folder ? "/" : row.isSplit() ? "*" : "")
                + (row.devicePath == path ? "" : " at " + row.devicePath);
        if (folder)
            folders << path;
    }
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
};

void TestIsoListing::listing_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("empty root") << QStringList() << QStringList();
    QTest::newRow("split parts") << QStringList { "big.iso.0", "big.iso.1", "big.iso.2" }
                                 << QStringList { "big.iso.0*" };
    QTest::newRow("case-insensitive filters")
        << QStringList { "DEMO.ISO", "Demo.Iso.0", "x.ISO.0", "notes.txt", "a.iso.1", "a.iso.temp",
                         "iso", "a.isox" }
        << QStringList { "DEMO.ISO", "Demo.Iso.0*", "x.ISO.0*" };
    QTest::newRow("by character code")
        << QStringList { "b.iso", "B.iso", "é.iso", "10.iso", "9.iso", "É.iso" }
        << QStringList { "10.iso", "9.iso", "B.iso", "b.iso", "É.iso", "é.iso" };
    QTest::newRow("folders first, by character code too")
        << QStringList { "z/", "a.iso", "m/", "Z/" } << QStringList { "Z/", "m/", "z/", "a.iso" };
    QTest::newRow("folder named like an image")
        << QStringList { "x.iso.0/", "y.iso/", "y.iso.0" }
        << QStringList { "x.iso.0/", "y.iso/", "y.iso.0*" };
    QTest::newRow("nested folders, children stay with their folder")
        << QStringList { "a/1.iso", "a/b/2.iso", "a/b/c/", "a/3.iso.0", "d/4.iso", "5.iso" }
        << QStringList { "a/", "  b/", "    c/", "    2.iso", "  1.iso", "  3.iso.0*", "d/",
                         "  4.iso", "5.iso" };
    QTest::newRow("empty and config folders")
        << QStringList { "empty/", "config/wandmenu.bin", "config/iso_filename.txt", "deep/er/" }
        << QStringList { "config/", "deep/", "  er/", "empty/" };
    QTest::newRow("hidden entries")
        << QStringList { ".hidden.iso", ".dir/in.iso", "seen/.also.iso", "seen/in.iso" }
        << QStringList { "seen/", "  in.iso" };
    QTest::newRow("links and special files")
        << QStringList { "real.iso", "link.iso->real.iso", "dead.iso->nowhere.iso",
                         "pipe.iso|fifo", "dir/a.iso", "dirlink->dir" }
        << QStringList { "dir/", "  a.iso", "dirlink/", "  a.iso", "link.iso", "real.iso" };
    // A link back up the tree is followed once, not for ever.
    QTest::newRow("link loop") << QStringList { "a/up->..", "a/x.iso" }
                               << QStringList { "a/", "  up/", "    a/", "      up/",
                                                "      x.iso", "  x.iso" };
}

void TestIsoListing::listing()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    QTemporaryDir device;
    QVERIFY(TreeRows::lay(device.path(), entries));
    QCOMPARE(dump(IsoListing::read(device.path() + '/')), rows);
}

void TestIsoListing::unreadableFolderListedEmpty()
{
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
}

QTEST_GUILESS_MAIN(TestIsoListing)
#include "tst_isolisting.moc"
