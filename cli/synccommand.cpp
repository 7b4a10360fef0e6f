// The whole plan is checked for room before anything changes; removals go first, so that the
// room they give back is there for the copies, which run through the copy command's admission
// and worker with every image of the plan replaced as --overwrite replaces it.
#include "cli/synccommand.h"

#include "cli/clioutput.h"
#include "cli/copycommand.h"
#include "cli/copyrun.h"
#include "cli/flagprompts.h"
#include "cli/sticksession.h"
#include "copy/copyprogress.h"
#include "detect/scsidrivedetector.h"
#include "library/imagedeletion.h"
#include "library/syncplan.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char *const actionNames[] = { "new", "replace", "same", "remove" };

} // namespace

QString SyncCommand::summary() const
{
    return tr("Bring a folder of the discwand up to date with a folder of images.");
}

void SyncCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("The ISO images directly in FOLDER are compared with those in the discwand's folder: "
             "new ones are copied, ones that differ (in size, or in their bytes by SHA-256) "
             "replace the discwand's, the same ones are left alone, and with --delete the "
             "discwand's images that FOLDER lacks are deleted (never the one it boots). The plan "
             "is printed first (one line an image: new, replace, same, remove) and checked for "
             "room as a whole; then it is carried out, copies verified, unless --dry-run. "
             "Nothing outside the discwand's folder is touched."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"), tr("A folder of ISO images."));
    parser.addOption({ QStringLiteral("to"),
                       tr("The folder on the discwand (default: its top level)."),
                       tr("STICKFOLDER"), QStringLiteral("/") });
    parser.addOption({ { QStringLiteral("p"), QStringLiteral("parents") },
                       tr("Make the folder on the discwand when it is not there.") });
    parser.addOption({ QStringLiteral("delete"),
                       tr("Delete the discwand's images that the folder does not hold.") });
    parser.addOption({ QStringLiteral("dry-run"), tr("Print the plan; change nothing.") });
    parser.addOption({ QStringLiteral("json"), tr("Print the plan as JSON.") });
}

void SyncCommand::printPlan(const SyncPlan &plan, bool json)
{
    using Action = SyncPlan::Item::Action;
    if (json) {
        QJsonArray items;
        for (const SyncPlan::Item &item : plan.items)
            items.append(QJsonObject {
                { QStringLiteral("action"), QString::fromLatin1(actionNames[int(item.action)]) },
                { QStringLiteral("name"), item.name },
                { QStringLiteral("source"), item.source },
                { QStringLiteral("path"), item.stickPath },
                { QStringLiteral("size"), item.size },
                { QStringLiteral("freed"), item.freed } });
        CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("items"), items },
                                                    { QStringLiteral("needed"), plan.needed },
                                                    { QStringLiteral("free"), plan.freeBytes },
                                                    { QStringLiteral("fits"), plan.fits() } }));
        return;
    }
    for (const SyncPlan::Item &item : plan.items) {
        const QString size = item.action == Action::Remove
            ? tr("frees %1").arg(CopyProgress::sizeText(item.freed))
            : CopyProgress::sizeText(item.size);
        CliOutput::data(QStringLiteral("%1 %2 (%3)")
                            .arg(QString::fromLatin1(actionNames[int(item.action)]), -7)
                            .arg(item.name, size));
    }
}

