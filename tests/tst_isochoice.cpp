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
#include <QState>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QByteArray oldChoice = "/an/older/and/much/longer/choice/of/image.iso\r\n";

// A shown window over a discwand holding these images, with an older, longer choice made.
struct Wand {
    explicit Wand(bool readOnly = false) : root(sys.addDiscwand(QStringLiteral("sdb"), readOnly)) {}
    SysFixture sys;
    QString root;
    std::unique_ptr<discShelf> window;
    isoTreeWidget *tree = nullptr;
    QPushButton *load = nullptr;

    // `early` runs before the window's first cycle does.
    bool start(const std::function<void()> &early = {})
    {
        if (!TreeRows::lay(root, {"config/wandmenu.bin", "a.iso", "big.iso.0", "big.iso.1",
                                  "linux/tools/c.iso", "y/x/part.ISO.0", "café.iso", "Ωmega.iso",
                                  "v1.0/d.iso"}))
            return false;
        QFile old(root + QStringLiteral("config/iso_filename.txt"));
        if (!old.open(QIODevice::WriteOnly) || old.write(oldChoice) != oldChoice.size())
            return false;
        old.close();
        window = std::make_unique<discShelf>();
        window->show();
        tree = window->findChild<isoTreeWidget *>();
        load = window->findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
        if (!tree || !load)
            return false;
        if (early)
            early();
        if (!TestEnv::waitForReady(window->scanCycle()))
            return false;
        tree->expandAll();
        return QTest::qWaitForWindowExposed(window.get());
    }
    QByteArray choice() const
    {
        QFile f(root + QStringLiteral("config/iso_filename.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    // Selects the row (nothing for an empty one); false when it is not there.
    bool select(const QStringList &row)
    {
        tree->clearSelection();
        QTreeWidgetItem *item = row.isEmpty() ? nullptr : TreeRows::find(tree, row);
        if (item)
            tree->setCurrentItem(item);
        return row.isEmpty() || (item && item->isSelected());
    }
    // A user's double-click: the first click of the pair, then the second one that is the double.
    void doubleClick(const QStringList &row)
    {
        const QPoint pos = tree->visualItemRect(TreeRows::find(tree, row)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    }
};

} // namespace

class TestIsoChoice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void choose_data();
    void choose();
    void buttonOffWithoutDevice();
    void buttonOffOutsideReady();
};

void TestIsoChoice::choose_data()
{
    QTest::addColumn<QString>("device"); // "", "no config" (folder gone) or "read-only"
    QTest::addColumn<QStringList>("row"); // empty: nothing selected
    QTest::addColumn<bool>("doubleClick"); // else the Load ISO button, or the slot when it is off
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QByteArray>("bytes");
    const QStringList nested{"linux", "tools", "c.iso"};
    QTest::newRow("top-level") << "" << QStringList{"a.iso"} << false << true << QByteArray("/a.iso");
    QTest::newRow("nested, double-click") << "" << nested << true << true
                                          << QByteArray("/linux/tools/c.iso");
    QTest::newRow("nested, no config folder") << "no config" << nested << false << true
                                              << QByteArray("/linux/tools/c.iso");
    QTest::newRow("split, nested") << "" << QStringList{"y", "x", "part.ISO.0"} << false << true
                                  << QByteArray("/y/x/part.ISO");
    QTest::newRow("folder ending in .0") << "" << QStringList{"v1.0", "d.iso"} << false << true
                                         << QByteArray("/v1.0/d.iso");
    QTest::newRow("latin-1") << "" << QStringList{"café.iso"} << false << true
                             << QByteArray("/caf\xE9.iso");
    QTest::newRow("beyond latin-1") << "" << QStringList{"Ωmega.iso"} << false << true
                                    << QByteArray("/?mega.iso");
    QTest::newRow("read-only") << "read-only" << QStringList{"a.iso"} << false << true << oldChoice;
    QTest::newRow("read-only, double-click") << "read-only" << QStringList{"a.iso"} << true
                                             << true << oldChoice;
    QTest::newRow("nothing selected") << "" << QStringList() << false << false << oldChoice;
    QTest::newRow("folder") << "" << QStringList{"linux"} << false << false << oldChoice;
    QTest::newRow("nested folder, double-click") << "" << QStringList{"linux", "tools"} << true
                                                 << false << oldChoice;
}

void TestIsoChoice::choose()
{
    QFETCH(QString, device);
    QFETCH(QStringList, row);
    QFETCH(bool, doubleClick);
    QFETCH(bool, enabled);
    QFETCH(QByteArray, bytes);
    Wand wand(device == "read-only");
    QVERIFY(wand.start());
    if (device == "no config")
        QVERIFY(QDir(wand.root + QStringLiteral("config")).removeRecursively());
    // An image first, so that the row under test changes the selection.
    QVERIFY(wand.select({"y", "x", "part.ISO.0"}));
    QVERIFY(wand.select(row));
    QCOMPARE(wand.load->isEnabled(), enabled);
    BoxAnswerer boxes;
    boxes.answer(QMessageBox::Ok); // an unexpected box must not hold the test up
    if (doubleClick)
        wand.doubleClick(row);
    else if (enabled)
        QTest::mouseClick(wand.load, Qt::LeftButton);
    else
        wand.window->loadSelectedISO();
    // The old, longer content is gone entirely and no line ending is added.
    QCOMPARE(wand.choice(), bytes);
    QCOMPARE(boxes.titles(), device == "read-only"
                                 ? QStringList(QStringLiteral("Couldn't write to discwand"))
                                 : QStringList());
    if (!boxes.seen().isEmpty())
        QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Warning);
    // Nothing else changes on screen.
    QCOMPARE(wand.load->isEnabled(), enabled);
    QCOMPARE(wand.tree->selectedItems().size(), row.isEmpty() ? 0 : 1);
}

void TestIsoChoice::buttonOffWithoutDevice()
{
    SysFixture sys;
    discShelf w;
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    auto *tree = w.findChild<isoTreeWidget *>();
    auto *load = w.findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
    // An image row left over from a device that is gone, and the waiting row.
    auto *stale = new QTreeWidgetItem(tree, QStringList(QStringLiteral("a.iso")));
    stale->setData(0, Qt::UserRole, 1);
    for (QTreeWidgetItem *row : {stale, tree->topLevelItem(0)}) {
        tree->setCurrentItem(row);
        QVERIFY(row->isSelected());
        QVERIFY(!load->isEnabled());
    }
}

void TestIsoChoice::buttonOffOutsideReady()
{
    Wand wand;
    // Select an image and double-click it as soon as the rows are there, while the cycle is
    // still listing.
    bool selectedWhileListing = false;
    QVERIFY(wand.start([&] {
        auto *listing = wand.window->scanCycle().findChild<QState *>("listingState");
        connect(listing, &QState::entered, this, [&] {
            selectedWhileListing = wand.select({"a.iso"});
            wand.window->loadClickedISO(wand.tree->currentItem(), 0);
        });
    }));
    QVERIFY(selectedWhileListing);
    QVERIFY(TreeRows::find(wand.tree, {"a.iso"})->isSelected());
    QCOMPARE(wand.choice(), oldChoice);
    // Reaching ready does not look at the selection again; a double-click now is taken.
    QVERIFY(!wand.load->isEnabled());
    wand.window->loadClickedISO(wand.tree->currentItem(), 0);
    QCOMPARE(wand.choice(), QByteArray("/a.iso"));

    // The next change of selection while ready enables it; a new listing clears it again.
    QVERIFY(wand.select({"big.iso.0"}));
    QVERIFY(wand.load->isEnabled());
    wand.window->buildIsoList();
    QVERIFY(wand.tree->selectedItems().isEmpty());
    QVERIFY(!wand.load->isEnabled());
}

QTEST_MAIN(TestIsoChoice)
#include "tst_isochoice.moc"
