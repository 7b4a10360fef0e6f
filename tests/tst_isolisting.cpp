// Listing a device's folders and images into the tree: filters, order, nesting, row contents.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "library/isotreewidget.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/fsuid.h>
#include <unistd.h>

namespace {

const QString waitingRow = QStringLiteral("<Waiting for an discwand to appear>");

// A discwand with its selector program, and a window that has gone through a first cycle.
struct Wand {
    SysFixture sys;
    QString root = sys.addDiscwand();
    std::unique_ptr<discShelf> window;
    isoTreeWidget *tree = nullptr;

    bool start(const QStringList &entries = {})
    {
        if (!TreeRows::lay(root, QStringList{QStringLiteral("config/wandmenu.bin")} + entries))
            return false;
        window = std::make_unique<discShelf>();
        tree = window->findChild<isoTreeWidget *>();
        return tree && TestEnv::waitForReady(window->scanCycle());
    }
    // Replaces everything on the device.
    bool relay(const QStringList &entries)
    {
        return QDir(root).removeRecursively() && QDir().mkpath(root) && TreeRows::lay(root, entries);
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
    void waitingRowWithoutDevice();
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
    QTest::newRow("folders first") << QStringList{"z/", "a.iso", "m/", "B/"}
                                   << QStringList{"B/", "m/", "z/", "a.iso"};
    QTest::newRow("folder named like an image")
        << QStringList{"x.iso.0/", "y.iso/", "y.iso.0"}
        << QStringList{"x.iso.0/", "y.iso/", "y.iso.0"};
    QTest::newRow("example device")
        << QStringList{"linux/tools.iso", "b.iso", "B.iso"}
        << QStringList{"linux/", "  tools.iso", "B.iso", "b.iso"};
    QTest::newRow("nested folders") << QStringList{"y/x/z.iso"}
                                    << QStringList{"y/", "  x/", "    z.iso"};
    QTest::newRow("children stay with their folder")
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
    QVERIFY(wand.start());
    QCOMPARE(TreeRows::dump(wand.tree), QStringList(QStringLiteral("config/")));

    QVERIFY(wand.relay(entries));
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
    QTest::newRow("split image, upper case") << QStringList{"sub", "BIG.ISO.0"} << false
                                             << "BIG.ISO.0 (Split file)";
    QTest::newRow("folder") << QStringList{"sub"} << true << "sub";
    QTest::newRow("folder named like a split image") << QStringList{"x.iso.0"} << true
                                                     << "x.iso.0";
}

void TestIsoListing::rowContents()
{
    QFETCH(QStringList, row);
    QFETCH(bool, folder);
    QFETCH(QString, toolTip);
    Wand wand;
    QVERIFY(wand.start({"movie.iso", "big.iso.0", "big.iso.1", "sub/BIG.ISO.0", "x.iso.0/"}));
    const QTreeWidgetItem *item = TreeRows::find(wand.tree, row);
    QVERIFY(item);
    QCOMPARE(item->type(), int(QTreeWidgetItem::Type));
    QCOMPARE(item->toolTip(0), toolTip);
    QCOMPARE(item->data(0, Qt::UserRole), QVariant(folder ? 0 : 1));
    const QImage expected = iconImage(folder ? QFileIconProvider().icon(QFileIconProvider::Folder)
                                             : QIcon(QStringLiteral(":/icons/blank_cd.png")));
    const QImage other = iconImage(folder ? QIcon(QStringLiteral(":/icons/blank_cd.png"))
                                          : QFileIconProvider().icon(QFileIconProvider::Folder));
    QVERIFY(!expected.isNull());
    QVERIFY(expected != other);
    QCOMPARE(iconImage(item->icon(0)), expected);
}

void TestIsoListing::unreadableFolderListedEmpty()
{
    Wand wand;
    QVERIFY(wand.start());
    QVERIFY(wand.relay({"locked/in.iso", "locked/sub/", "open/in.iso"}));
    const QString locked = wand.root + QStringLiteral("locked");
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner);
    });
    // Root reads any folder; as an unprivileged file-system user (this thread only) it does not.
    // The temporary folder holding the device root must then be open to that user.
    const bool root = geteuid() == 0;
    if (root) {
        const QString holder = QFileInfo(QDir::cleanPath(wand.root)).path();
        QVERIFY(QFile::setPermissions(holder, QFile::permissions(holder) | QFileDevice::ReadGroup
                                                  | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                                  | QFileDevice::ExeOther));
    }
    const auto asUser = [root](const auto &work) {
        if (root)
            setfsuid(65534);
        work();
        if (root)
            setfsuid(0);
    };
    bool refused = false;
    asUser([&] {
        refused = QDir(locked).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    });
    if (!refused)
        QSKIP("Folder permissions are not enforced for this user here.");

    QSignalSpy complete(wand.window.get(), &discShelf::listingComplete);
    asUser([&] { wand.window->buildIsoList(); });
    QCOMPARE(TreeRows::dump(wand.tree), (QStringList{"locked/", "open/", "  in.iso"}));
    QCOMPARE(complete.count(), 1);
}

void TestIsoListing::waitingRowWithoutDevice()
{
    SysFixture sys;
    discShelf w;
    QSignalSpy complete(&w, &discShelf::listingComplete);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(complete.count(), 1);
    auto *tree = w.findChild<isoTreeWidget *>();
    QCOMPARE(TreeRows::dump(tree), QStringList(waitingRow));
    const QTreeWidgetItem *row = tree->topLevelItem(0);
    QVERIFY(row->icon(0).isNull());
    QVERIFY(row->toolTip(0).isEmpty());
    QVERIFY(!row->data(0, Qt::UserRole).isValid());

    // A run asked for directly replaces the rows rather than adding to them.
    w.buildIsoList();
    QCOMPARE(TreeRows::dump(tree), QStringList(waitingRow));
    QCOMPARE(complete.count(), 2);
}

void TestIsoListing::completeOncePerRun()
{
    Wand wand;
    QVERIFY(TreeRows::lay(wand.root, {"config/wandmenu.bin", "a/b/c.iso", "d.iso"}));
    discShelf w;
    QSignalSpy complete(&w, &discShelf::listingComplete);
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(complete.count(), 1);
    auto *tree = w.findChild<isoTreeWidget *>();
    QCOMPARE(TreeRows::dump(tree), (QStringList{"a/", "  b/", "    c.iso", "config/", "d.iso"}));

    // Refresh runs a whole new cycle, which lists once more.
    w.findChild<QPushButton *>(QStringLiteral("btnRefresh"))->click();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(complete.count(), 2);
    QCOMPARE(TreeRows::dump(tree), (QStringList{"a/", "  b/", "    c.iso", "config/", "d.iso"}));

    // Outside the listing state a run still completes once and leaves the cycle where it was.
    w.buildIsoList();
    QCOMPARE(complete.count(), 3);
    QVERIFY(TestEnv::activeStates(w.scanCycle()).contains(QStringLiteral("readyState")));
}

QTEST_MAIN(TestIsoListing)
#include "tst_isolisting.moc"
