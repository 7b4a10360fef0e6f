// The tree as a drop target: which folder on the device a drop names, and which drags it refuses.
#include "common/testenv.h"
#include "common/treerows.h"
#include "library/isotreewidget.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

QTreeWidgetItem *row(const QString &name, const QVariant &flag)
{
    auto *item = new QTreeWidgetItem(QStringList(name));
    if (flag.isValid())
        item->setData(0, Qt::UserRole, flag);
    return item;
}

// linux/ { tools/ { c.iso }, a.iso }, top.iso, <placeholder>
void fill(isoTreeWidget &tree)
{
    QTreeWidgetItem *linuxRow = row(QStringLiteral("linux"), 0);
    QTreeWidgetItem *tools = row(QStringLiteral("tools"), 0);
    tools->addChild(row(QStringLiteral("c.iso"), 1));
    linuxRow->addChild(tools);
    linuxRow->addChild(row(QStringLiteral("a.iso"), 1));
    tree.addTopLevelItem(linuxRow);
    tree.addTopLevelItem(row(QStringLiteral("top.iso"), 1));
    tree.addTopLevelItem(row(QStringLiteral("<Waiting for an discwand to appear>"), QVariant()));
    tree.expandAll();
}

QTreeWidgetItem *find(const isoTreeWidget &tree, const QStringList &path)
{
    return TreeRows::find(&tree, path);
}

QMimeData *urlData(const QStringList &files)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls.append(f.startsWith(QLatin1String("http")) ? QUrl(f) : QUrl::fromLocalFile(f));
    data->setUrls(urls);
    return data;
}

// Delivers a drag the way the window system does: enter, move, and the drop only when the
// view accepted the move. Returns whether the view took the drop.
bool dragAndDrop(isoTreeWidget &tree, const QPoint &pos, const QMimeData *data,
                 Qt::DropAction action = Qt::CopyAction)
{
    QWidget *viewport = tree.viewport();
    QDragEnterEvent enter(pos, action, data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(action);
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(pos, action, data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(action);
    QCoreApplication::sendEvent(viewport, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), action, data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(action);
    QCoreApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

} // namespace

class TestIsoTreeWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void setup();
    void destination_data();
    void destination();
    void severalFilesInOrder();
    void refusedDrags_data();
    void refusedDrags();
};

void TestIsoTreeWidget::setup()
{
    isoTreeWidget tree(nullptr);
    QCOMPARE(tree.columnCount(), 1);
    QVERIFY(tree.isHeaderHidden());
    QVERIFY(tree.acceptDrops());
    QCOMPARE(tree.dragDropMode(), QAbstractItemView::DropOnly);
    QCOMPARE(tree.selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!tree.isSortingEnabled());
    QCOMPARE(tree.model()->mimeTypes(), QStringList(QStringLiteral("text/uri-list")));
    QCOMPARE(tree.model()->supportedDropActions(), Qt::DropActions(Qt::CopyAction));
}

void TestIsoTreeWidget::destination_data()
{
    QTest::addColumn<QStringList>("target"); // row to drop onto; empty: space below the rows
    QTest::addColumn<bool>("between"); // at the row's top edge, between it and the row above
    QTest::addColumn<QString>("destDir");
    const QString placeholder = QStringLiteral("<Waiting for an discwand to appear>");
    QTest::newRow("empty space") << QStringList() << false << "/";
    QTest::newRow("top-level folder") << QStringList{"linux"} << false << "/linux/";
    QTest::newRow("nested folder") << QStringList{"linux", "tools"} << false << "/linux/tools/";
    QTest::newRow("image in a folder") << QStringList{"linux", "a.iso"} << false << "/linux/";
    QTest::newRow("image in a nested folder")
        << QStringList{"linux", "tools", "c.iso"} << false << "/linux/tools/";
    QTest::newRow("top-level image") << QStringList{"top.iso"} << false << "/";
    QTest::newRow("placeholder row") << QStringList{placeholder} << false << "/";
    QTest::newRow("between top-level rows") << QStringList{"top.iso"} << true << "/";
    QTest::newRow("between rows of a folder") << QStringList{"linux", "a.iso"} << true
                                              << "/linux/";
}

void TestIsoTreeWidget::destination()
{
    QFETCH(QStringList, target);
    QFETCH(bool, between);
    QFETCH(QString, destDir);
    isoTreeWidget tree(nullptr);
    fill(tree);
    tree.resize(300, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    QPoint pos;
    if (target.isEmpty()) {
        const QRect last = tree.visualItemRect(tree.topLevelItem(tree.topLevelItemCount() - 1));
        pos = QPoint(last.center().x(), last.bottom() + 40);
        QVERIFY(tree.viewport()->rect().contains(pos));
    } else {
        QTreeWidgetItem *item = find(tree, target);
        QVERIFY(item);
        const QRect rect = tree.visualItemRect(item);
        pos = between ? QPoint(rect.center().x(), rect.top() + 1) : rect.center();
    }
    QSignalSpy spy(&tree, &isoTreeWidget::copyFiles);
    QScopedPointer<QMimeData> data(urlData({QStringLiteral("/home/me/new.iso")}));
    QVERIFY(dragAndDrop(tree, pos, data.data()));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), destDir);
    QCOMPARE(spy.at(0).at(1).toStringList(), QStringList(QStringLiteral("/home/me/new.iso")));
    // The widget hands files on; it never changes its rows.
    QCOMPARE(tree.topLevelItemCount(), 3);
    QCOMPARE(find(tree, {"linux"})->childCount(), 2);
}

