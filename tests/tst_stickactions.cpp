// The window's stick actions reach their components: Eject the disk service, Add Images the
// file dialog and the drop admission, Delete and New Folder their questions and the stick, and
// the keys what they stand for. The components are tested on their own.
#include "common/boxanswerer.h"
#include "common/fifogate.h"
#include "common/nextdialog.h"
#include "common/privatebus.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "common/treerows.h"
#include "common/udisksstandin.h"
#include "copy/copyqueue.h"
#include "library/ejector.h"
#include "ui/boxprompts.h"
#include "ui/discshelf.h"
#include "ui/isotreewidget.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

// A shown, active window over a fixture discwand holding entries.
struct Rig {
    SysFixture sys;
    QString root;
    QTemporaryDir src;
    std::unique_ptr<FifoGate> gate; // outlives the window
    BoxAnswerer boxes;
    std::unique_ptr<discShelf> w;
    isoTreeWidget *tree = nullptr;

    explicit Rig(const QStringList &entries) : root(sys.addDiscwand())
    {
        TreeRows::lay(root, entries + QStringList { "config/wandmenu.bin" });
    }
    ~Rig()
    {
        if (gate)
            gate->open();
    }
    bool start()
    {
        w = std::make_unique<discShelf>();
        tree = w->findChild<isoTreeWidget *>();
        w->show();
        QApplication::setActiveWindow(w.get());
        return TestEnv::waitForReady(w->scanCycle()) && QTest::qWaitForWindowActive(w.get());
    }
    template <typename T = QPushButton> T *get(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    void select(const QStringList &row)
    {
        tree->expandAll();
        tree->setCurrentItem(TreeRows::find(tree, row));
        tree->setFocus();
    }
    // A copy to the top of the stick held until the gate opens.
    void holdCopy(const QString &name)
    {
        gate = std::make_unique<FifoGate>(src.filePath(name));
        w->findChild<CopyQueue *>()->add({ { DeviceFolder("/"), src.filePath(name) } });
    }
};

} // namespace

class TestStickActions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void eject_data();
    void eject();
    void addImages();
    void deleteRow_data();
    void deleteRow();
    void newFolder();
    void renameAndPaste();
    void keyboard();
};

void TestStickActions::eject_data()
{
    QTest::addColumn<bool>("served");
    QTest::addColumn<QString>("unmountError");
    QTest::addColumn<QString>("title"); // of the box that follows
    QTest::addColumn<int>("calls");
    QTest::newRow("ejected") << true << "" << "" << 3;
    QTest::newRow("busy") << true << "org.freedesktop.UDisks2.Error.DeviceBusy"
                          << "Couldn't eject the discwand" << 2;
    QTest::newRow("no disk service") << false << "" << "Eject the discwand yourself" << 0;
}

void TestStickActions::eject()
{
    QFETCH(bool, served);
    QFETCH(QString, unmountError);
    QFETCH(QString, title);
    QFETCH(int, calls);
    PrivateBus bus;
    QVERIFY2(bus.isValid(), qPrintable(bus.error()));
    Rig r({ "a.iso" });
    UDisksStandIn udisks(bus.connect("service"), r.root.chopped(1));
    QVERIFY(!served || udisks.start());
    udisks.failWith("Unmount", unmountError);
    QVERIFY(r.start());
    r.w->findChild<Ejector *>()->setBus(bus.connect("client"));
    auto *button = r.get("btnEject");
    QVERIFY(button->isEnabled());
    // Not while a copy runs.
    r.holdCopy("held.iso");
    QTRY_VERIFY(!button->isEnabled());
    QTest::keyClick(r.w.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(r.gate->open());
    QTRY_VERIFY(button->isEnabled());
    QCOMPARE(udisks.calls(), QStringList());

    if (!title.isEmpty())
        r.boxes.answer(QMessageBox::Ok);
    QTest::keyClick(r.w.get(), Qt::Key_E, Qt::ControlModifier);
    if (title.isEmpty()) {
        QTRY_COMPARE(TreeRows::dump(r.tree), QStringList { "<The discwand can be removed now>" });
        QVERIFY(!button->isEnabled() && !r.get("btnAddImages")->isEnabled());
    } else {
        QTRY_COMPARE(r.boxes.titles(), QStringList { title });
        QTRY_VERIFY(TreeRows::dump(r.tree).contains("a.iso"));
        QVERIFY(button->isEnabled());
    }
    QCOMPARE(udisks.calls().size(), calls);
}

void TestStickActions::addImages()
{
    Rig r({ "y/old.iso" });
    QVERIFY(TestEnv::writeBootable(r.src.filePath("a.iso")) && TestEnv::writeBootable(r.src.filePath("b.iso")));
    QVERIFY(r.start());
    r.select({ "y" });
    QString title;
    onNextDialog<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        dialog->setDirectory(r.src.path());
        auto *names = dialog->findChild<QLineEdit *>("fileNameEdit");
        names->setText("\"a.iso\" \"b.iso\"");
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->click();
    });
    QTest::keyClick(r.w.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(title, "Add images to /y/");
    QTRY_VERIFY(QFile::exists(r.root + "y/a.iso") && QFile::exists(r.root + "y/b.iso"));
    // The dialog opens where the last images came from.
    QString opened;
    onNextDialog<QFileDialog>([&](QFileDialog *dialog) {
        opened = dialog->directory().absolutePath();
        dialog->reject();
    });
    r.get("btnAddImages")->click();
    QCOMPARE(opened, QDir(r.src.path()).absolutePath());
    // The read-only switch turns off what would write, and says so.
    r.select({ "y", "old.iso" });
    auto *remove = r.w->findChild<QAction *>("actionDelete");
    QVERIFY(remove->isEnabled());
    r.sys.setDeviceReadOnly("sdb1", true);
    QTRY_VERIFY(!r.get("btnAddImages")->isEnabled());
    QVERIFY(!remove->isEnabled() && remove->toolTip().contains("read-only switch"));
    QVERIFY(r.get("btnAddImages")->toolTip().contains("read-only switch"));
    r.sys.setDeviceReadOnly("sdb1", false);
    QTRY_VERIFY(r.get("btnAddImages")->isEnabled() && remove->isEnabled());
}

