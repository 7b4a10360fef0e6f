// The device behind a mount, by the mount table of the system described (a simulated stick's
// description links its device to the volume image).
#include "detect/volumeroom.h"

#include "detect/systemdescription.h"

#include <QDir>
#include <QFile>

QString VolumeRoom::backingDevice(const QString &root)
{
    const SystemDescription system;
    QFile table(system.mountTablePath());
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // Parsed here rather than through the description's cached table, which only the GUI thread
    // may read.
    const QList<SystemDescription::Mount> mounts
        = SystemDescription::parseMountTable(table.readAll());
    const QString place = QDir::cleanPath(root);
    for (auto m = mounts.crbegin(); m != mounts.crend(); ++m) {
        if (QDir::cleanPath(m->mountPoint) != place)
            continue;
        const QString name = system.deviceOf(*m);
        return name.isEmpty() ? QString() : system.root() + QStringLiteral("/dev/") + name;
    }
    return {};
}
