// Answers on a bus as UDisks2 does for one stick: lists its block device, mounted where the
// test says, with its drive, records every call, and answers Unmount and PowerOff with success
// or with the error the test asks for.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMap>
#include <QStringList>

class UDisksStandIn : public QDBusVirtualObject
{
public:
    static const QString blockPath; // the stick's partition
    static const QString drivePath;

    UDisksStandIn(const QDBusConnection &bus, const QString &mountPoint);
    ~UDisksStandIn() override;

    // Takes UDisks2's name and objects on the bus.
    bool start();
    // The next calls of member ("Unmount", "PowerOff") fail with this D-Bus error name.
    void failWith(const QString &member, const QString &errorName) { errors[member] = errorName; }
    // "member path" of each call, in order.
    QStringList calls() const { return seen; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    QDBusConnection bus;
    QString mountPoint;
    QMap<QString, QString> errors;
    QStringList seen;
};