void TestStickActions::deleteRow_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("copying"); // a copy of a.iso is under way
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("left");
    const int yes = QMessageBox::Yes, no = QMessageBox::No, ok = QMessageBox::Ok;
    QTest::newRow("split image")
        << QStringList { "big.iso.0", "big.iso.1", "big.iso.txt" } << QStringList { "big.iso" }
        << false << QList<int> { yes } << QStringList { "Delete image?" }
        << QStringList { "big.iso.txt" };
    QTest::newRow("boot image, kept at the second question")
        << QStringList { "a.iso", "b.iso" } << QStringList { "a.iso" } << false
        << QList<int> { yes, no } << QStringList { "Delete image?", "Delete the boot image?" }
        << QStringList { "a.iso", "b.iso" };
    QTest::newRow("being copied") << QStringList { "a.iso" } << QStringList { "a.iso" } << true
                                  << QList<int> { ok } << QStringList { "Can't delete this image now" }
                                  << QStringList { "a.iso" };
    QTest::newRow("empty folder") << QStringList { "e/", "f/g.iso" } << QStringList { "e" } << false
                                  << QList<int> { yes } << QStringList { "Delete folder?" }
                                  << QStringList { "f/g.iso" };
    QTest::newRow("folder with an image")
        << QStringList { "f/g.iso", "e/" } << QStringList { "f" } << false << QList<int> { yes }
        << QStringList { "Delete folder?" } << QStringList { "e/" };
}

void TestStickActions::deleteRow()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, row);
    QFETCH(bool, copying);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, left);
    Rig r(entries);
    QVERIFY(entries.first().endsWith('/') || QFile::resize(r.root + entries.first(), 2048));
    QVERIFY(TestEnv::writeFile(r.root + "config/iso_filename.txt", "/a.iso"));
    QVERIFY(r.start());
    if (copying)
        r.holdCopy("a.iso");
    r.select(row);
    for (int answer : answers)
        r.boxes.answer(QMessageBox::StandardButton(answer));
    QTest::keyClick(r.tree, Qt::Key_Delete);
    QCOMPARE(r.boxes.titles(), titles);
    if (entries.first() == "big.iso.0")
        QCOMPARE(r.boxes.seen().at(0).text,
                 "Delete \"big.iso\" from the discwand? It is stored in 2 parts, which all go:\n\n"
                 "big.iso.0\nbig.iso.1\n\nThis frees 2.0 kB.");
    for (const QString &entry : entries)
        QVERIFY2(QFileInfo::exists(r.root + entry) == left.contains(entry), qPrintable(entry));
}