ExitStatus SyncCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    using Action = SyncPlan::Item::Action;
    if (!countFits(args, 1, 1))
        return usage(tr("Name the one folder of images to sync from."));
    const QString to = parser.value(QStringLiteral("to"));
    if (!Discwand::isStickPath(to)
        || DeviceFolder(to)
                .path()
                .section(QLatin1Char('/'), 1, 1)
                .compare(QLatin1String("config"), Qt::CaseInsensitive)
            == 0)
        return usage(tr("%1 is no folder for images on the discwand: name it from the top level, "
                        "without \".\" or \"..\", and not its config folder.")
                         .arg(to));
    const QFileInfo local(args.first());
    if (!local.isDir()) {
        CliOutput::error(tr("%1: no such folder.").arg(args.first()));
        return ExitStatus::NotFound;
    }
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    const bool json = parser.isSet(QStringLiteral("json"));
    StickSession stick;
    if (const ExitStatus found = dryRun ? stick.find() : stick.findWritable();
        found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    const Discwand &wand = stick.detector().discwand();
    const DeviceFolder folder(to);
    if (!QFileInfo(wand.filePath(folder.path())).isDir()) {
        if (!parser.isSet(QStringLiteral("parents"))) {
            CliOutput::error(tr("There is no folder %1 on the discwand; --parents makes it.")
                                 .arg(folder.path()));
            return ExitStatus::NotFound;
        }
        // A dry run plans against the folder as it would be made: empty.
        if (!dryRun)
            if (const ExitStatus made = CopyCommand::prepareFolder(wand, to, true, {});
                made != ExitStatus::Done)
                return made;
    }

    CliOutput::note(tr("Comparing %1 with %2 on the discwand...")
                        .arg(QDir::toNativeSeparators(local.absoluteFilePath()), folder.path()));
    SyncPlan plan
        = SyncPlan::make(root, folder, local.absoluteFilePath(),
                         parser.isSet(QStringLiteral("delete")), [](const QString &name) {
                             // Same size on both sides: the bytes decide, read whole.
                             CliOutput::note(tr("%1: same size, comparing SHA-256...").arg(name));
                             return true;
                         });
    // The image the stick boots stays: without it the stick would boot nothing.
    for (qsizetype i = plan.items.size() - 1; i >= 0; --i) {
        const SyncPlan::Item &item = plan.items.at(i);
        if (item.action == Action::Remove && ImageDeletion::isBootImage(root, item.stickPath)) {
            CliOutput::note(
                tr("%1 is the image the discwand boots; it stays.").arg(item.stickPath));
            plan.items.removeAt(i);
        }
    }
    plan.measure(plan.freeBytes, plan.cluster);
    printPlan(plan, json);
    if (plan.isEmpty()) {
        CliOutput::note(
            tr("Nothing to do: %1 on the discwand holds these images already.").arg(folder.path()));
        return ExitStatus::Done;
    }
    if (!plan.fits()) {
        CliOutput::error(
            tr("The plan needs %1 more on the discwand, which has %2 free; nothing "
               "was changed.")
                .arg(CopyProgress::sizeText(plan.needed), CopyProgress::sizeText(plan.freeBytes)));
        return ExitStatus::NoRoom;
    }
    if (dryRun)
        return ExitStatus::Done;

    QStringList copies;
    for (const SyncPlan::Item &item : std::as_const(plan.items)) {
        if (item.action == Action::New || item.action == Action::Replace) {
            copies << item.source;
            continue;
        }
        if (item.action != Action::Remove)
            continue;
        if (const ExitStatus guard = stick.guard(); guard != ExitStatus::Done)
            return guard;
        const QStringList left
            = ImageDeletion::remove(root, ImageDeletion::plan(root, item.stickPath));
        if (!left.isEmpty()) {
            CliOutput::error(
                tr("Couldn't delete from the discwand: %1").arg(left.join(QStringLiteral(", "))));
            return ExitStatus::Failure;
        }
        CliOutput::note(tr("Deleted %1.").arg(item.stickPath));
    }
    if (copies.isEmpty())
        return ExitStatus::Done;
    FlagPrompts prompts(FlagPrompts::Existing::Overwrite);
    int refused = 0;
    const std::optional<QList<CopyEntry>> admitted
        = CopyCommand::admit(wand, to, copies, prompts, &refused, QString());
    if (!admitted)
        return ExitStatus::Refused;
    ExitStatus status = ExitStatus::Done;
    if (!admitted->isEmpty()) {
        CopyRun batch(stick.detector(), true);
        batch.setPrintPaths(!json);
        status = batch.exec(*admitted);
    }
    if (status != ExitStatus::Done)
        return status;
    return prompts.withoutRoom() > 0 ? ExitStatus::NoRoom
        : refused > 0                ? ExitStatus::Refused
                                     : ExitStatus::Done;
}
