#include "ui/stickoverview.h"

#include "copy/copyprogress.h"
#include "copy/offthread.h"
#include "detect/scsidrivedetector.h"
#include "library/imagechoice.h"
#include "ui/boxprompts.h"
#include "ui/plaintip.h"
#include "ui/stickactions.h"

#include <QLabel>
#include <QMenu>
#include <QAbstractButton>
#include <QSettings>
#include <QStyle>
#include <QToolButton>

StickOverview::StickOverview(QLabel *summary, QToolButton *problems,
                             const ScsiDriveDetector *detector, QWidget *window)
    : QObject(window)
    , summary(summary)
    , problems(problems)
    , detector(detector)
    , window(window)
{
    problems->setMenu(new QMenu(problems));
    problems->setIcon(window->style()->standardIcon(QStyle::SP_MessageBoxWarning));
    problems->hide();
    summary->hide();
    switchWatch.setInterval(1000);
    connect(&switchWatch, &QTimer::timeout, this, &StickOverview::checkSwitch);
}

void StickOverview::setCheckAction(QAction *action)
{
    checkAction = action;
}

void StickOverview::show(const StickStatus &now, const QList<StickProblem> &found)
{
    status = now;
    updateLine();
    if (status.present)
        switchWatch.start();
    else
        switchWatch.stop();

    // A relisting of an unchanged stick finds the same problems, at times a thousand of them:
    // rebuilding their menu would cost more than the relisting itself.
    QMenu *menu = problems->menu();
    if (found == shownProblems && menu->actions().size() == menuSize(found))
        return;
    shownProblems = found;
    menu->clear();
    for (const StickProblem &problem : found) {
        const QString does = actionText(problem.kind);
        QAction *action = menu->addAction(does.isEmpty() ? problem.text
                                                         : tr("%1 — %2").arg(problem.text, does));
        action->setEnabled(!does.isEmpty());
        connect(action, &QAction::triggered, this, [this, problem] { repair(problem); });
    }
    if (checkAction) {
        menu->addSeparator();
        menu->addAction(checkAction);
    }
    Q_ASSERT(menu->actions().size() == menuSize(found));
    problems->setText(tr("%n &problem(s)", nullptr, int(found.size())));
    problems->setVisible(!found.isEmpty());
}

qsizetype StickOverview::menuSize(const QList<StickProblem> &found) const
{
    // Each problem's entry, then a separator and Check Images.
    return found.size() + (checkAction ? 2 : 0);
}

void StickOverview::showReadOnly(bool readOnly)
{
    status.readOnly = readOnly;
    updateLine();
}

void StickOverview::updateLine()
{
    emit readOnlyChanged(status.present && status.readOnly);
    if (!status.present) {
        summary->hide();
        return;
    }
    QStringList parts;
    if (!status.label.isEmpty())
        parts << status.label;
    if (!status.fileSystem.isEmpty())
        parts << status.fileSystem;
    if (status.capacity > 0)
        parts << tr("%1, %2 free")
                     .arg(CopyProgress::sizeText(status.capacity),
                          CopyProgress::sizeText(status.freeBytes));
    if (status.mountReadOnly)
        parts << tr("read-only: its file system has errors, repair it with fsck.fat");
    else
        parts << (status.readOnly ? tr("read-only switch set") : tr("writable"));
    // Which image boots stays in sight: the tree may hide it in a closed folder.
    const QString boots = status.bootImage.isEmpty()
        ? tr("Boots: nothing chosen")
        : tr("Boots: %1").arg(status.bootImage.mid(status.bootImage.startsWith(u'/') ? 1 : 0));
    summary->setText(parts.join(QStringLiteral(" · ")) + QLatin1Char('\n') + boots);
    // A narrow window cuts the line short; the tooltip has all of it.
    summary->setToolTip(PlainTip::of(parts.join(QStringLiteral(" · ")) + QLatin1Char('\n') + boots
                                     + QLatin1Char('\n') + status.root));
    summary->show();
}

void StickOverview::checkSwitch()
{
    if (!window->isVisible() || detector->drivePath().isEmpty())
        return;
    const bool readOnly = !detector->isWritable();
    const bool mountReadOnly = readOnly && detector->isVolumeDirty();
    if (readOnly != status.readOnly || mountReadOnly != status.mountReadOnly) {
        status.mountReadOnly = mountReadOnly;
        showReadOnly(readOnly);
    }
}

