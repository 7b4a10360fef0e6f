// Every move is planned and checked before the first is made; the moves then run one by one,
// each whole or not at all.
#include "cli/movecommand.h"

#include "cli/clioutput.h"
#include "cli/stickpath.h"
#include "cli/sticksession.h"
#include "library/imagechoice.h"
#include "library/isolisting.h"
#include "library/stickmove.h"

#include <QCommandLineParser>

QString MoveCommand::summary() const
{
    return renaming ? tr("Rename an image or a folder on the discwand.")
                    : tr("Move images or folders into another folder on the discwand.");
}

void MoveCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("A split image goes with all its parts or not at all; a move stopped part way is "
             "finished by 'check --repair'. When the image the discwand boots (or a folder "
             "holding it) moves, the boot choice follows. The new path is printed on standard "
             "output."));
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 tr("The image or folder on the discwand, as 'list' shows it."));
    if (renaming)
        parser.addPositionalArgument(QStringLiteral("NEWNAME"), tr("Its new name."));
    else
        parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                     tr("The folder on the discwand to move into (/ for the top "
                                        "level)."),
                                     QStringLiteral("[PATH...] FOLDER"));
}

ExitStatus MoveCommand::run(const QCommandLineParser &, const QStringList &args)
{
    if (renaming ? !countFits(args, 2, 2) : !countFits(args, 2, -1))
        return usage(renaming ? tr("Name the image or folder and its new name.")
                              : tr("Name what to move and the folder to move it into."));
    if (renaming && args.last().contains(QLatin1Char('/')))
        return usage(tr("A new name holds no /; 'move' puts things into another folder."));
    StickSession stick;
    if (const ExitStatus found = stick.findWritable(); found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    const IsoListing listing = IsoListing::read(root);
    QString into;
    if (!renaming) {
        const QString typed = args.last();
        const StickPath folder = StickPath::find(listing, typed);
        into = typed.split(QLatin1Char('/'), Qt::SkipEmptyParts).isEmpty() ? QStringLiteral("/")
                                                                           : folder.path;
        if (into.isEmpty() || (!folder.folder && into != QLatin1String("/"))) {
            CliOutput::error(tr("There is no folder %1 on the discwand.").arg(typed));
            return ExitStatus::NotFound;
        }
    }

    QList<StickMove::Plan> plans;
    for (const QString &typed : args.mid(0, renaming ? 1 : args.size() - 1)) {
        const StickPath found = StickPath::find(listing, typed);
        if (found.path.isEmpty()) {
            CliOutput::error(tr("There is no image or folder %1 on the discwand ('list' shows "
                                "them).")
                                 .arg(typed));
            return ExitStatus::NotFound;
        }
        const StickMove::Plan plan = renaming ? StickMove::renamePlan(root, found.path, args.last())
                                              : StickMove::movePlan(root, found.path, into);
        if (plan.problem != StickMove::Problem::None) {
            CliOutput::error(
                tr("%1 cannot go to %2: %3.").arg(typed, plan.to, StickMove::reason(plan)));
            return plan.problem == StickMove::Problem::Busy ? ExitStatus::Busy
                                                            : ExitStatus::Refused;
        }
        plans << plan;
    }
    for (const StickMove::Plan &plan : std::as_const(plans)) {
        if (const ExitStatus guard = stick.guard(); guard != ExitStatus::Done)
            return guard;
        // Planned before the first move: one that has become impossible since is told here.
        if (StickMove::run(root, plan) != StickMove::Problem::None) {
            StickMove::Plan failed = plan;
            failed.problem = StickMove::Problem::Failed;
            CliOutput::error(tr("Couldn't move %1: %2.")
                                 .arg(plan.journal.steps.value(0).from, StickMove::reason(failed)));
            return ExitStatus::Failure;
        }
        CliOutput::data(plan.to);
        if (!plan.journal.boot.isEmpty())
            CliOutput::note(tr("The discwand will boot %1.").arg(plan.journal.boot));
    }
    return ExitStatus::Done;
}
