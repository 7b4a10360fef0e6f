// The stick's file system is flushed, then the user is told how to unmount it: unmounting a
// volume the user mounted takes rights this program does not assume it has.
#include "cli/ejectcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

QString EjectCommand::summary() const
{
    return tr("Write out everything meant for the discwand and tell how to unplug it safely.");
}

void EjectCommand::describe(QCommandLineParser &) const { }

QString EjectCommand::shellQuoted(const QString &path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
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

    // syncfs waits for this volume alone; where it cannot be opened, everything is flushed.
    const int fd = ::open(QFile::encodeName(mountPoint).constData(), O_RDONLY | O_DIRECTORY);
    const bool flushed = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!flushed)
        ::sync();
    CliOutput::note(tr("Everything is written to the discwand. Unmount it before you unplug it: "
                       "umount %1 (or Eject in your file manager).")
                        .arg(shellQuoted(mountPoint)));
    return ExitStatus::Done;
}
