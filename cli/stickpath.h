// What a path typed on the command line names on the stick: a listed image (with or without a
// split image's ".0") or a folder, in any letter case as FAT compares names.
#pragma once

#include <QString>

class IsoListing;

struct StickPath
{
    QString path; // as the listing has it: "/linux/big.iso.0", "/linux"; "" when nothing is there
    bool folder = false;

    static StickPath find(const IsoListing &listing, const QString &typed);
};
