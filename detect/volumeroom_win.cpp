// Windows tells the size of every volume it mounts: no device needs reading.
#include "detect/volumeroom.h"

QString VolumeRoom::backingDevice(const QString &)
{
    return {};
}
