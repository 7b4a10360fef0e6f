// The tree as a drop target: which folder on the device a drop names, which drags it refuses,
// and rows dragged within it moved; the filter box's narrowing of the rows.
#include "common/testenv.h"
#include "common/treerows.h"
#include "ui/isotreewidget.h"
#include "ui/treefilter.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include <memory>

namespace {

const QString placeholder = QStringLiteral("<Waiting for a discwand to appear>");

template <typename Event>
bool deliver(QWidget *viewport, Event &&event, Qt::DropAction action)
{
    event.setDropAction(action);
    QCoreApplication::sendEvent(viewport, &event);
    return event.isAccepted();
}

// Delivers a drag the way the window system does: enter, move, and the drop only when the
// view accepted the move. Returns whether the view took the drop.
bool dragAndDrop(isoTreeWidget &tree, const QPoint &pos, const QMimeData *data,
                 Qt::DropAction action)
{
    QWidget *vp = tree.viewport();
    return deliver(vp, QDragEnterEvent(pos, action, data, Qt::LeftButton, Qt::NoModifier), action)
        && deliver(vp, QDragMoveEvent(pos, action, data, Qt::LeftButton, Qt::NoModifier), action)
        && deliver(vp, QDropEvent(pos, action, data, Qt::LeftButton, Qt::NoModifier), action);
}

} // namespace

class TestIsoTreeWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void init();
    void cleanup() { tree.reset(); }
    void destination_data();
    void destination();
    void tipsArePlain();
    void placeKeptAcrossPlaceholders();
    void moveWithinTree();
    void filter_data();
    void filter();

private:
    QTreeWidgetItem *find(const QStringList &path) { return TreeRows::find(tree.get(), path); }
    std::unique_ptr<isoTreeWidget> tree;
};

// linux/ { tools/ { c.iso }, a.iso }, top.iso, and a row that names no place on the device
void TestIsoTreeWidget::init()
{
    tree = std::make_unique<isoTreeWidget>(nullptr);
    using K = IsoRow::Kind;
    tree->showRows({ IsoRow("linux", K::Folder, "/linux", 0),
                     IsoRow("tools", K::Folder, "/linux/tools", 1),
                     IsoRow("c.iso", K::Image, "/linux/tools/c.iso", 2),
                     IsoRow("a.iso", K::Image, "/linux/a.iso", 1),
                     IsoRow("top.iso", K::Image, "/top.iso", 0) });
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList(placeholder)));
    tree->expandAll();
    tree->resize(300, 400);
    tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
}

void TestIsoTreeWidget::destination_data()
{
    QTest::addColumn<QStringList>("target"); // row to drop onto; empty: space below the rows
    QTest::addColumn<bool>("between"); // at the row's top edge, between it and the row above
    QTest::addColumn<QString>("drag"); // "copy", "move" or "link" of a file list, or plain "text"
    QTest::addColumn<QString>("destDir"); // empty: the drop is refused
    QTest::newRow("empty space") << QStringList() << false << "copy" << "/";
    QTest::newRow("top-level folder") << QStringList{"linux"} << false << "copy" << "/linux/";
    QTest::newRow("nested folder") << QStringList{"linux", "tools"} << false << "copy"
                                   << "/linux/tools/";
    QTest::newRow("image in a folder") << QStringList{"linux", "a.iso"} << false << "copy"
                                       << "/linux/";
    QTest::newRow("image in a nested folder")
        << QStringList{"linux", "tools", "c.iso"} << false << "copy" << "/linux/tools/";
    QTest::newRow("top-level image") << QStringList{"top.iso"} << false << "copy" << "/";
    QTest::newRow("placeholder row") << QStringList{placeholder} << false << "copy" << "/";
    QTest::newRow("between top-level rows") << QStringList{"top.iso"} << true << "copy" << "/";
    QTest::newRow("between rows of a folder") << QStringList{"linux", "a.iso"} << true << "copy"
                                              << "/linux/";
    QTest::newRow("plain text refused") << QStringList{"linux"} << false << "text" << "";
    QTest::newRow("move refused") << QStringList{"linux"} << false << "move" << "";
    QTest::newRow("link refused") << QStringList{"linux"} << false << "link" << "";
}

