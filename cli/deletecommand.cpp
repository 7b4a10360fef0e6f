// What a question asks in the window is an option here: a folder that is not empty goes with
// --recursive, the image the stick boots with --force. All is checked before the first goes.
#include "cli/deletecommand.h"

#include "cli/clioutput.h"
#include "cli/stickpath.h"
#include "cli/sticksession.h"
#include "copy/copyprogress.h"
#include "library/folderdeletion.h"
#include "library/imagedeletion.h"
#include "library/isolisting.h"

#include <QCommandLineParser>
#include <QDir>

QString DeleteCommand::summary() const
{
    return tr("Delete images or folders from the discwand.");
}

void DeleteCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("A split image goes with all its parts. A folder that holds anything goes only with "
             "--recursive, never while an image is being copied into it; the image the discwand "
             "boots goes only with --force. What went and the room freed are told."));
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 tr("Images or folders on the discwand, as 'list' shows them."),
                                 QStringLiteral("PATH..."));
    parser.addOption({ { QStringLiteral("r"), QStringLiteral("recursive") },
                       tr("Delete folders with everything in them.") });
    parser.addOption({ QStringLiteral("force"), tr("Delete the image the discwand boots too.") });
}

ExitStatus DeleteCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 1, -1))
        return usage(tr("Name at least one image or folder to delete."));
    const bool recursive = parser.isSet(QStringLiteral("recursive"));
    const bool force = parser.isSet(QStringLiteral("force"));
    StickSession stick;
    if (const ExitStatus found = stick.findWritable(); found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    const IsoListing listing = IsoListing::read(root);

    struct Target
    {
        QString typed;
        StickPath at;
        ImageDeletion::Plan image;
        FolderDeletion::Plan folder;
    };
    QList<Target> targets;
    for (const QString &typed : args) {
        Target target { typed, StickPath::find(listing, typed), {}, {} };
        if (target.at.path.isEmpty()) {
            CliOutput::error(tr("There is no image or folder %1 on the discwand ('list' shows "
                                "them).")
                                 .arg(typed));
            return ExitStatus::NotFound;
        }
        if (target.at.folder) {
            target.folder = FolderDeletion::plan(root, target.at.path);
            if (target.folder.busy) {
                CliOutput::error(tr("An image is being copied into %1; delete it once the copy is "
                                    "done.")
                                     .arg(target.at.path));
                return ExitStatus::Busy;
            }
            const bool empty = QDir(QDir::cleanPath(root + target.at.path))
                                   .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                            | QDir::System);
            if (!empty && !recursive) {
                CliOutput::error(tr("%1 is not empty (%2 images, %3 files); --recursive deletes it "
                                    "with everything in it.")
                                     .arg(target.at.path)
                                     .arg(target.folder.images.size())
                                     .arg(target.folder.files));
                return ExitStatus::Refused;
            }
            if (!target.folder.bootImage.isEmpty() && !force) {
                CliOutput::error(tr("%1 holds %2, the image the discwand boots; --force deletes "
                                    "it all the same.")
                                     .arg(target.at.path, target.folder.bootImage));
                return ExitStatus::Refused;
            }
        } else {
            target.image = ImageDeletion::plan(root, target.at.path);
            if (ImageDeletion::isBootImage(root, target.at.path) && !force) {
                CliOutput::error(tr("%1 is the image the discwand boots; --force deletes it all "
                                    "the same.")
                                     .arg(typed));
                return ExitStatus::Refused;
            }
        }
        targets << target;
    }

    for (const Target &target : std::as_const(targets)) {
        if (const ExitStatus guard = stick.guard(); guard != ExitStatus::Done)
            return guard;
        const QStringList left = target.at.folder ? FolderDeletion::remove(root, target.folder)
                                                  : ImageDeletion::remove(root, target.image);
        if (!left.isEmpty()) {
            CliOutput::error(
                tr("Couldn't delete from the discwand: %1").arg(left.join(QStringLiteral(", "))));
            return ExitStatus::Failure;
        }
        const qint64 bytes = target.at.folder ? target.folder.bytes : target.image.bytes;
        CliOutput::note(tr("Deleted %1, freeing %2.")
                            .arg(target.at.path.endsWith(QLatin1String(".0"))
                                     ? target.at.path.chopped(2)
                                     : target.at.path,
                                 CopyProgress::sizeText(bytes)));
    }
    return ExitStatus::Done;
}
