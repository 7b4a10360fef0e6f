// copy --all-sticks: the same images onto every discwand plugged in at once, one copy queue
// (and so one worker thread) for each stick, each told under the stick's name.
#pragma once

#include "cli/exitstatus.h"
#include "cli/flagprompts.h"

#include <QCoreApplication>
#include <QStringList>

class AllSticksCopy
{
    Q_DECLARE_TR_FUNCTIONS(AllSticksCopy)
public:
    // parents: a folder to that is missing on a stick is made there, as copy --parents does.
    AllSticksCopy(QString to, QStringList files, FlagPrompts::Existing existing, bool verify,
                  bool parents = false);

    // Admits the files on every stick, copies to all of them side by side and returns the
    // worst of their exit statuses, once every one is over.
    ExitStatus exec();

    // Of two outcomes the one a script must hear about first: Ctrl+C, then a failed copy,
    // then a stick gone or read-only, then one without room, then images left out.
    static ExitStatus worse(ExitStatus a, ExitStatus b);

private:
    QString to;
    QStringList files;
    FlagPrompts::Existing existing;
    bool verify;
    bool parents;
};