QString StickOverview::actionText(StickProblem::Kind kind)
{
    switch (kind) {
    case StickProblem::Kind::Leftover:
        return tr("Remove leftovers…");
    case StickProblem::Kind::BrokenImage:
        return tr("Remove its parts…");
    case StickProblem::Kind::WillNotBoot:
        return tr("Delete or keep…");
    case StickProblem::Kind::SelectorMissing:
        return tr("Download it");
    case StickProblem::Kind::BootImageMissing:
        return tr("Choose another…");
    case StickProblem::Kind::RecordedImageGone:
        return tr("Forget it");
    case StickProblem::Kind::DamagedImage:
        return tr("Remove it…");
    case StickProblem::Kind::DoubledImage:
    case StickProblem::Kind::CopyUnderWay:
    case StickProblem::Kind::FileSystemErrors:
        break;
    }
    return {};
}

QStringList StickOverview::keptImages()
{
    return QSettings().value(QStringLiteral("keptImages")).toStringList();
}

void StickOverview::deleteOrKeep(const StickProblem &problem)
{
    QMessageBox box(QMessageBox::Question, tr("Delete or keep?"),
                    tr("%1.\nDelete it from the discwand, or keep it and no longer count it as a "
                       "problem?")
                        .arg(problem.text),
                    QMessageBox::Yes | QMessageBox::Ignore | QMessageBox::Cancel, window);
    box.setTextFormat(Qt::PlainText);
    // Standard buttons, so that the answer is the button's; their texts say what they do.
    for (const auto &[button, text] : { std::pair { QMessageBox::Yes, tr("Delete…") },
                                        std::pair { QMessageBox::Ignore, tr("Keep It") } }) {
        box.button(button)->setText(text);
        box.button(button)->setIcon(QIcon());
    }
    box.setDefaultButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        emit deleteWanted(problem.path);
    } else if (answer == QMessageBox::Ignore) {
        QSettings settings;
        settings.setValue(QStringLiteral("keptImages"),
                          keptImages() << ImageChoice::bootName(problem.path));
        emit relistWanted();
    }
}

void StickOverview::repair(const StickProblem &problem)
{
    switch (problem.kind) {
    case StickProblem::Kind::SelectorMissing:
        emit downloadWanted();
        return;
    case StickProblem::Kind::BootImageMissing:
        BoxPrompts::ask(window, QMessageBox::Information, tr("Choose an image to boot"),
                        tr("Select the image the discwand should boot and click Load ISO."),
                        QMessageBox::Ok);
        return;
    case StickProblem::Kind::WillNotBoot:
        deleteOrKeep(problem);
        return;
    case StickProblem::Kind::DoubledImage:
    case StickProblem::Kind::CopyUnderWay:
    case StickProblem::Kind::FileSystemErrors:
        return;
    case StickProblem::Kind::RecordedImageGone:
        // Only the record's line goes, nothing of the user's: no question.
        if (StickActions::mayWrite(*detector, window))
            StickCheck::remove(status.root, problem);
        emit relistWanted();
        return;
    case StickProblem::Kind::Leftover:
    case StickProblem::Kind::BrokenImage:
    case StickProblem::Kind::DamagedImage:
        break;
    }
    // A broken image's question names each part that goes, and nothing else goes.
    const QString question = problem.files.isEmpty()
        ? tr("%1\nRemove it from the discwand? This frees %2.")
              .arg(problem.text, CopyProgress::sizeText(problem.size))
        : tr("%1\nRemove %2 from the discwand? This frees %3.")
              .arg(problem.text, problem.files.join(QStringLiteral(", ")),
                   CopyProgress::sizeText(problem.size));
    if (BoxPrompts::ask(window, QMessageBox::Question, tr("Remove it?"), question,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (!StickActions::mayWrite(*detector, window))
        return;
    // Off the GUI thread: the syncs wait for a slow stick.
    if (!OffThread::wait(
            [root = status.root, problem] { return StickCheck::remove(root, problem); }))
        BoxPrompts::ask(window, QMessageBox::Warning, tr("Not removed"),
                        tr("%1 could not be removed entirely.").arg(problem.path), QMessageBox::Ok);
    emit relistWanted();
}
