// Listing a device's folders and images into the tree: filters, order, nesting, row contents.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "library/isotreewidget.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFileIconProvider>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A discwand with its selector program, and a window that has gone through a first cycle.
struct Wand {
    SysFixture sys;
    QString root = sys.addDiscwand();
    std::unique_ptr<discShelf> window;
    isoTreeWidget *tree = nullptr;

    bool start(const QStringList &entries)
    {
        if (!TreeRows::lay(root, QStringList{QStringLiteral("config/wandmenu.bin")} + entries))
            return false;
        window = std::make_unique<discShelf>();
        tree = window->findChild<isoTreeWidget *>();
        return tree && TestEnv::waitForReady(window->scanCycle());
    }
};

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage();
}

} // namespace

class TestIsoListing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void listing_data();
    void listing();
    void rowContents_data();
    void rowContents();
    void unreadableFolderListedEmpty();
    void completeOncePerRun_data();
    void completeOncePerRun();
};

void TestIsoListing::listing_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("empty root") << QStringList() << QStringList();
    QTest::newRow("split parts") << QStringList{"big.iso.0", "big.iso.1", "big.iso.2"}
                                 << QStringList{"big.iso.0"};
    QTest::newRow("case-insensitive filters")
        << QStringList{"DEMO.ISO", "Demo.Iso.0", "x.ISO.0", "notes.txt", "a.iso.1", "a.iso.temp",
                       "iso", "a.isox"}
        << QStringList{"DEMO.ISO", "Demo.Iso.0", "x.ISO.0"};
    QTest::newRow("upper case sorts first")
        << QStringList{"b.iso", "B.iso", "a.iso", "A.iso"}
        << QStringList{"A.iso", "B.iso", "a.iso", "b.iso"};
    QTest::newRow("by character code") << QStringList{"é.iso", "z.iso", "É.iso", "10.iso", "9.iso"}
                                       << QStringList{"10.iso", "9.iso", "z.iso", "É.iso", "é.iso"};
    QTest::newRow("folders first, by character code too")
        << QStringList{"z/", "a.iso", "m/", "Z/"} << QStringList{"Z/", "m/", "z/", "a.iso"};
    QTest::newRow("folder named like an image")
        << QStringList{"x.iso.0/", "y.iso/", "y.iso.0"}
        << QStringList{"x.iso.0/", "y.iso/", "y.iso.0"};
    QTest::newRow("nested folders, children stay with their folder")
        << QStringList{"a/1.iso", "a/b/2.iso", "a/b/c/", "a/3.iso.0", "d/4.iso", "5.iso"}
        << QStringList{"a/", "  b/", "    c/", "    2.iso", "  1.iso", "  3.iso.0", "d/",
                       "  4.iso", "5.iso"};
    QTest::newRow("empty and config folders")
        << QStringList{"empty/", "config/wandmenu.bin", "config/iso_filename.txt", "deep/er/"}
        << QStringList{"config/", "deep/", "  er/", "empty/"};
    QTest::newRow("hidden entries")
        << QStringList{".hidden.iso", ".dir/in.iso", "seen/.also.iso", "seen/in.iso"}
        << QStringList{"seen/", "  in.iso"};
    QTest::newRow("links and special files")
        << QStringList{"real.iso", "link.iso->real.iso", "dead.iso->nowhere.iso", "pipe.iso|fifo",
                       "dir/a.iso", "dirlink->dir"}
        << QStringList{"dir/", "  a.iso", "dirlink/", "  a.iso", "link.iso", "real.iso"};
}

void TestIsoListing::listing()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    Wand wand;
    QVERIFY(wand.start({}));
    // Replace everything on the device, selector program included, and list it again.
    QVERIFY(QDir(wand.root).removeRecursively() && QDir().mkpath(wand.root));
    QVERIFY(TreeRows::lay(wand.root, entries));
    QSignalSpy complete(wand.window.get(), &discShelf::listingComplete);
    wand.window->buildIsoList();
    QCOMPARE(TreeRows::dump(wand.tree), rows);
    QCOMPARE(complete.count(), 1);
}

