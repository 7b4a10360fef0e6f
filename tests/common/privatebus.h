// A dbus-daemon of the test's own (Debian's dbus package), so that D-Bus clients are tested on a
// real bus without touching the system's.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isValid() const { return !address.isEmpty(); }
    QString error() const { return why; }
    // A connection of its own to the bus, under name; closed with the bus.
    QDBusConnection connect(const QString &name);

private:
    QTemporaryDir dir;
    QProcess daemon;
    QString address;
    QString why;
    QStringList names;
};
