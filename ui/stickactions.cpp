#include "ui/stickactions.h"

#include "copy/copyprogress.h"
#include "copy/offthread.h"
#include "detect/devicefolder.h"
#include "detect/scsidrivedetector.h"
#include "library/folderdeletion.h"
#include "library/imagechoice.h"
#include "library/imagedeletion.h"
#include "library/newfolder.h"
#include "ui/addressdialog.h"
#include "ui/boxprompts.h"
#include "ui/isotreewidget.h"
#include "ui/scancycle.h"
#include "ui/stickcopies.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace {

const QString lastFolderKey = QStringLiteral("addImagesFolder");

bool isFolderRow(const QTreeWidgetItem *row)
{
    return row && row->data(0, isoTreeWidget::KindRole) == QVariant(isoTreeWidget::FolderRow);
}

QString pathOf(const QTreeWidgetItem *row)
{
    return row->data(0, isoTreeWidget::PathRole).toString();
}

QString nameOf(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

} // namespace

StickActions::StickActions(const Parts &given, QObject *parent)
    : QObject(parent)
    , parts(given)
    , ejector(new Ejector(this))
{
    addAction = makeAction(QStringLiteral("actionAddImages"), tr("Add &Images…"),
                           { QKeySequence::Open }, &StickActions::addImages);
    ejectAction = makeAction(QStringLiteral("actionEject"), tr("&Eject"),
                             { QKeySequence(Qt::CTRL | Qt::Key_E) }, &StickActions::eject);
    folderAction = makeAction(QStringLiteral("actionNewFolder"), tr("New &Folder…"),
                              { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N) },
                              &StickActions::newFolder);
    addressAction = makeAction(QStringLiteral("actionGetFromAddress"),
                               tr("Get Image from &Address…"),
                               { QKeySequence(Qt::CTRL | Qt::Key_G) },
                               &StickActions::getFromAddress);
    deleteAction = makeAction(QStringLiteral("actionDelete"), tr("&Delete…"),
                              { QKeySequence::Delete }, &StickActions::deleteSelected);
    // Delete acts on the tree's row, only while the tree has the keyboard.
    parts.window->removeAction(deleteAction);
    deleteAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    parts.tree->addAction(deleteAction);

    Ui::discShelfClass &form = *parts.form;
    connect(form.btnAddImages, &QPushButton::clicked, addAction, &QAction::trigger);
    connect(form.btnEject, &QPushButton::clicked, ejectAction, &QAction::trigger);
    connect(addAction, &QAction::changed, form.btnAddImages, [this] {
        parts.form->btnAddImages->setEnabled(addAction->isEnabled());
        parts.form->btnAddImages->setToolTip(addAction->toolTip());
    });
    connect(ejectAction, &QAction::changed, form.btnEject,
            [this] { parts.form->btnEject->setEnabled(ejectAction->isEnabled()); });

    parts.tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(parts.tree, &QWidget::customContextMenuRequested, this, &StickActions::showMenu);
    connect(ejector, &Ejector::finished, this, &StickActions::ejected);

    // What changes which actions make sense.
    connect(parts.tree, &QTreeWidget::itemSelectionChanged, this, &StickActions::updateActions);
    connect(parts.copies, &StickCopies::changed, this, &StickActions::updateActions);
    connect(parts.cycle->busyState, &QState::entered, this, &StickActions::updateActions);
    connect(parts.cycle->readyState, &QState::entered, this, &StickActions::cycleRested);
    wireKeys();
    updateActions();
}

QAction *StickActions::makeAction(const QString &objectName, const QString &text,
                                  const QList<QKeySequence> &keys, void (StickActions::*slot)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(objectName);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, slot);
    parts.window->addAction(action);
    return action;
}

