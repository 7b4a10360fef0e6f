// Choosing the image the device loads: the bytes of config/iso_filename.txt, the failure box,
// and when the Load ISO button is enabled.
#include "common/boxanswerer.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "library/isotreewidget.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QState>
#include <QTest>

#include <memory>

namespace {

const QByteArray oldChoice = "/an/older/and/much/longer/choice/of/image.iso\r\n";

// A user's double-click: the first click of the pair, then the second one that is the double.
void doubleClickRow(QTreeWidget *tree, QTreeWidgetItem *item)
{
    const QPoint pos = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
}

struct Wand {
    explicit Wand(bool readOnly = false) : root(sys.addDiscwand(QStringLiteral("sdb"), readOnly)) {}
    SysFixture sys;
    QString root;
    std::unique_ptr<discShelf> window;
    isoTreeWidget *tree = nullptr;
    QPushButton *load = nullptr;

    bool start(const QStringList &entries)
    {
        if (!TreeRows::lay(root, QStringList{QStringLiteral("config/wandmenu.bin")} + entries))
            return false;
        window = std::make_unique<discShelf>();
        window->show();
        tree = window->findChild<isoTreeWidget *>();
        load = window->findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
        if (!tree || !load || !TestEnv::waitForReady(window->scanCycle()))
            return false;
        tree->expandAll();
        return QTest::qWaitForWindowExposed(window.get());
    }
    QString choiceFile() const { return root + QStringLiteral("config/iso_filename.txt"); }
    QByteArray choice() const
    {
        QFile f(choiceFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    bool writeChoice(const QByteArray &bytes) const
    {
        QFile f(choiceFile());
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    bool select(const QStringList &row)
    {
        QTreeWidgetItem *item = TreeRows::find(tree, row);
        if (!item)
            return false;
        tree->setCurrentItem(item);
        return item->isSelected();
    }
    void doubleClick(const QStringList &row)
    {
        doubleClickRow(tree, TreeRows::find(tree, row));
    }
};

const QStringList layout{"a.iso", "big.iso.0", "big.iso.1", "linux/tools/c.iso",
                         "y/x/part.ISO.0", "café.iso", "Ωmega.iso", "v1.0/d.iso"};

} // namespace

class TestIsoChoice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void writesChoice_data();
    void writesChoice();
    void createsConfigFolder();
    void readOnlyShowsBox();
    void nothingToChoose_data();
    void nothingToChoose();
    void buttonEnableRule_data();
    void buttonEnableRule();
    void buttonStaysOffOutsideReady();
};

void TestIsoChoice::writesChoice_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("top-level") << QStringList{"a.iso"} << false << QByteArray("/a.iso");
    QTest::newRow("top-level, double-click") << QStringList{"a.iso"} << true
                                             << QByteArray("/a.iso");
    QTest::newRow("nested") << QStringList{"linux", "tools", "c.iso"} << false
                            << QByteArray("/linux/tools/c.iso");
    QTest::newRow("nested, double-click") << QStringList{"linux", "tools", "c.iso"} << true
                                          << QByteArray("/linux/tools/c.iso");
    QTest::newRow("split") << QStringList{"big.iso.0"} << false << QByteArray("/big.iso");
    QTest::newRow("nested split") << QStringList{"y", "x", "part.ISO.0"} << false
                                  << QByteArray("/y/x/part.ISO");
    QTest::newRow("folder ending in .0") << QStringList{"v1.0", "d.iso"} << false
                                         << QByteArray("/v1.0/d.iso");
    QTest::newRow("latin-1") << QStringList{"café.iso"} << false << QByteArray("/caf\xE9.iso");
    QTest::newRow("beyond latin-1") << QStringList{"Ωmega.iso"} << false
                                    << QByteArray("/?mega.iso");
}

void TestIsoChoice::writesChoice()
{
    QFETCH(QStringList, row);
    QFETCH(bool, doubleClick);
    QFETCH(QByteArray, bytes);
    Wand wand;
    QVERIFY(wand.start(layout));
    QVERIFY(wand.writeChoice(oldChoice));
    BoxAnswerer boxes;
    if (doubleClick) {
        wand.doubleClick(row);
        QVERIFY(TreeRows::find(wand.tree, row)->isSelected());
    } else {
        QVERIFY(wand.select(row));
        QVERIFY(wand.load->isEnabled());
        QTest::mouseClick(wand.load, Qt::LeftButton);
    }
    // The old, longer content is gone entirely and no line ending is added.
    QCOMPARE(wand.choice(), bytes);
    QVERIFY(boxes.seen().isEmpty());
    // Nothing else changes on screen.
    QVERIFY(TreeRows::find(wand.tree, row)->isSelected());
    QVERIFY(wand.load->isEnabled());
}

void TestIsoChoice::createsConfigFolder()
{
    Wand wand;
    QVERIFY(wand.start(layout));
    QVERIFY(QDir(wand.root + QStringLiteral("config")).removeRecursively());
    QVERIFY(wand.select({"linux", "tools", "c.iso"}));
    QTest::mouseClick(wand.load, Qt::LeftButton);
    QVERIFY(QFileInfo(wand.root + QStringLiteral("config")).isDir());
    QCOMPARE(wand.choice(), QByteArray("/linux/tools/c.iso"));
}

void TestIsoChoice::readOnlyShowsBox()
{
    Wand wand(true);
    QVERIFY(wand.start(layout));
    QVERIFY(wand.writeChoice(oldChoice));
    QVERIFY(wand.select({"a.iso"}));
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Ok);
    QTest::mouseClick(wand.load, Qt::LeftButton);
    QCOMPARE(boxes.titles(), QStringList(QStringLiteral("Couldn't write to discwand")));
    QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Warning);
    QCOMPARE(wand.choice(), oldChoice);

    // A double-click takes the same road.
    boxes.answer(QMessageBox::Ok);
    wand.doubleClick({"a.iso"});
    QCOMPARE(boxes.seen().size(), 2);
    QCOMPARE(wand.choice(), oldChoice);
}

