// The words of an ejection's outcome, shared by the window and the command line; what the user
// must still do differs between the systems.
#include "library/ejector.h"

#include <QCoreApplication>

namespace {

// A path as a shell takes it, for a command the user may copy.
[[maybe_unused]] QString shellQuoted(const QString &path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString Ejector::advice(Outcome outcome, const QString &detail, const QString &mountPoint)
{
    switch (outcome) {
    case Outcome::PoweredOff:
    case Outcome::Unmounted:
        if (detail.isEmpty())
            return tr("The discwand can be removed now.");
        return tr("The discwand can be pulled out safely, but it could not be switched off: %1")
            .arg(detail);
    case Outcome::SyncedOnly:
#ifdef Q_OS_WIN
        return tr("Everything written to the discwand is saved on it, but Discshelf could not "
                  "eject it: %1\n\nEject %2 with \"Safely Remove Hardware\" in the taskbar, or in "
                  "Explorer, before you pull it out.")
            .arg(detail, mountPoint);
#else
        return tr("Everything written to the discwand is saved on it, but it is still mounted, "
                  "so it is not yet safe to pull out. Discshelf could not unmount it: %1\n\n"
                  "Unmount it in your file manager, or with the command\n\n    umount %2\n\n"
                  "before you pull it out.")
            .arg(detail, shellQuoted(mountPoint));
#endif
    case Outcome::Failed:
        break;
    }
    return tr("Couldn't eject the discwand: %1").arg(detail);
}