void TestIsoTreeWidget::destination()
{
    QFETCH(QStringList, target);
    QFETCH(bool, between);
    QFETCH(QString, drag);
    QFETCH(QString, destDir);
    QPoint pos;
    if (target.isEmpty()) {
        pos = tree->visualItemRect(find({placeholder})).center() + QPoint(0, 40);
        QVERIFY(tree->viewport()->rect().contains(pos));
    } else {
        QVERIFY(find(target));
        const QRect rect = tree->visualItemRect(find(target));
        pos = between ? QPoint(rect.center().x(), rect.top() + 1) : rect.center();
    }
    // Several files in one drop, in their order; folders, other files and non-local addresses
    // pass unfiltered: the copy queue sorts them out.
    QMimeData data;
    if (drag == "text")
        data.setText(QStringLiteral("/data/z.iso"));
    else
        data.setUrls({QUrl::fromLocalFile("/data/z.iso"), QUrl::fromLocalFile("/data/a.iso"),
                      QUrl::fromLocalFile("/data/notes.txt"), QUrl("http://example.com/x.iso")});
    const Qt::DropAction action = drag == "move" ? Qt::MoveAction
                                : drag == "link" ? Qt::LinkAction : Qt::CopyAction;
    QSignalSpy spy(tree.get(), &isoTreeWidget::copyFiles);
    QCOMPARE(dragAndDrop(*tree, pos, &data, action), !destDir.isEmpty());
    QCOMPARE(spy.count(), destDir.isEmpty() ? 0 : 1);
    if (!destDir.isEmpty()) {
        QCOMPARE(spy.at(0).at(0).toString(), destDir);
        QCOMPARE(spy.at(0).at(1).toStringList(),
                 (QStringList{"/data/z.iso", "/data/a.iso", "/data/notes.txt", ""}));
    }
    // The widget hands files on; it never changes its rows.
    QCOMPARE(TreeRows::dump(tree.get()),
             (QStringList{"linux/", "  tools/", "    c.iso", "  a.iso", "top.iso", placeholder}));
}

// What a tooltip shows: Qt reads text that looks like markup as markup.
static QString shown(const QString &tip)
{
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument doc;
    doc.setHtml(tip);
    return doc.toPlainText();
}

void TestIsoTreeWidget::tipsArePlain()
{
    using K = IsoRow::Kind;
    tree->showRows({ IsoRow("<i>f</i>", K::Folder, "/<i>f</i>", 0),
                     IsoRow("<b>a</b> &amp; b.iso", K::Image, "/<b>a</b> &amp; b.iso", 0) });
    tree->markBootImage("/<b>a</b> &amp; b.iso");
    QCOMPARE(shown(find({ "<i>f</i>" })->toolTip(0)), "<i>f</i>");
    QCOMPARE(shown(find({ "<b>a</b> &amp; b.iso" })->toolTip(0)).split('\n').first(),
             "<b>a</b> &amp; b.iso");
}

// Refresh and a replug show placeholder rows before the stick is listed again; the same stick
// finds its folders open and its row selected, another stick starts afresh, with the folders
// above its boot image open.
void TestIsoTreeWidget::placeKeptAcrossPlaceholders()
{
    using K = IsoRow::Kind;
    const QList<IsoRow> rows { IsoRow("linux", K::Folder, "/linux", 0),
                               IsoRow("tools", K::Folder, "/linux/tools", 1),
                               IsoRow("c.iso", K::Image, "/linux/tools/c.iso", 2),
                               IsoRow("top.iso", K::Image, "/top.iso", 0) };
    // A stick listed afresh shows the image it boots.
    tree->showRows(rows, "/linux/tools/c.iso", "S0");
    QVERIFY(find({ "linux" })->isExpanded() && find({ "linux", "tools" })->isExpanded());
    tree->showRows(rows, {}, "S1");
    QVERIFY(!find({ "linux" })->isExpanded());
    find({ "linux" })->setExpanded(true);
    find({ "linux", "tools" })->setExpanded(true);
    tree->setCurrentItem(find({ "linux", "tools", "c.iso" }));
    for (const char *stick : { "S1", "S1", "S2" }) {
        tree->showPlaceholder(placeholder);
        tree->showPlaceholder("<Searching>");
        tree->showRows(rows, {}, stick);
        const bool same = QByteArray(stick) == "S1";
        QCOMPARE(find({ "linux" })->isExpanded(), same);
        QCOMPARE(find({ "linux", "tools" })->isExpanded(), same);
        QCOMPARE(tree->selectedImage(), same ? "/linux/tools/c.iso" : "");
    }
}

