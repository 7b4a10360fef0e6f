// Long work (joining and verifying a saved image, hashing for a sync plan) runs on a thread of
// its own behind a progress dialog, so the window keeps drawing.
#include "ui/libraryactions.h"

#include "copy/copyprogress.h"
#include "detect/devicefolder.h"
#include "detect/scsidrivedetector.h"
#include "library/imagechoice.h"
#include "library/imagedeletion.h"
#include "library/imageexport.h"
#include "library/isolisting.h"
#include "library/stickmove.h"
#include "library/syncplan.h"
#include "ui/boxprompts.h"
#include "ui/isotreewidget.h"
#include "ui/stickcopies.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include <atomic>

namespace {

QString nameOf(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

// Runs work on a thread of its own while a modal progress dialog shows; the dialog's Cancel
// sets stop. progress (0-1000) is read from the thread's side.
void runBehind(QWidget *window, const QString &label, std::atomic<int> &progress,
               std::atomic<bool> &stop, const std::function<void()> &work)
{
    QProgressDialog dialog(label, QCoreApplication::translate("LibraryActions", "Cancel"), 0, 1000,
                           window);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    QThread *thread = QThread::create(work);
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&stop] { stop = true; });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&] { dialog.setValue(progress); });
    tick.start(100);
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
}

} // namespace

LibraryActions::LibraryActions(const StickActions::Parts &given, const StickActions *stickActions,
                               QObject *parent)
    : QObject(parent)
    , parts(given)
    , stickActions(stickActions)
{
    renameAction = makeAction(QStringLiteral("actionRename"), tr("&Rename…"),
                              QKeySequence(Qt::Key_F2), &LibraryActions::rename, true);
    cutAction = makeAction(QStringLiteral("actionCut"), tr("Cu&t"), QKeySequence::Cut,
                           &LibraryActions::cut, true);
    pasteAction = makeAction(QStringLiteral("actionPaste"), tr("&Paste Here"), QKeySequence::Paste,
                             &LibraryActions::paste, true);
    saveAction = makeAction(QStringLiteral("actionSaveCopy"), tr("&Save a Copy…"),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                            &LibraryActions::saveCopy, false);
    openAction = makeAction(QStringLiteral("actionOpenFolder"), tr("Open in File &Manager"),
                            QKeySequence(), &LibraryActions::openInFileManager, false);
    syncAction = makeAction(QStringLiteral("actionSyncFolder"), tr("S&ync Folder…"), QKeySequence(),
                            &LibraryActions::syncFolder, false);

    connect(stickActions, &StickActions::actionsUpdated, this, &LibraryActions::updateActions);
    connect(parts.tree, &isoTreeWidget::rowsShown, this,
            [this] { parts.tree->setDeviceRoot(parts.detector->drivePath()); });
    connect(parts.tree, &isoTreeWidget::moveRows, this, &LibraryActions::move,
            Qt::QueuedConnection);
    updateActions();
}

QAction *LibraryActions::makeAction(const QString &objectName, const QString &text,
                                    const QKeySequence &key, void (LibraryActions::*slot)(),
                                    bool onTree)
{
    auto *action = new QAction(text, this);
    action->setObjectName(objectName);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, slot);
    // Rename, Cut and Paste act on the tree's row only while the tree has the keyboard: in the
    // filter box the same keys edit the text.
    if (onTree) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        parts.tree->addAction(action);
    } else {
        parts.window->addAction(action);
    }
    return action;
}

QList<QAction *> LibraryActions::menuActions() const
{
    return { renameAction, cutAction, pasteAction, saveAction, openAction, syncAction };
}

QString LibraryActions::selectedPath() const
{
    const QList<QTreeWidgetItem *> rows = parts.tree->selectedItems();
    if (rows.isEmpty() || rows.first()->data(0, isoTreeWidget::KindRole).isNull())
        return {};
    return rows.first()->data(0, isoTreeWidget::PathRole).toString();
}

