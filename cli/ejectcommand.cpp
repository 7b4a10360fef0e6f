// Ejects the stick as the window does: unmounted and powered off through the system's disk
// service, or synced with advice on what is left to do where that service cannot.
#include "cli/ejectcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"

#include "library/ejector.h"

#include <QCommandLineParser>
#include <QEventLoop>

QString EjectCommand::summary() const
{
    return tr("Write out everything meant for the discwand and tell how to unplug it safely.");
}

void EjectCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("The system's disk service (UDisks2) unmounts the discwand and switches it off. "
             "Where it cannot (no such service, or a stick it does not manage), everything is "
             "written out and the exit status is 10: the discwand is not yet safe to unplug until "
             "you unmount it."));
}

ExitStatus EjectCommand::run(const QCommandLineParser &, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("eject takes no arguments."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    QString mountPoint = stick.root();
    if (mountPoint.size() > 1)
        mountPoint.chop(1);

    // The same ejection as the window's: UDisks2 where it manages the volume, a sync elsewhere.
    Ejector ejector;
    QEventLoop loop;
    Ejector::Outcome outcome = Ejector::Outcome::Failed;
    QString detail;
    QObject::connect(&ejector, &Ejector::finished, &loop,
                     [&](Ejector::Outcome result, const QString &why) {
                         outcome = result;
                         detail = why;
                         loop.quit();
                     });
    ejector.eject(mountPoint);
    if (ejector.isBusy())
        loop.exec();
    const QString said = Ejector::advice(outcome, detail, mountPoint);
    switch (outcome) {
    case Ejector::Outcome::PoweredOff:
    case Ejector::Outcome::Unmounted:
        CliOutput::note(said);
        return ExitStatus::Done;
    case Ejector::Outcome::SyncedOnly:
        CliOutput::note(said);
        return ExitStatus::NotEjected;
    case Ejector::Outcome::Failed:
        break;
    }
    CliOutput::error(said);
    return ExitStatus::Failure;
}
