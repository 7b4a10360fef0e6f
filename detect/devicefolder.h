// A folder on the device, named from its root: "/" for the root itself, "/linux/tools/" below
// it. Made once where a folder is chosen and carried unchanged to whatever writes there.
#pragma once

#include <QMetaType>
#include <QString>

class DeviceFolder
{
public:
    DeviceFolder() = default;
    // Takes "/a/b/", "/a/b", "a/b" or "" alike; empty names between separators are dropped.
    explicit DeviceFolder(const QString &path);

    // "/" at both ends.
    QString path() const { return where; }
    bool isRoot() const { return where.size() == 1; }
    DeviceFolder child(const QString &name) const;
    // "/linux/tools/a.iso"
    QString filePath(const QString &name) const { return where + name; }
    // The folder below a device root: the root ("E:/", "/media/stick/") joined to the path as
    // it is; the doubled separator reads as one.
    QString under(const QString &deviceRoot) const { return deviceRoot + where; }

    bool operator==(const DeviceFolder &other) const { return where == other.where; }
    bool operator!=(const DeviceFolder &other) const { return where != other.where; }

private:
    QString where = QStringLiteral("/");
};

Q_DECLARE_METATYPE(DeviceFolder)
