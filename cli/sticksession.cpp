// Detection for the command line: the same detector as the window, its fatal messages on the
// error channel and a failed pass reported as a failure, not as a missing stick.
#include "cli/sticksession.h"

#include "cli/clioutput.h"
#include "detect/constants.h"
#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QStringList>

namespace {

void fatalMessage(const QString &title, const QString &text)
{
    CliOutput::error(title + QStringLiteral(": ") + text);
}

} // namespace

QString StickSession::wanted;

void StickSession::setWanted(const QString &stick)
{
    wanted = stick;
}

StickSession::StickSession()
{
    ScsiDriveDetector::setFatalReporter(fatalMessage);
    scanner = std::make_unique<ScsiDriveDetector>(Discshelf::vendorName, Discshelf::productName,
                                                  nullptr);
    QObject::connect(scanner.get(), &ScsiDriveDetector::refreshFailed, [this] { failed = true; });
    scanner->setWanted(wanted);
}

StickSession::~StickSession() = default;

Discwand StickSession::discwand() const
{
    return scanner->discwand();
}

QString StickSession::root() const
{
    return discwand().root();
}

ExitStatus StickSession::find(bool quiet, bool several)
{
    failed = false;
    scanner->forceRefresh();
    if (failed) {
        if (!quiet)
            CliOutput::error(tr("Couldn't look for the discwand: the description of this "
                                "computer's disks can't be read."));
        return ExitStatus::Failure;
    }
    const int found = int(scanner->sticks().size());
    if (wanted.isEmpty() && found > 1 && !several) {
        CliOutput::error(tr("%n discwand(s) are plugged in; name the one meant with --stick "
                            "SERIAL|MOUNTPOINT|LABEL:",
                            nullptr, found)
                         + QLatin1Char('\n') + candidates());
        return ExitStatus::Usage;
    }
    if (root().isEmpty()) {
        if (quiet)
            return ExitStatus::NoDiscwand;
        if (found == 0)
            return missing();
        CliOutput::error(tr("No discwand is called %1. Plugged in:").arg(wanted) + QLatin1Char('\n')
                         + candidates());
        return ExitStatus::NoDiscwand;
    }
    return ExitStatus::Done;
}

bool StickSession::take(const QString &stick)
{
    scanner->setWanted(stick);
    scanner->forceRefresh();
    return !root().isEmpty();
}

QString StickSession::candidates() const
{
    QStringList lines;
    for (const Discwand &stick : scanner->sticks())
        lines << QStringLiteral("  %1 (%2, serial %3)")
                     .arg(QDir::toNativeSeparators(QDir::cleanPath(stick.root())),
                          stick.label().isEmpty() ? tr("no label") : stick.label(), stick.volume());
    return lines.join(QLatin1Char('\n'));
}

ExitStatus StickSession::findWritable()
{
    const ExitStatus found = find();
    if (found != ExitStatus::Done)
        return found;
    return guard();
}

ExitStatus StickSession::guard()
{
    const Discwand stick = discwand();
    switch (stick.access()) {
    case Discwand::Access::Writable:
        return ExitStatus::Done;
    case Discwand::Access::Gone:
        return missing();
    case Discwand::Access::ReadOnly:
        break;
    }
    return readOnly(stick);
}

ExitStatus StickSession::missing()
{
    CliOutput::error(tr("No discwand found. Plug it in (or wait for it with 'wait')."));
    return ExitStatus::NoDiscwand;
}

ExitStatus StickSession::readOnly(const Discwand &stick)
{
    if (stick.isVolumeDirty())
        CliOutput::error(tr("The discwand's file system has errors, so the system made it "
                            "read-only: run check, or repair it with fsck.fat."));
    else
        CliOutput::error(tr("The discwand is read-only: move its read-only switch to the "
                            "read/write position and plug it in again."));
    return ExitStatus::ReadOnly;
}
