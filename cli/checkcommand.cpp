// Repairs only what needs nothing but a yes, on a stick that takes writes; everything else is
// reported, and the exit status says whether problems are left.
#include "cli/checkcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "library/stickcheck.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

QString CheckCommand::summary() const
{
    return tr("Look for problems on the discwand; --repair removes what can safely go.");
}

void CheckCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("Finds what interrupted copies left, split images with parts missing, a boot choice "
             "naming no image, images that will not boot and a missing selector program. "
             "--repair removes the leftovers and the broken images. Exit status 8 while problems "
             "are left, 9 while a copy is under way on the stick."));
    parser.addOption({ QStringLiteral("repair"), tr("Apply the safe repairs.") });
    parser.addOption({ QStringLiteral("json"), tr("Print the problems as JSON.") });
}

QString CheckCommand::kindName(const StickProblem &problem)
{
    switch (problem.kind) {
    case StickProblem::Kind::Leftover:
        return QStringLiteral("leftover");
    case StickProblem::Kind::BrokenImage:
        return QStringLiteral("broken-image");
    case StickProblem::Kind::BootImageMissing:
        return QStringLiteral("boot-image-missing");
    case StickProblem::Kind::WillNotBoot:
        return QStringLiteral("will-not-boot");
    case StickProblem::Kind::SelectorMissing:
        return QStringLiteral("selector-missing");
    case StickProblem::Kind::DoubledImage:
        return QStringLiteral("doubled-image");
    case StickProblem::Kind::CopyUnderWay:
        return QStringLiteral("copy-under-way");
    case StickProblem::Kind::FileSystemErrors:
        return QStringLiteral("file-system-errors");
    case StickProblem::Kind::RecordedImageGone:
        return QStringLiteral("recorded-image-gone");
    case StickProblem::Kind::DamagedImage:
        return QStringLiteral("damaged-image");
    }
    return {};
}

ExitStatus CheckCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("check takes no arguments."));
    const bool repair = parser.isSet(QStringLiteral("repair"));
    const bool json = parser.isSet(QStringLiteral("json"));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QList<StickProblem> problems
        = StickCheck::find(IsoListing::read(stick.root()), StickStatus::read(stick.discwand()));
    const bool anyRepair = std::any_of(problems.cbegin(), problems.cend(),
                                       [](const StickProblem &p) { return p.canRemove(); });
    if (repair && anyRepair)
        if (const ExitStatus writable = stick.guard(); writable != ExitStatus::Done)
            return writable;

    QJsonArray found;
    int left = 0;
    for (const StickProblem &problem : problems) {
        const bool repaired = repair && problem.canRemove()
            && stick.discwand().access() == Discwand::Access::Writable
            && StickCheck::remove(stick.root(), problem);
        left += repaired ? 0 : 1;
        if (json) {
            found.append(
                QJsonObject { { QStringLiteral("kind"), kindName(problem) },
                              { QStringLiteral("path"), problem.path },
                              { QStringLiteral("text"), problem.text },
                              { QStringLiteral("size"),
                                problem.namesFiles() ? QJsonValue(problem.size) : QJsonValue() },
                              { QStringLiteral("repairable"), problem.canRemove() },
                              { QStringLiteral("repaired"), repaired } });
        } else {
            CliOutput::data(repaired ? tr("repaired: %1").arg(problem.text) : problem.text);
        }
    }
    if (json)
        CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("problems"), found } }));
    else if (problems.isEmpty())
        CliOutput::note(tr("No problems found."));
    else if (!repair && anyRepair)
        CliOutput::note(tr("'check --repair' removes the leftovers and broken images."));
    // What a running copy writes is neither a problem nor sound yet: asked again later.
    if (std::any_of(problems.cbegin(), problems.cend(), [](const StickProblem &p) {
            return p.kind == StickProblem::Kind::CopyUnderWay;
        }))
        return ExitStatus::Busy;
    return left > 0 ? ExitStatus::Problems : ExitStatus::Done;
}