bool LibraryActions::selectedIsFolder() const
{
    const QList<QTreeWidgetItem *> rows = parts.tree->selectedItems();
    return !rows.isEmpty()
        && rows.first()->data(0, isoTreeWidget::KindRole) == QVariant(isoTreeWidget::FolderRow);
}

QString LibraryActions::selectedFolder() const
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return QStringLiteral("/");
    return selectedIsFolder() ? path : DeviceFolder(path.section(QLatin1Char('/'), 0, -2)).path();
}

void LibraryActions::updateActions()
{
    const bool writes = stickActions->writesAllowed();
    const bool row = !selectedPath().isEmpty();
    renameAction->setEnabled(writes && row);
    cutAction->setEnabled(writes && row);
    pasteAction->setEnabled(writes && !cutPaths.isEmpty());
    saveAction->setEnabled(row && !selectedIsFolder() && !parts.detector->drivePath().isEmpty());
    openAction->setEnabled(!parts.detector->drivePath().isEmpty());
    syncAction->setEnabled(writes);
}

bool LibraryActions::copyPending(const QString &path)
{
    const QString folder = DeviceFolder(path).path();
    const QStringList pending = parts.copies->pendingPaths();
    const bool busy = std::any_of(pending.begin(), pending.end(), [&](const QString &p) {
        return p.startsWith(folder, Qt::CaseInsensitive)
            || p.section(QLatin1Char('/'), 0, -2)
                   .compare(path.section(QLatin1Char('/'), 0, -2), Qt::CaseInsensitive)
            == 0;
    });
    if (busy)
        BoxPrompts::ask(parts.window, QMessageBox::Information, tr("Not while copying there"),
                        tr("Images are being copied where \"%1\" is. Let the copies finish "
                           "first.")
                            .arg(nameOf(ImageChoice::bootName(path))),
                        QMessageBox::Ok);
    return busy;
}

void LibraryActions::select(const QString &path)
{
    for (QTreeWidgetItemIterator it(parts.tree); *it; ++it) {
        const QString at = (*it)->data(0, isoTreeWidget::PathRole).toString();
        if (at.compare(path, Qt::CaseInsensitive) == 0
            || at.compare(path + QStringLiteral(".0"), Qt::CaseInsensitive) == 0) {
            parts.tree->setCurrentItem(*it);
            parts.tree->scrollToItem(*it);
            return;
        }
    }
}

void LibraryActions::rename()
{
    const QString path = selectedPath();
    if (!renameAction->isEnabled() || path.isEmpty() || copyPending(path))
        return;
    const QString root = parts.detector->drivePath();
    QString name = nameOf(ImageChoice::bootName(path));
    if (selectedIsFolder())
        name = nameOf(path);
    for (;;) {
        bool ok = false;
        name = QInputDialog::getText(
            parts.window, tr("Rename"),
            tr("New name of \"%1\":").arg(nameOf(ImageChoice::bootName(path))), QLineEdit::Normal,
            name, &ok);
        if (!ok)
            return;
        StickMove::Plan plan = StickMove::renamePlan(root, path, name);
        if (plan.problem == StickMove::Problem::None) {
            if (!canWrite())
                return;
            if (StickMove::run(root, plan) != StickMove::Problem::None)
                plan.problem = StickMove::Problem::Failed;
        }
        if (plan.problem == StickMove::Problem::None) {
            emit stickChanged();
            select(plan.to);
            return;
        }
        BoxPrompts::ask(
            parts.window, QMessageBox::Warning, tr("Can't rename"),
            tr("\"%1\" cannot be called \"%2\": %3.")
                .arg(nameOf(ImageChoice::bootName(path)), name, StickMove::reason(plan)),
            QMessageBox::Ok);
    }
}

void LibraryActions::cut()
{
    const QString path = selectedPath();
    if (!cutAction->isEnabled() || path.isEmpty())
        return;
    cutPaths = QStringList(path);
    updateActions();
}

