#include "windowdriver.h"

#include "common/treerows.h"

#include "common/testenv.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

#include <memory>

WindowDriver::WindowDriver(discShelf &window)
    : w(window)
{
    w.show();
    watchdog.setInterval(500);
    QObject::connect(&watchdog, &QTimer::timeout, &watchdog, [this] { closeStrayBox(); });
    watchdog.start();
}

void WindowDriver::closeStrayBox()
{
    auto *current = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (current != box) {
        box = current;
        boxShown.start();
        return;
    }
    if (current && boxShown.elapsed() > 20000) {
        stray << current->windowTitle();
        current->reject();
    }
}

isoTreeWidget *WindowDriver::tree() const
{
    return w.findChild<isoTreeWidget *>();
}

namespace {

void collect(QTreeWidgetItem *item, const QString &prefix, QStringList *out)
{
    const QString path = prefix + QLatin1Char('/') + item->text(0);
    out->append(path);
    for (int i = 0; i < item->childCount(); ++i)
        collect(item->child(i), path, out);
}

} // namespace

QStringList WindowDriver::rows() const
{
    QStringList out;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i)
        collect(tree()->topLevelItem(i), QString(), &out);
    return out;
}

QTreeWidgetItem *WindowDriver::row(const QString &path) const
{
    return TreeRows::find(tree(), path.split(QLatin1Char('/'), Qt::SkipEmptyParts));
}

bool WindowDriver::waitForRows(const QStringList &paths, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            const QStringList now = rows();
            for (const QString &p : paths)
                if (!now.contains(p))
                    return false;
            return true;
        },
        timeoutMs);
}

bool WindowDriver::waitForReady(const QStringList &paths, int timeoutMs) const
{
    return waitForRows(paths, timeoutMs) && TestEnv::waitForReady(w.scanCycle(), timeoutMs);
}

bool WindowDriver::select(const QString &path) const
{
    QTreeWidgetItem *item = row(path);
    if (!item)
        return false;
    tree()->setCurrentItem(item);
    return item->isSelected();
}

QPoint WindowDriver::reveal(const QString &path) const
{
    QTreeWidgetItem *item = row(path);
    if (!item)
        return {-1, -1};
    for (QTreeWidgetItem *up = item->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree()->scrollToItem(item);
    // Expanding lays the rows out later; settle that before asking where the row is.
    QCoreApplication::processEvents();
    return tree()->visualItemRect(item).center();
}

void WindowDriver::doubleClick(const QString &path) const
{
    const QPoint pos = reveal(path);
    // A double-click follows a click on the same row, as the view expects.
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, pos);
}

void WindowDriver::drop(const QString &path, const QStringList &files) const
{
    QWidget *viewport = tree()->viewport();
    const QPoint pos = path.isEmpty() ? QPoint(viewport->width() / 2, viewport->height() - 2)
                                      : reveal(path);
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    mime->setUrls(urls);
    // The same sequence a file manager's drag produces: enter, move over the row, drop.
    QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent dropEvent(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dropEvent);
    delete mime;
}

void WindowDriver::dragRow(const QString &from, const QString &to) const
{
    reveal(from);
    tree()->setCurrentItem(row(from), 0);
    // What the tree itself puts into a drag of its row.
    std::unique_ptr<QMimeData> mime(
        tree()->model()->mimeData({ tree()->selectionModel()->selectedIndexes().value(0) }));
    QWidget *viewport = tree()->viewport();
    const QPoint pos = reveal(to);
    QDragEnterEvent enter(pos, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent dropEvent(pos, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dropEvent);
}

bool WindowDriver::copying() const
{
    return w.findChild<QProgressBar *>(QStringLiteral("progressBarCurrentFile"))->isVisible();
}

bool WindowDriver::waitForBatchEnd(int timeoutMs) const
{
    // A drop is examined before its batch starts; the scanning row shows until then.
    const QWidget *scanning = w.findChild<QWidget *>(QStringLiteral("lblScanning"));
    return QTest::qWaitFor([&] { return !copying() && scanning->isHidden(); }, timeoutMs);
}
