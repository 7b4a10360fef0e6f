// The outcome texts, translated under one context for the window and the command line alike.
#include "copy/copyoutcome.h"

#include <QCoreApplication>

namespace CopyOutcome {

QString copied(const QString &name, bool verified, const QString &matches)
{
    if (!matches.isEmpty())
        return (verified
                    ? QCoreApplication::translate("CopyOutcome", "%1: copied and verified; %2.")
                    : QCoreApplication::translate("CopyOutcome", "%1: copied; %2."))
            .arg(name, matches);
    return (verified ? QCoreApplication::translate("CopyOutcome", "%1: copied and verified.")
                     : QCoreApplication::translate("CopyOutcome", "%1: copied."))
        .arg(name);
}

QString stopped(const QString &name)
{
    return QCoreApplication::translate("CopyOutcome",
                                       "%1: stopped; the discwand keeps what it had.")
        .arg(name);
}

QString failed(const QString &name, CopyError error, const QString &sums)
{
    return QCoreApplication::translate("CopyOutcome", "%1: copy failed: %2")
        .arg(name, CopyErrors::message(error, sums));
}

QString listed(const QString &name, CopyError error, const QString &sums)
{
    return listed(name, CopyErrors::message(error, sums));
}

QString listed(const QString &name, const QString &why)
{
    return QCoreApplication::translate("CopyOutcome", "%1 (%2)").arg(name, why);
}

QString batchStopped(CopyQueue::Stop why)
{
    return why == CopyQueue::Stop::DeviceGone
        ? QCoreApplication::translate(
            "CopyOutcome", "The discwand went away; the images not yet copied were left.")
        : QCoreApplication::translate(
            "CopyOutcome", "The discwand became read-only; the images not yet copied were left.");
}

} // namespace CopyOutcome
