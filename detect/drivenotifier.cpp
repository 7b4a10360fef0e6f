// How either platform's notifier names a drive, kept apart so that both are checked anywhere.
#include "detect/drivenotifier.h"

#include <QStringList>

QString DriveNotifier::driveOf(const QString &mountPoint)
{
    return mountPoint.endsWith(QLatin1Char('/')) ? mountPoint : mountPoint + QLatin1Char('/');
}

QStringList DriveNotifier::drivesOfUnitMask(quint32 unitMask)
{
    QStringList drives;
    // Drive letters stop at Z:; higher bits name nothing.
    for (int bit = 0; bit < 26; ++bit)
        if (unitMask & (quint32(1) << bit))
            drives << QString(QLatin1Char(char('A' + bit))) + QStringLiteral(":/");
    return drives;
}