void TestIsoListing::rowContents_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("image") << QStringList{"movie.iso"} << false << "movie.iso";
    QTest::newRow("split image") << QStringList{"big.iso.0"} << false << "big.iso.0 (Split file)";
    QTest::newRow("folder") << QStringList{"config"} << true << "config";
    QTest::newRow("folder named like a split image") << QStringList{"x.iso.0"} << true
                                                     << "x.iso.0";
}

void TestIsoListing::rowContents()
{
    QFETCH(QStringList, row);
    QFETCH(bool, folder);
    QFETCH(QString, toolTip);
    Wand wand;
    QVERIFY(wand.start({"movie.iso", "big.iso.0", "big.iso.1", "x.iso.0/"}));
    const QTreeWidgetItem *item = TreeRows::find(wand.tree, row);
    QVERIFY(item);
    QCOMPARE(item->toolTip(0), toolTip);
    QCOMPARE(item->data(0, Qt::UserRole), QVariant(folder ? 0 : 1));
    const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    const QIcon cdIcon(QStringLiteral(":/icons/blank_cd.png"));
    const QImage expected = iconImage(folder ? folderIcon : cdIcon);
    QVERIFY(!expected.isNull() && expected != iconImage(folder ? cdIcon : folderIcon));
    QCOMPARE(iconImage(item->icon(0)), expected);
}

void TestIsoListing::unreadableFolderListedEmpty()
{
    Wand wand;
    QVERIFY(wand.start({"locked/in.iso", "locked/sub/", "open/in.iso"}));
    const QByteArray locked = QFile::encodeName(wand.root + QStringLiteral("locked"));
    QVERIFY(chmod(locked.constData(), 0) == 0);
    const auto restore = qScopeGuard([&] { chmod(locked.constData(), 0700); });
    // Root reads any folder; as an unprivileged file-system user (this thread only) it does not,
    // once the temporary folder holding the device root is open to that user.
    const bool root = geteuid() == 0;
    if (root) {
        QVERIFY(chmod(QFile::encodeName(QFileInfo(QDir::cleanPath(wand.root)).path()), 0755) == 0);
        setfsuid(65534);
    }
    const auto back = qScopeGuard([root] {
        if (root)
            setfsuid(0);
    });
    if (!QDir(QFile::decodeName(locked)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty())
        QSKIP("Folder permissions are not enforced for this user here.");

    QSignalSpy complete(wand.window.get(), &discShelf::listingComplete);
    wand.window->buildIsoList();
    QCOMPARE(TreeRows::dump(wand.tree), (QStringList{"config/", "locked/", "open/", "  in.iso"}));
    QCOMPARE(complete.count(), 1);
}

void TestIsoListing::completeOncePerRun_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("no device") << false
                               << QStringList{"<Waiting for an discwand to appear>"};
    QTest::newRow("device") << true << QStringList{"a/", "  b/", "    c.iso", "config/", "d.iso"};
}

void TestIsoListing::completeOncePerRun()
{
    QFETCH(bool, device);
    QFETCH(QStringList, rows);
    SysFixture sys;
    if (device)
        QVERIFY(TreeRows::lay(sys.addDiscwand(), {"config/wandmenu.bin", "a/b/c.iso", "d.iso"}));
    discShelf w;
    auto *tree = w.findChild<isoTreeWidget *>();
    QSignalSpy complete(&w, &discShelf::listingComplete);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(complete.count(), 1);
    QCOMPARE(TreeRows::dump(tree), rows);
    // The waiting row is no folder (a drop onto it must not name one) and no image.
    QCOMPARE(tree->topLevelItem(0)->data(0, Qt::UserRole).isValid(), device);

    // Refresh runs a whole new cycle, which lists once more.
    w.findChild<QPushButton *>(QStringLiteral("btnRefresh"))->click();
    QTRY_COMPARE(complete.count(), 2);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    // A run asked for directly replaces the rows rather than adding to them, completes once,
    // and leaves the cycle where it was.
    w.buildIsoList();
    QCOMPARE(complete.count(), 3);
    QCOMPARE(TreeRows::dump(tree), rows);
    QVERIFY(TestEnv::activeStates(w.scanCycle()).contains(QStringLiteral("readyState")));
}

QTEST_MAIN(TestIsoListing)
#include "tst_isolisting.moc"
