// Each answer is a line on the error channel, so that a log says why a file was not copied.
#include "cli/flagprompts.h"

#include "cli/clioutput.h"
#include "copy/dropadmission.h"

#include <QLocale>

void FlagPrompts::tooLarge(const QString &fileName)
{
    ++refused;
    CliOutput::error(tr("%1 is left out: the discwand takes images of up to %2 bytes.")
                         .arg(fileName, QLocale().toString(DropAdmission::largestImage)));
}

void FlagPrompts::notRegular(const QString &fileName)
{
    ++refused;
    CliOutput::error(
        tr("%1 is left out: it is no ordinary file (a pipe or a device).").arg(fileName));
}

bool FlagPrompts::overwrite(const QString &fileName)
{
    switch (existing) {
    case Existing::Overwrite:
        return true;
    case Existing::Skip:
        CliOutput::note(tr("%1 is on the discwand already; skipped.").arg(fileName));
        return false;
    case Existing::Refuse:
        break;
    }
    ++refused;
    CliOutput::error(tr("%1 is on the discwand already; left out (--overwrite replaces it, "
                        "--skip-existing passes over it).")
                         .arg(fileName));
    return false;
}