// The context menu on empty space makes a folder at the top; a name FAT cannot hold is refused
// with its reason and asked for again.
void TestStickActions::newFolder()
{
    Rig r({ "y/a.iso" });
    QVERIFY(r.start());
    QStringList offered;
    QStringList names { "a:b", "new" };
    std::function<void(QInputDialog *)> name = [&](QInputDialog *dialog) {
        dialog->setTextValue(names.takeFirst());
        if (!names.isEmpty())
            onNextDialog<QInputDialog>(name);
        dialog->accept();
    };
    onNextDialog<QMenu>([&](QMenu *menu) {
        for (QAction *action : menu->actions())
            offered << action->text();
        onNextDialog<QInputDialog>(name);
        QTest::keyClick(menu, Qt::Key_F);
    });
    r.boxes.answer(QMessageBox::Ok);
    const QPoint below = r.tree->viewport()->rect().bottomLeft() + QPoint(5, -5);
    QContextMenuEvent click(QContextMenuEvent::Mouse, below, r.tree->viewport()->mapToGlobal(below));
    QApplication::sendEvent(r.tree->viewport(), &click);
    QCOMPARE(offered,
             (QStringList { "Add &Images…", "Get Image from &Address…", "New &Folder…", "",
                            "Open in File &Manager", "S&ync Folder…", "", "Check &Images" }));
    QCOMPARE(r.boxes.titles(), QStringList { "Can't make this folder" });
    QCOMPARE(r.boxes.seen().at(0).text,
             "A folder name on the discwand cannot hold any of \\ / : * ? \" < > | (nor control "
             "characters).");
    QVERIFY(QFileInfo(r.root + "new").isDir());
    QCOMPARE(r.tree->currentItem()->data(0, isoTreeWidget::PathRole).toString(), "/new");
}

// F2 renames the boot image and the choice follows; Cut and Paste move a folder's image.
void TestStickActions::renameAndPaste()
{
    Rig r({ "a.iso", "f/g.iso", "e/" });
    QVERIFY(TestEnv::writeFile(r.root + "config/iso_filename.txt", "/a.iso"));
    QVERIFY(r.start());
    r.select({ "a.iso" });
    onNextDialog<QInputDialog>([](QInputDialog *dialog) {
        dialog->setTextValue("Boot.iso");
        dialog->accept();
    });
    QTest::keyClick(r.tree, Qt::Key_F2);
    QVERIFY(QFileInfo::exists(r.root + "Boot.iso"));
    QCOMPARE(TestEnv::readFile(r.root + "config/iso_filename.txt"), QByteArray("/Boot.iso"));
    QVERIFY(TestEnv::waitForReady(r.w->scanCycle()));
    QCOMPARE(r.tree->selectedPath(), QString("/Boot.iso"));

    QApplication::setActiveWindow(r.w.get());
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
    r.select({ "f", "g.iso" });
    QTest::keySequence(r.tree, QKeySequence::Cut);
    r.select({ "e" });

    QTest::keySequence(r.tree, QKeySequence::Paste);
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(r.root + "e/g.iso"); }));
    QVERIFY(!QFileInfo::exists(r.root + "f/g.iso"));
    QCOMPARE(r.boxes.titles(), QStringList());
}

void TestStickActions::keyboard()
{
    Rig r({ "a.iso", "x.iso" });
    QVERIFY(r.start());
    // Every button of the window has a letter of its own.
    QSet<QKeySequence> letters;
    for (QPushButton *button : r.w->findChildren<QPushButton *>()) {
        const QKeySequence letter = QKeySequence::mnemonic(button->text());
        if (button->window() != r.w.get())
            continue;
        QVERIFY2(!letter.isEmpty() && !letters.contains(letter), qPrintable(button->text()));
        letters.insert(letter);
    }
    // Tab goes through the window as it is laid out.
    const QList<QWidget *> order { r.tree,
                                   r.get("btnRefresh"),
                                   r.get("btnLoadISO"),
                                   r.get("btnAddImages"),
                                   r.get("btnEject"),
                                   r.get("btnCancelAll"),
                                   r.get("btnCancelCurrentFile"),
                                   r.get("btnCancelDownload"),
                                   r.get("btnAbort") };
    QList<QWidget *> tabbed { r.tree };
    for (QWidget *next = r.tree->nextInFocusChain(); next != r.tree; next = next->nextInFocusChain())
        if (order.contains(next))
            tabbed << next;
    QCOMPARE(tabbed, order);
    // Enter loads the selected image.
    r.select({ "a.iso" });
    QTest::keyClick(r.tree, Qt::Key_Return);
    QCOMPARE(TestEnv::readFile(r.root + "config/iso_filename.txt"), "/a.iso");
    // Escape stops the examination of a drop.
    r.get("btnAbort")->show();
    QTest::keyClick(r.w.get(), Qt::Key_Escape);
    QVERIFY(r.get("btnAbort")->isHidden());
    // Ctrl+Q closes the window.
    QTest::keyClick(r.w.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!r.w->isVisible());
    // Enter on the overwrite question keeps the image.
    onNextDialog<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    QVERIFY(!BoxPrompts(r.w.get(), nullptr).overwrite("x.iso", false));
}

QTEST_MAIN(TestStickActions)
#include "tst_stickactions.moc"