void TestIsoTreeWidget::severalFilesInOrder()
{
    isoTreeWidget tree(nullptr);
    fill(tree);
    tree.resize(300, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    // Folders, other files and non-local addresses pass unfiltered: the copy queue sorts them out.
    const QStringList files{QStringLiteral("/data/z.iso"), QStringLiteral("/data/a.iso"),
                            QStringLiteral("/data/folder"), QStringLiteral("/data/notes.txt"),
                            QStringLiteral("http://example.com/x.iso")};
    QSignalSpy spy(&tree, &isoTreeWidget::copyFiles);
    QScopedPointer<QMimeData> data(urlData(files));
    QVERIFY(dragAndDrop(tree, tree.visualItemRect(find(tree, {"linux", "tools"})).center(),
                        data.data()));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("/linux/tools/"));
    QCOMPARE(spy.at(0).at(1).toStringList(),
             (QStringList{"/data/z.iso", "/data/a.iso", "/data/folder", "/data/notes.txt", ""}));
}

void TestIsoTreeWidget::refusedDrags_data()
{
    QTest::addColumn<bool>("plainText");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("taken");
    QTest::newRow("file list, copy") << false << int(Qt::CopyAction) << true;
    QTest::newRow("plain text, copy") << true << int(Qt::CopyAction) << false;
    QTest::newRow("file list, move") << false << int(Qt::MoveAction) << false;
    QTest::newRow("file list, link") << false << int(Qt::LinkAction) << false;
}

void TestIsoTreeWidget::refusedDrags()
{
    QFETCH(bool, plainText);
    QFETCH(int, action);
    QFETCH(bool, taken);
    isoTreeWidget tree(nullptr);
    fill(tree);
    tree.resize(300, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QScopedPointer<QMimeData> data(plainText ? new QMimeData : urlData({"/data/a.iso"}));
    if (plainText)
        data->setText(QStringLiteral("/data/a.iso"));
    QSignalSpy spy(&tree, &isoTreeWidget::copyFiles);
    const QPoint pos = tree.visualItemRect(find(tree, {"linux"})).center();
    QCOMPARE(dragAndDrop(tree, pos, data.data(), Qt::DropAction(action)), taken);
    QCOMPARE(spy.count(), taken ? 1 : 0);
}

QTEST_MAIN(TestIsoTreeWidget)
#include "tst_isotreewidget.moc"
