// Answers parsed WQL with the WMI classes that detection relies on (Win32_DiskDrive,
// Win32_DiskPartition, Win32_LogicalDisk and the associations between them), taken from the
// system description on a system that has no WMI.
#pragma once

#include "detect/systemdescription.h"
#include "detect/wqlquery.h"

class WmiClasses
{
public:
    explicit WmiClasses(const SystemDescription &description) : sys(description) {}

    // One value of `property` per result row, in a stable order. False when the query cannot
    // be answered: unknown class or property, or an unreadable system description.
    bool run(const WqlQuery &query, const QString &property, bool numeric, QStringList *values) const;

private:
    enum Class { NoClass, DiskDrive, DiskPartition, LogicalDisk };
    struct Instance {
        Class cls;
        QString name; // disk or partition name, or the mount point
        SystemDescription::Mount mount;
    };

    static Class classNamed(const QString &name);
    static bool knows(Class cls, const QString &property);
    bool instances(Class cls, QList<Instance> *out) const;
    bool associators(const WqlQuery &query, QList<Instance> *out) const;
    QVariant value(const Instance &instance, const QString &property) const;

    const SystemDescription &sys;
};