void StickActions::wireKeys()
{
    Ui::discShelfClass &form = *parts.form;
    // Enter on an image loads it, as Load ISO does; on a folder it opens or closes it.
    auto *enter = new QAction(this);
    enter->setObjectName(QStringLiteral("actionEnter"));
    enter->setShortcuts({ QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) });
    enter->setShortcutContext(Qt::WidgetShortcut);
    parts.tree->addAction(enter);
    connect(enter, &QAction::triggered, this, &StickActions::pressEnter);
    // Escape stops the examination of a drop, as Abort Scan does while it is shown.
    auto *escape = new QAction(this);
    escape->setObjectName(QStringLiteral("actionEscape"));
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    parts.window->addAction(escape);
    connect(escape, &QAction::triggered, form.btnAbort, [this] {
        if (parts.form->btnAbort->isVisible())
            parts.form->btnAbort->click();
    });
    // Closing asks first while a copy runs.
    auto *quit = new QAction(this);
    quit->setObjectName(QStringLiteral("actionQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    parts.window->addAction(quit);
    connect(quit, &QAction::triggered, parts.window, &QWidget::close);

    // From top to bottom and left to right, as the window lays them out.
    const QList<QWidget *> order { parts.tree,
                                   form.btnProblems,
                                   form.btnRefresh,
                                   form.btnLoadISO,
                                   form.chkVerify,
                                   form.btnAddImages,
                                   form.btnEject,
                                   form.btnCancelAll,
                                   form.btnCancelCurrentFile,
                                   form.btnCancelDownload,
                                   form.btnAbort };
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

QTreeWidgetItem *StickActions::selectedRow() const
{
    const QList<QTreeWidgetItem *> rows = parts.tree->selectedItems();
    if (rows.isEmpty() || rows.first()->data(0, isoTreeWidget::KindRole).isNull())
        return nullptr;
    return rows.first();
}

DeviceFolder StickActions::targetFolder() const
{
    const QTreeWidgetItem *row = selectedRow();
    if (row && !isFolderRow(row))
        row = row->parent();
    return DeviceFolder(row ? pathOf(row) : QString());
}

void StickActions::updateActions()
{
    const bool usable = parts.cycle->isReady() && !parts.detector->drivePath().isEmpty()
        && ejectedRoot.isEmpty();
    const QTreeWidgetItem *row = selectedRow();
    const bool copying = parts.copies->count() > 0 || !parts.copies->copyingName().isEmpty();
    const bool writes = usable && !readOnly;
    addAction->setEnabled(writes);
    addressAction->setEnabled(writes);
    folderAction->setEnabled(writes && (!row || isFolderRow(row)));
    deleteAction->setEnabled(writes && row);
    // A disabled action says why when the switch is the cause; one text for one cause.
    for (QAction *action : { addAction, addressAction, folderAction, deleteAction })
        action->setToolTip(usable && readOnly ? readOnlyReason()
                                              : QString(action->text()).remove(QLatin1Char('&')));
    ejectAction->setEnabled(usable && !copying && !ejector->isBusy());
    emit actionsUpdated();
}

void StickActions::setReadOnly(bool on)
{
    readOnly = on;
    updateActions();
}

QString StickActions::readOnlyReason()
{
    return tr("The discwand's read-only switch is set: nothing can be written to it.");
}

void StickActions::cycleRested()
{
    // A stick found again after an ejection is listed as usual; until then the tree says that
    // the ejected one may go.
    if (!ejectedRoot.isEmpty() && !ejector->isBusy()) {
        if (parts.detector->drivePath().isEmpty())
            parts.tree->showPlaceholder(tr("<The discwand can be removed now>"));
        else
            ejectedRoot.clear();
    }
    updateActions();
}

void StickActions::showMenu(const QPoint &pos)
{
    // The menu acts on the row it was opened on; on empty space, on the top of the stick.
    QTreeWidgetItem *row = parts.tree->itemAt(pos);
    if (row && !row->data(0, isoTreeWidget::KindRole).isNull())
        parts.tree->setCurrentItem(row);
    else
        parts.tree->setCurrentItem(nullptr);
    updateActions();
    QMenu menu(parts.window);
    for (QAction *action : { addAction, addressAction, folderAction, deleteAction })
        if (action->isEnabled())
            menu.addAction(action);
    bool separated = false;
    for (QAction *action : std::as_const(menuActions)) {
        if (!action->isEnabled())
            continue;
        if (!separated && !menu.isEmpty())
            menu.addSeparator();
        separated = true;
        menu.addAction(action);
    }
    QTreeWidgetItem *chosen = selectedRow();
    emit menuShown(&menu, isoTreeWidget::isImageRow(chosen)
                       ? chosen->data(0, isoTreeWidget::PathRole).toString()
                       : QString());
    if (!menu.isEmpty())
        menu.exec(parts.tree->viewport()->mapToGlobal(pos));
}

void StickActions::pressEnter()
{
    QTreeWidgetItem *row = selectedRow();
    if (isoTreeWidget::isImageRow(row)) {
        if (parts.form->btnLoadISO->isEnabled())
            parts.form->btnLoadISO->click();
    } else if (row) {
        row->setExpanded(!row->isExpanded());
    }
}

void StickActions::addImages()
{
    if (!addAction->isEnabled())
        return;
    const DeviceFolder dest = targetFolder();
    QSettings settings;
    const QStringList files = QFileDialog::getOpenFileNames(
        parts.window, tr("Add images to %1").arg(dest.path()),
        settings.value(lastFolderKey, QDir::homePath()).toString(),
        tr("ISO images (*.iso *.ISO *.Iso);;All files (*)"));
    if (files.isEmpty())
        return;
    settings.setValue(lastFolderKey, QFileInfo(files.first()).absolutePath());
    emit filesChosen(dest.path(), files);
}

void StickActions::getFromAddress()
{
    if (!addressAction->isEnabled())
        return;
    AddressDialog dialog(targetFolder().path(), parts.window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    emit addressChosen(dialog.folder(), dialog.url(), dialog.sha256(), dialog.sumsUrl());
}

bool StickActions::isPending(const QString &path, bool inside) const
{
    const QStringList pending = parts.copies->pendingPaths();
    const QString prefix = DeviceFolder(path).path();
    return std::any_of(pending.begin(), pending.end(), [&](const QString &p) {
        return inside ? p.startsWith(prefix, Qt::CaseInsensitive)
                      : p.compare(path, Qt::CaseInsensitive) == 0;
    });
}

bool StickActions::mayWrite(const ScsiDriveDetector &detector, QWidget *window)
{
    const Discwand::Access access = detector.discwand().access();
    if (access == Discwand::Access::Gone) {
        BoxPrompts::ask(window, QMessageBox::Warning, tr("discwand disappeared!"),
                        tr("The discwand is no longer there."), QMessageBox::Ok);
        return false;
    }
    if (access == Discwand::Access::ReadOnly) {
        BoxPrompts::ask(window, QMessageBox::Warning, tr("Couldn't write to discwand"),
                        tr("The discwand takes no changes now. Please check that the read-only "
                           "switch is in the read/write position; you may need to replug the "
                           "discwand for this to take effect."),
                        QMessageBox::Ok);
        return false;
    }
    return true;
}

void StickActions::deleteSelected()
{
    const QTreeWidgetItem *row = selectedRow();
    if (!deleteAction->isEnabled() || !row)
        return;
    if (isFolderRow(row))
        deleteFolder(pathOf(row));
    else
        deleteImage(pathOf(row));
}

void StickActions::deleteImage(const QString &path)
{
    const QString root = parts.detector->drivePath();
    const QString image = ImageChoice::bootName(path);
    const QString name = nameOf(image);
    if (isPending(image, false)) {
        BoxPrompts::ask(parts.window, QMessageBox::Information, tr("Can't delete this image now"),
                        tr("\"%1\" is being copied to the discwand. Cancel its copy or let it "
                           "finish, then delete it.")
                            .arg(name),
                        QMessageBox::Ok);
        return;
    }
    const ImageDeletion::Plan plan = ImageDeletion::plan(root, path);
    if (plan.files.isEmpty()) {
        emit stickChanged();
        return;
    }
    const QString freed = CopyProgress::sizeText(plan.bytes);
    const QString question = plan.files.size() == 1
        ? tr("Delete \"%1\" from the discwand?\n\nThis frees %2.").arg(name, freed)
        : tr("Delete \"%1\" from the discwand? It is stored in %2 parts, which all go:\n\n%3\n\n"
             "This frees %4.")
              .arg(name)
              .arg(plan.files.size())
              .arg(plan.files.join(QLatin1Char('\n')), freed);
    if (BoxPrompts::ask(parts.window, QMessageBox::Question, tr("Delete image?"), question,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // The image the stick boots is asked about once more: without it the stick boots nothing.
    if (ImageDeletion::isBootImage(root, path)
        && BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Delete the boot image?"),
                           tr("\"%1\" is the image the discwand loads when it boots. Delete it "
                              "all the same?\n\nThe discwand has no image to load until you "
                              "choose another one with Load ISO.")
                               .arg(name),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (!canWrite())
        return;
    // Off the GUI thread, as every change below: the syncs wait for a slow stick.
    const QStringList left
        = OffThread::wait([root, plan] { return ImageDeletion::remove(root, plan); });
    emit stickChanged();
    if (!left.isEmpty())
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Couldn't delete"),
                        tr("These files could not be deleted from the discwand:\n\n%1")
                            .arg(left.join(QLatin1Char('\n'))),
                        QMessageBox::Ok);
}

void StickActions::deleteFolder(const QString &path)
{
    const QString name = nameOf(path);
    const QString root = parts.detector->drivePath();
    const FolderDeletion::Plan plan = FolderDeletion::plan(root, path);
    if (isPending(path, true) || plan.busy) {
        BoxPrompts::ask(parts.window, QMessageBox::Information, tr("Can't delete this folder now"),
                        tr("Images are being copied into \"%1\".").arg(name), QMessageBox::Ok);
        return;
    }
    if (!plan.found) {
        emit stickChanged();
        return;
    }
    QStringList images;
    for (const QString &image : plan.images)
        images << image.mid(plan.folder.size() + 1);
    const QString question = plan.files == 0
        ? tr("Delete the empty folder \"%1\" from the discwand?").arg(name)
        : images.isEmpty()
        ? tr("Delete the folder \"%1\" and the %n files in it from the discwand?\n\nThis frees %2.",
             nullptr, plan.files)
              .arg(name, CopyProgress::sizeText(plan.bytes))
        : tr("Delete the folder \"%1\" from the discwand with everything in it (%n files)? These "
             "images go:\n\n%2\n\nThis frees %3.",
             nullptr, plan.files)
              .arg(name, images.join(QLatin1Char('\n')), CopyProgress::sizeText(plan.bytes));
    if (BoxPrompts::ask(parts.window, QMessageBox::Question, tr("Delete folder?"), question,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // The image the stick boots is asked about once more, as when it is deleted alone.
    if (!plan.bootImage.isEmpty()
        && BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Delete the boot image?"),
                           tr("\"%1\" is the image the discwand loads when it boots. Delete it "
                              "all the same?\n\nThe discwand has no image to load until you "
                              "choose another one with Load ISO.")
                               .arg(nameOf(plan.bootImage)),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (!canWrite())
        return;
    const QStringList left
        = OffThread::wait([root, plan] { return FolderDeletion::remove(root, plan); });
    emit stickChanged();
    if (!left.isEmpty())
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Couldn't delete"),
                        tr("These could not be deleted from the discwand:\n\n%1")
                            .arg(left.join(QLatin1Char('\n'))),
                        QMessageBox::Ok);
}

void StickActions::newFolder()
{
    if (!folderAction->isEnabled())
        return;
    const DeviceFolder parent = targetFolder();
    QString name;
    for (;;) {
        QInputDialog dialog(parts.window);
        dialog.setWindowTitle(tr("New folder in %1").arg(parent.path()));
        dialog.setLabelText(tr("Name of the new folder:"));
        dialog.setTextValue(name);
        if (dialog.exec() != QDialog::Accepted)
            return;
        name = dialog.textValue();
        NewFolder::Problem problem = NewFolder::check(name);
        if (problem == NewFolder::Problem::None) {
            if (!canWrite())
                return;
            problem = OffThread::wait([root = parts.detector->drivePath(), parent, name] {
                return NewFolder::make(root, parent, name);
            });
        }
        if (problem == NewFolder::Problem::None)
            break;
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Can't make this folder"),
                        NewFolder::reason(problem), QMessageBox::Ok);
    }
    emit stickChanged();
    // The new folder is selected, ready for images.
    const QString made = parent.filePath(name);
    for (QTreeWidgetItemIterator it(parts.tree); *it; ++it)
        if (isFolderRow(*it) && pathOf(*it) == made)
            parts.tree->setCurrentItem(*it);
}

void StickActions::eject()
{
    if (!ejectAction->isEnabled())
        return;
    // Nothing else is done to the stick while it goes.
    ejectedRoot = parts.detector->drivePath();
    parts.tree->showPlaceholder(tr("<Ejecting the discwand…>"));
    ejector->eject(QDir::cleanPath(ejectedRoot));
    updateActions();
}

void StickActions::ejected(Ejector::Outcome outcome, const QString &detail)
{
    const QString mountPoint = QDir::cleanPath(ejectedRoot);
    // A stick still mounted is usable again before the box about it is read.
    if (outcome == Ejector::Outcome::SyncedOnly || outcome == Ejector::Outcome::Failed) {
        ejectedRoot.clear();
        updateActions();
        emit stickChanged();
    }
    const QString said = Ejector::advice(outcome, detail, mountPoint);
    switch (outcome) {
    case Ejector::Outcome::PoweredOff:
    case Ejector::Outcome::Unmounted:
        parts.tree->showPlaceholder(tr("<The discwand can be removed now>"));
        if (!detail.isEmpty())
            BoxPrompts::ask(parts.window, QMessageBox::Information, tr("discwand not powered off"),
                            said, QMessageBox::Ok);
        break;
    case Ejector::Outcome::SyncedOnly:
        BoxPrompts::ask(parts.window, QMessageBox::Information, tr("Eject the discwand yourself"),
                        said, QMessageBox::Ok);
        break;
    case Ejector::Outcome::Failed:
        BoxPrompts::ask(parts.window, QMessageBox::Warning, tr("Couldn't eject the discwand"), said,
                        QMessageBox::Ok);
        break;
    }
    updateActions();
}
