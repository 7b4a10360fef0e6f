// One file admitted for copying: the folder on the device it goes to and where it comes from.
#pragma once

#include "copy/publishedsums.h"
#include "detect/devicefolder.h"

#include <QString>

struct CopyEntry {
    DeviceFolder folder;       // where on the device
    QString sourceFile;        // path of the image on the computer
    bool replaceFirst = false; // no room for the old image and the new one side by side
    PublishedSum published = {}; // given by the user; else the checksum files beside the source
};