void TestIsoChoice::nothingToChoose_data()
{
    QTest::addColumn<QStringList>("row"); // empty: nothing selected
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("nothing selected") << QStringList() << false;
    QTest::newRow("folder") << QStringList{"linux"} << false;
    QTest::newRow("folder, double-click") << QStringList{"linux", "tools"} << true;
    QTest::newRow("folder named like a split image") << QStringList{"v1.0"} << false;
}

void TestIsoChoice::nothingToChoose()
{
    QFETCH(QStringList, row);
    QFETCH(bool, doubleClick);
    Wand wand;
    QVERIFY(wand.start(layout));
    QVERIFY(wand.writeChoice(oldChoice));
    BoxAnswerer boxes;
    if (doubleClick) {
        wand.doubleClick(row);
    } else {
        if (!row.isEmpty())
            QVERIFY(wand.select(row));
        QVERIFY(!wand.load->isEnabled());
        // The button is off; the slot itself must also leave the file alone.
        wand.window->loadSelectedISO();
    }
    QCOMPARE(wand.choice(), oldChoice);
    QVERIFY(boxes.seen().isEmpty());
}

void TestIsoChoice::buttonEnableRule_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QStringList>("row"); // empty: nothing selected
    QTest::addColumn<bool>("enabled");
    QTest::newRow("image") << true << QStringList{"a.iso"} << true;
    QTest::newRow("nested split image") << true << QStringList{"y", "x", "part.ISO.0"} << true;
    QTest::newRow("folder") << true << QStringList{"linux"} << false;
    QTest::newRow("nothing selected") << true << QStringList() << false;
    QTest::newRow("no device, image row") << false << QStringList{"a.iso"} << false;
    QTest::newRow("no device, waiting row")
        << false << QStringList{"<Waiting for an discwand to appear>"} << false;
}

void TestIsoChoice::buttonEnableRule()
{
    QFETCH(bool, device);
    QFETCH(QStringList, row);
    QFETCH(bool, enabled);
    std::unique_ptr<Wand> wand;
    std::unique_ptr<SysFixture> bare;
    std::unique_ptr<discShelf> window;
    isoTreeWidget *tree = nullptr;
    QPushButton *load = nullptr;
    if (device) {
        wand = std::make_unique<Wand>();
        QVERIFY(wand->start(layout));
        tree = wand->tree;
        load = wand->load;
        // Select something first, so that the row under test changes the selection.
        QVERIFY(wand->select({"a.iso"}) && wand->select({"linux"}));
    } else {
        bare = std::make_unique<SysFixture>();
        window = std::make_unique<discShelf>();
        QVERIFY(TestEnv::waitForReady(window->scanCycle()));
        tree = window->findChild<isoTreeWidget *>();
        load = window->findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
        // An image row left over from a device that is gone.
        auto *stale = new QTreeWidgetItem(QStringList(QStringLiteral("a.iso")));
        stale->setData(0, Qt::UserRole, 1);
        tree->addTopLevelItem(stale);
    }
    if (row.isEmpty()) {
        tree->clearSelection();
    } else {
        QTreeWidgetItem *item = TreeRows::find(tree, row);
        QVERIFY(item);
        tree->setCurrentItem(item);
    }
    QCOMPARE(load->isEnabled(), enabled);
}

void TestIsoChoice::buttonStaysOffOutsideReady()
{
    Wand wand;
    QVERIFY(TreeRows::lay(wand.root, {"config/wandmenu.bin", "a.iso", "b.iso"}));
    discShelf w;
    auto *tree = w.findChild<isoTreeWidget *>();
    auto *load = w.findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
    auto *listing = w.scanCycle().findChild<QState *>(QStringLiteral("listingState"));
    QVERIFY(listing);
    const QString choiceFile = wand.root + QStringLiteral("config/iso_filename.txt");
    // Select an image and double-click it as soon as the rows are there, while the cycle is
    // still listing.
    bool selectedWhileListing = false;
    connect(listing, &QState::entered, this, [&] {
        if (QTreeWidgetItem *item = TreeRows::find(tree, {"a.iso"})) {
            tree->setCurrentItem(item);
            w.loadClickedISO(item, 0);
            selectedWhileListing = true;
        }
    });
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QVERIFY(selectedWhileListing);
    QVERIFY(TreeRows::find(tree, {"a.iso"})->isSelected());
    QVERIFY(!QFile::exists(choiceFile));
    // Reaching ready does not look at the selection again.
    QVERIFY(!load->isEnabled());
    // A double-click now is taken.
    w.loadClickedISO(TreeRows::find(tree, {"a.iso"}), 0);
    QVERIFY(QFile::exists(choiceFile));

    // The next change of selection while ready enables it; a new listing clears it again.
    tree->setCurrentItem(TreeRows::find(tree, {"b.iso"}));
    QVERIFY(load->isEnabled());
    w.buildIsoList();
    QVERIFY(tree->selectedItems().isEmpty());
    QVERIFY(!load->isEnabled());
}

QTEST_MAIN(TestIsoChoice)
#include "tst_isochoice.moc"
