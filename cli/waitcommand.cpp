// Waits on the detector's own notifications, as the window does: a volume mounted starts a
// detection pass, and a pass that finds the stick ends the wait. No polling of our own.
#include "cli/waitcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "detect/scsidrivedetector.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QTimer>

QString WaitCommand::summary() const
{
    return tr("Wait until a discwand is plugged in; print where it is.");
}

void WaitCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("Returns at once when one is there already. Its mount point goes to standard "
             "output."));
    parser.addOption({ QStringLiteral("timeout"),
                       tr("Give up after this many seconds (exit status 3)."), tr("S") });
}

ExitStatus WaitCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("wait takes no arguments."));
    double seconds = -1;
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        seconds = parser.value(QStringLiteral("timeout")).toDouble(&ok);
        if (!ok || seconds < 0)
            return usage(tr("--timeout wants a number of seconds."));
    }

    StickSession stick;
    // Any stick will do, or the one named.
    ExitStatus status = stick.find(true, true);
    if (status == ExitStatus::Failure)
        return stick.find();
    if (status == ExitStatus::NoDiscwand && seconds != 0) {
        ScsiDriveDetector &detector = stick.detector();
        QEventLoop loop;
        QObject::connect(&detector, &ScsiDriveDetector::youShouldRefreshNow, &detector,
                         &ScsiDriveDetector::forceRefresh);
        QObject::connect(&detector, &ScsiDriveDetector::driveDetected, &loop, [&] {
            status = ExitStatus::Done;
            loop.quit();
        });
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (seconds > 0)
            timeout.start(int(qMin(seconds * 1000, 2e9)));
        CliOutput::note(tr("Waiting for a discwand..."));
        loop.exec();
    }
    if (status != ExitStatus::Done) {
        CliOutput::error(tr("No discwand appeared within %1 seconds.").arg(seconds));
        return ExitStatus::NoDiscwand;
    }
    QString mountPoint = stick.root();
    if (mountPoint.size() > 1)
        mountPoint.chop(1);
    CliOutput::data(mountPoint);
    return ExitStatus::Done;
}