// Rows of the tree dropped on a folder are a move there, never a copy of their files.
void TestIsoTreeWidget::moveWithinTree()
{
    QSignalSpy moves(tree.get(), &isoTreeWidget::moveRows);
    QSignalSpy copies(tree.get(), &isoTreeWidget::copyFiles);
    tree->setDeviceRoot("/media/stick/");
    tree->setCurrentItem(find({ "top.iso" }), 0);
    std::unique_ptr<QMimeData> data(
        tree->model()->mimeData({ tree->selectionModel()->selectedIndexes().value(0) }));
    QVERIFY(data);
    QCOMPARE(data->urls(), QList<QUrl> { QUrl::fromLocalFile("/media/stick/top.iso") });
    dragAndDrop(*tree, tree->visualItemRect(find({ "linux", "tools" })).center(), data.get(),
                Qt::CopyAction);
    QCOMPARE(copies.count(), 0);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(0).toStringList(), QStringList { "/top.iso" });
    QCOMPARE(moves.at(0).at(1).toString(), QString("/linux/tools/"));
}

void TestIsoTreeWidget::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("images");
    const QStringList all { "linux", "tools", "c.iso", "a.iso", "top.iso", placeholder };
    QTest::newRow("nothing typed") << "" << all << 3;
    QTest::newRow("by name, its folders kept")
        << "C.IS" << QStringList { "linux", "tools", "c.iso", placeholder } << 1;
    QTest::newRow("by volume label")
        << "debian" << QStringList { "linux", "a.iso", placeholder } << 1;
    QTest::newRow("a folder's name shows what it holds")
        << "tool" << QStringList { "linux", "tools", "c.iso", placeholder } << 1;
    QTest::newRow("in several places") << ".iso" << all << 3;
    QTest::newRow("nothing matches") << "zzz" << QStringList { placeholder } << 0;
}

void TestIsoTreeWidget::filter()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    QFETCH(int, images);
    using K = IsoRow::Kind;
    IsoRow labelled("a.iso", K::Image, "/linux/a.iso", 1);
    labelled.info.label = "DEBIAN_12";
    const auto show = [&](const IsoRow &a) {
        tree->showRows({ IsoRow("linux", K::Folder, "/linux", 0),
                         IsoRow("tools", K::Folder, "/linux/tools", 1),
                         IsoRow("c.iso", K::Image, "/linux/tools/c.iso", 2), a,
                         IsoRow("top.iso", K::Image, "/top.iso", 0) });
    };
    // The label comes to the rows shown with the image's header, read after them; a header to
    // be read again leaves the row as it is shown.
    show(labelled);
    IsoRow unread = labelled;
    unread.info = {};
    unread.headerRead = false;
    show(unread);
    // Narrowed from a filter already applied: rows hidden before come back.
    QCOMPARE(TreeFilter::apply(tree.get(), "zzz"), 0);
    QCOMPARE(TreeFilter::apply(tree.get(), text), images);
    QStringList got;
    for (QTreeWidgetItemIterator it(tree.get()); *it; ++it)
        if (!(*it)->isHidden())
            got << (*it)->text(0);
    QCOMPARE(got, shown);
}

QTEST_MAIN(TestIsoTreeWidget)
#include "tst_isotreewidget.moc"