void LibraryActions::paste()
{
    if (!pasteAction->isEnabled() || cutPaths.isEmpty())
        return;
    const QStringList paths = cutPaths;
    cutPaths.clear();
    move(paths, selectedFolder());
    updateActions();
}

void LibraryActions::move(const QStringList &paths, const QString &destDir)
{
    if (!stickActions->writesAllowed())
        return;
    const QString root = parts.detector->drivePath();
    QList<StickMove::Plan> plans;
    QStringList refused;
    for (const QString &path : paths) {
        // A row dropped where it is already stays.
        if (DeviceFolder(path.section(QLatin1Char('/'), 0, -2)) == DeviceFolder(destDir))
            continue;
        if (copyPending(path))
            return;
        const StickMove::Plan plan = StickMove::movePlan(root, path, destDir);
        if (plan.problem == StickMove::Problem::None)
            plans << plan;
        else
            refused << tr("%1: %2").arg(nameOf(ImageChoice::bootName(path)),
                                        StickMove::reason(plan));
    }
    if (!refused.isEmpty()) {
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't move"),
                        tr("Nothing was moved into %1:\n\n%2")
                            .arg(DeviceFolder(destDir).path(), refused.join(QLatin1Char('\n'))),
                        QMessageBox::Ok);
        return;
    }
    if (plans.isEmpty() || !canWrite())
        return;
    QStringList failed;
    for (const StickMove::Plan &plan : std::as_const(plans))
        if (StickMove::run(root, plan) != StickMove::Problem::None)
            failed << nameOf(plan.to);
    emit stickChanged();
    select(plans.last().to);
    if (!failed.isEmpty())
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't move"),
                        tr("The discwand refused to move these; they keep their place:\n\n%1")
                            .arg(failed.join(QLatin1Char('\n'))),
                        QMessageBox::Ok);
}

void LibraryActions::saveCopy()
{
    const QString path = selectedPath();
    if (!saveAction->isEnabled() || path.isEmpty())
        return;
    const QString root = parts.detector->drivePath();
    const IsoListing listing = IsoListing::read(root);
    const auto row = std::find_if(listing.rows.begin(), listing.rows.end(),
                                  [&](const IsoRow &row) { return row.devicePath == path; });
    if (row == listing.rows.end() || row->partsBroken) {
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't save a copy"),
                        tr("\"%1\" has parts missing or of the wrong size.")
                            .arg(nameOf(ImageChoice::bootName(path))),
                        QMessageBox::Ok);
        return;
    }
    const QString dest = QFileDialog::getSaveFileName(
        parts.window, tr("Save a copy of %1").arg(row->displayName()),
        QDir::home().filePath(row->displayName()), tr("ISO images (*.iso)"));
    if (dest.isEmpty())
        return;
    QStringList files;
    const QString folder = QFileInfo(QDir::cleanPath(root + row->devicePath)).path();
    for (const QString &file : row->files)
        files << folder + QLatin1Char('/') + file;
    std::atomic<int> progress { 0 };
    std::atomic<bool> stop { false };
    ImageExport::Result result = ImageExport::Result::Stopped;
    runBehind(parts.window, tr("Saving %1 (joined and checked)…").arg(row->displayName()), progress,
              stop, [&] {
                  result = ImageExport::save(files, dest, [&](qint64 done, qint64 total) {
                      progress = int(done * 1000 / qMax<qint64>(total, 1));
                      return !stop;
                  });
              });
    switch (result) {
    case ImageExport::Result::Done:
    case ImageExport::Result::Stopped:
        return;
    case ImageExport::Result::NotFound:
    case ImageExport::Result::ReadFailed:
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't save a copy"),
                        tr("\"%1\" could not be read from the discwand.").arg(row->displayName()),
                        QMessageBox::Ok);
        return;
    case ImageExport::Result::WriteFailed:
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't save a copy"),
                        tr("%1 could not be written.").arg(dest), QMessageBox::Ok);
        return;
    case ImageExport::Result::Mismatch:
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't save a copy"),
                        tr("The copy did not read back as it was read from the discwand, so it "
                           "was not kept."),
                        QMessageBox::Ok);
        return;
    }
}

