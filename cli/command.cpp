// The help and usage messages every subcommand shares.
#include "cli/command.h"

#include "cli/clioutput.h"

ExitStatus Command::usage(const QString &why) const
{
    CliOutput::error(why);
    CliOutput::note(tr("Try '%1 %2 --help'.").arg(QCoreApplication::applicationName(), name()));
    return ExitStatus::Usage;
}

bool Command::countFits(const QStringList &args, int least, int most) const
{
    return args.size() >= least && (most < 0 || args.size() <= most);
}
