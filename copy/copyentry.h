// One file admitted for copying: where it goes on the device and where it comes from.
#pragma once

#include <QString>

struct CopyEntry {
    QString relDir;     // destination relative to the device root, "/" at both ends
    QString sourceFile; // path of the image on the computer
};
