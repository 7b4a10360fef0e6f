// Reads the device's folders and images into rows in the order the tree shows them: under every
// folder its subfolders first, then its images, each group in name order.
#pragma once

#include <QList>
#include <QString>

struct IsoRow {
    enum class Kind { Folder, Image };

    QString name;       // as listed, suffix included ("big.iso.0")
    Kind kind;
    QString devicePath; // from the device root: "/linux/tools.iso"
    int depth;          // 0 for the device root's own entries
    // Only part 0 of a split image is listed; its row stands for the whole image.
    bool isSplit() const { return kind == Kind::Image && name.endsWith(QLatin1String(".0")); }
};

class IsoListing
{
public:
    // Folders and images below deviceRoot (which ends in "/"), each row after its folder's row.
    // Images are "*.iso" and "*.iso.0" in any letter case; hidden entries are left out. A
    // folder that cannot be read lists as empty.
    static QList<IsoRow> read(const QString &deviceRoot);
};
