// Each answer is a line on the error channel, so that a log says why a file was not copied.
#include "cli/flagprompts.h"

#include "cli/clioutput.h"
#include "copy/copyprogress.h"
#include "copy/dropadmission.h"

#include <QLocale>

void FlagPrompts::tooLarge(const QString &fileName)
{
    ++refusedCount;
    CliOutput::error(tr("%1 is left out: the discwand takes images of up to %2 bytes.")
                         .arg(fileName, QLocale().toString(DropAdmission::largestImage)));
}

void FlagPrompts::notRegular(const QString &fileName)
{
    ++refusedCount;
    CliOutput::error(
        tr("%1 is left out: it is no ordinary file (a pipe or a device).").arg(fileName));
}

void FlagPrompts::refused(const QStringList &reasons)
{
    refusedCount += int(reasons.size());
    for (const QString &reason : reasons)
        CliOutput::error(tr("Left out: %1.").arg(reason));
}

bool FlagPrompts::willNotBoot(const QString &fileName, bool iso9660)
{
    CliOutput::note(iso9660 ? tr("%1 has no boot record: the discwand cannot start a computer "
                                 "from it. Copied all the same.")
                                  .arg(fileName)
                            : tr("%1 is no ISO 9660 image: the discwand cannot start a computer "
                                 "from it. Copied all the same.")
                                  .arg(fileName));
    return true;
}

bool FlagPrompts::overwrite(const QString &fileName, bool removeFirst)
{
    switch (existing) {
    case Existing::Overwrite:
        if (removeFirst)
            CliOutput::note(tr("%1: there is no room for both, so the old image goes before the "
                               "new one is written; stopping the copy leaves neither.")
                                .arg(fileName));
        return true;
    case Existing::Skip:
        CliOutput::note(tr("%1 is on the discwand already; skipped.").arg(fileName));
        return false;
    case Existing::Refuse:
        break;
    }
    ++refusedCount;
    CliOutput::error(tr("%1 is on the discwand already; left out (--overwrite replaces it, "
                        "--skip-existing passes over it).")
                         .arg(fileName));
    return false;
}

bool FlagPrompts::copyWhatFits(const QStringList &fileNames, qint64 freeBytes)
{
    noRoom += int(fileNames.size());
    for (const QString &fileName : fileNames)
        CliOutput::error(tr("%1 is left out: it does not fit in the %2 left on the discwand.")
                             .arg(fileName, CopyProgress::sizeText(freeBytes)));
    return true;
}
