// Each stick gets its own detector (the write guard and the queue ask it of that stick alone)
// and its own run; the runs share the one event loop, their workers copy side by side.
#include "cli/allstickscopy.h"

#include "cli/clioutput.h"
#include "cli/copycommand.h"
#include "cli/copyrun.h"
#include "cli/interruptwatch.h"
#include "cli/sticksession.h"
#include "detect/constants.h"
#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QEventLoop>

#include <memory>
#include <vector>

namespace {

struct StickCopy
{
    QString name;
    std::unique_ptr<ScsiDriveDetector> detector;
    std::unique_ptr<FlagPrompts> prompts;
    std::unique_ptr<CopyRun> run;
    ExitStatus admission = ExitStatus::Done;
};

int rank(ExitStatus status)
{
    switch (status) {
    case ExitStatus::Done:
        return 0;
    case ExitStatus::Refused:
        return 1;
    case ExitStatus::NoRoom:
        return 2;
    case ExitStatus::ReadOnly:
        return 3;
    case ExitStatus::NoDiscwand:
        return 4;
    case ExitStatus::Failure:
        return 5;
    default:
        // Interrupted, a stop request, and what a copy does not end with.
        return code(status) >= code(ExitStatus::Interrupted) ? 7 : 6;
    }
}

} // namespace

AllSticksCopy::AllSticksCopy(QString to, QStringList files, FlagPrompts::Existing existing,
                             bool verify, bool parents)
    : to(std::move(to))
    , files(std::move(files))
    , existing(existing)
    , verify(verify)
    , parents(parents)
{ }

ExitStatus AllSticksCopy::worse(ExitStatus a, ExitStatus b)
{
    return rank(b) > rank(a) ? b : a;
}

ExitStatus AllSticksCopy::exec()
{
    StickSession session;
    if (const ExitStatus found = session.find(false, true); found != ExitStatus::Done)
        return found;

    // Watched before the first copy starts, so that Ctrl+C always goes through the queues.
    InterruptWatch watch;
    std::vector<StickCopy> copies;
    for (const Discwand &stick : session.detector().sticks()) {
        StickCopy copy;
        copy.name = QDir::toNativeSeparators(QDir::cleanPath(stick.root()));
        copy.detector = std::make_unique<ScsiDriveDetector>(Discshelf::vendorName,
                                                            Discshelf::productName, nullptr);
        copy.detector->setWanted(stick.volume());
        copy.detector->forceRefresh();
        const Discwand own = copy.detector->discwand();
        if (own.isNull()) {
            CliOutput::error(tr("%1: the discwand went away.").arg(copy.name));
            copy.admission = ExitStatus::NoDiscwand;
        } else if (own.access() != Discwand::Access::Writable) {
            CliOutput::error(
                tr("%1: the discwand is read-only; nothing is copied to it.").arg(copy.name));
            copy.admission = ExitStatus::ReadOnly;
        } else if (const ExitStatus folder
                   = CopyCommand::prepareFolder(own, to, parents, copy.name);
                   folder != ExitStatus::Done) {
            copy.admission = folder;
        } else {
            copy.prompts = std::make_unique<FlagPrompts>(existing);
            int refused = 0;
            const auto accepted
                = CopyCommand::admit(own, to, files, *copy.prompts, &refused, copy.name);
            if (!accepted)
                copy.admission = ExitStatus::Refused;
            else if (copy.prompts->withoutRoom() > 0)
                copy.admission = ExitStatus::NoRoom;
            else if (refused > 0)
                copy.admission = ExitStatus::Refused;
            if (accepted && !accepted->isEmpty()) {
                copy.run = std::make_unique<CopyRun>(*copy.detector, verify, copy.name);
                copy.run->start(*accepted);
            }
        }
        copies.push_back(std::move(copy));
    }

    QEventLoop loop;
    const auto allOver = [&copies] {
        for (const StickCopy &copy : copies)
            if (copy.run && !copy.run->isOver())
                return false;
        return true;
    };
    QObject::connect(&watch, &InterruptWatch::interrupted, &loop, [&](int signalNumber) {
        CliOutput::note(tr("Stopping the copies (press Ctrl+C again to quit at once)..."));
        for (StickCopy &copy : copies)
            if (copy.run)
                copy.run->interrupt(signalNumber);
    });
    for (StickCopy &copy : copies)
        if (copy.run)
            QObject::connect(copy.run.get(), &CopyRun::over, &loop, [&] {
                if (allOver())
                    loop.quit();
            });
    if (!allOver())
        loop.exec();

    ExitStatus worst = ExitStatus::Done;
    for (const StickCopy &copy : copies) {
        const ExitStatus ran = copy.run ? copy.run->result() : ExitStatus::Done;
        const ExitStatus status = ran != ExitStatus::Done ? ran : copy.admission;
        CliOutput::note(tr("%1: %n image(s) copied, exit status %2.", nullptr,
                           copy.run ? copy.run->copiedCount() : 0)
                            .arg(copy.name)
                            .arg(code(status)));
        worst = worse(worst, status);
    }
    return worst;
}
