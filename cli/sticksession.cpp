// Detection for the command line: the same detector as the window, its fatal messages on the
// error channel and a failed pass reported as a failure, not as a missing stick.
#include "cli/sticksession.h"

#include "cli/clioutput.h"
#include "detect/constants.h"
#include "detect/scsidrivedetector.h"

namespace {

void fatalMessage(const QString &title, const QString &text)
{
    CliOutput::error(title + QStringLiteral(": ") + text);
}

} // namespace

StickSession::StickSession()
{
    ScsiDriveDetector::setFatalReporter(fatalMessage);
    scanner = std::make_unique<ScsiDriveDetector>(Discshelf::vendorName, Discshelf::productName,
                                                  nullptr);
    QObject::connect(scanner.get(), &ScsiDriveDetector::refreshFailed, [this] { failed = true; });
}

StickSession::~StickSession() = default;

QString StickSession::root() const
{
    return scanner->drivePath();
}

ExitStatus StickSession::find(bool quiet)
{
    failed = false;
    scanner->forceRefresh();
    if (failed) {
        if (!quiet)
            CliOutput::error(tr("Couldn't look for the discwand: the description of this "
                                "computer's disks can't be read."));
        return ExitStatus::Failure;
    }
    if (root().isEmpty())
        return quiet ? ExitStatus::NoDiscwand : missing();
    return ExitStatus::Done;
}

ExitStatus StickSession::findWritable()
{
    const ExitStatus found = find();
    if (found != ExitStatus::Done)
        return found;
    return scanner->isWritable() ? ExitStatus::Done : readOnly(*scanner);
}

ExitStatus StickSession::missing()
{
    CliOutput::error(tr("No discwand found. Plug it in (or wait for it with 'wait')."));
    return ExitStatus::NoDiscwand;
}

ExitStatus StickSession::readOnly(const ScsiDriveDetector &detector)
{
    if (detector.isVolumeDirty())
        CliOutput::error(tr("The discwand's file system has errors, so the system made it "
                            "read-only: run check, or repair it with fsck.fat."));
    else
        CliOutput::error(tr("The discwand is read-only: move its read-only switch to the "
                            "read/write position and plug it in again."));
    return ExitStatus::ReadOnly;
}
