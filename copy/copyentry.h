// One file admitted for copying: the folder on the device it goes to and where it comes from,
// a file on the computer or an address on the web to download it from.
#pragma once

#include "copy/publishedsums.h"
#include "detect/devicefolder.h"

#include <QFileInfo>
#include <QString>
#include <QUrl>

struct CopyEntry {
    DeviceFolder folder;       // where on the device
    QString sourceFile;        // path of the image on the computer
    bool replaceFirst = false; // no room for the old image and the new one side by side
    PublishedSum published = {}; // given by the user; else the checksum files beside the source
    // A download instead of a copy: the image's address, the checksum file's when the user gave
    // one (else those beside the image are asked), and its name on the device when not the
    // address's or the server's own.
    QUrl address = {};
    QUrl sumsAddress = {};
    QString name = {};

    bool isDownload() const { return address.isValid(); }
    // The name it takes on the device, as far as it is known before it starts.
    QString fileName() const
    {
        if (!isDownload())
            return QFileInfo(sourceFile).fileName();
        return name.isEmpty() ? address.fileName() : name;
    }
    // Its bytes, as far as they are known before it starts (a download's are not).
    qint64 size() const { return isDownload() ? 0 : QFileInfo(sourceFile).size(); }
};