void LibraryActions::openInFileManager()
{
    const QString root = parts.detector->drivePath();
    if (root.isEmpty())
        return;
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir::cleanPath(DeviceFolder(selectedFolder()).under(root))));
}

void LibraryActions::syncFolder()
{
    if (!syncAction->isEnabled())
        return;
    const QString local = QFileDialog::getExistingDirectory(
        parts.window, tr("Sync which folder of images into %1?").arg(selectedFolder()),
        QDir::homePath());
    if (local.isEmpty())
        return;
    const QString root = parts.detector->drivePath();
    const DeviceFolder into(selectedFolder());
    if (copyPending(into.path()))
        return;
    std::atomic<int> progress { 0 };
    std::atomic<bool> stop { false };
    SyncPlan plan;
    bool stopped = false;
    runBehind(parts.window, tr("Comparing %1 with %2 on the discwand…").arg(local, into.path()),
              progress, stop, [&] {
                  plan = SyncPlan::make(root, into, local, true, [&](const QString &) {
                      progress = qMin(990, progress + 100);
                      return !stop;
                  });
                  stopped = stop;
              });
    if (stopped)
        return;
    using Action = SyncPlan::Item::Action;
    const auto names = [&plan](Action action) {
        QStringList out;
        for (const SyncPlan::Item &item : std::as_const(plan.items))
            if (item.action == action)
                out << item.name;
        return out;
    };
    const QStringList added = names(Action::New), replaced = names(Action::Replace);
    const QStringList extra = names(Action::Remove);
    if (added.isEmpty() && replaced.isEmpty()) {
        BoxPrompts::ask(
            parts.window, QMessageBox::Information, tr("Nothing to sync"),
            tr("%1 on the discwand holds the images of %2 already.").arg(into.path(), local),
            QMessageBox::Ok);
        return;
    }
    QString text = tr("Sync %1 into %2 on the discwand?").arg(local, into.path());
    if (!added.isEmpty())
        text += QStringLiteral("\n\n") + tr("Copied new:") + QLatin1Char('\n')
            + added.join(QLatin1Char('\n'));
    if (!replaced.isEmpty())
        text += QStringLiteral("\n\n") + tr("Replaced (they differ):") + QLatin1Char('\n')
            + replaced.join(QLatin1Char('\n'));
    text += QStringLiteral("\n\n") + tr("Left as they are: %n", nullptr, plan.count(Action::Same));
    if (!extra.isEmpty())
        text += QStringLiteral("\n\n")
            + tr("On the discwand only (kept): %1").arg(extra.join(QStringLiteral(", ")));
    // Removal is for the command line's --delete: a click here never deletes.
    for (qsizetype i = plan.items.size() - 1; i >= 0; --i)
        if (plan.items.at(i).action == Action::Remove)
            plan.items.removeAt(i);
    plan.measure(plan.freeBytes, plan.cluster);
    if (!plan.fits()) {
        BoxPrompts::ask(
            parts.window, QMessageBox::Warning, tr("Not enough room"),
            tr("The sync needs %1 more on the discwand, which has %2 free. Nothing "
               "was changed.")
                .arg(CopyProgress::sizeText(plan.needed), CopyProgress::sizeText(plan.freeBytes)),
            QMessageBox::Ok);
        return;
    }
    if (plan.freeBytes >= 0)
        text += QStringLiteral("\n\n")
            + tr("This takes %1 of the %2 free.")
                  .arg(CopyProgress::sizeText(qMax<qint64>(0, plan.needed)),
                       CopyProgress::sizeText(plan.freeBytes));
    if (BoxPrompts::ask(parts.window, QMessageBox::Question, tr("Sync folder?"), text,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return;
    QStringList files;
    for (const SyncPlan::Item &item : std::as_const(plan.items))
        if (item.action == Action::New || item.action == Action::Replace)
            files << item.source;
    emit filesChosen(into.path(), files);
}
