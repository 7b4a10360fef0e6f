// Makes the stick safe to pull out. Through UDisks2 on the system bus its file system is
// unmounted and its drive powered off; where UDisks2 is not there or does not manage the mount,
// the volume is synced and the user is told what is left to do. Nothing here blocks the caller.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusError;
class QDBusPendingCall;

class Ejector : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        PoweredOff, // unmounted and powered off: it may be pulled out
        Unmounted,  // unmounted, not powered off (the drive cannot be, or refused): it may be
                    // pulled out
        SyncedOnly, // no disk service for it: synced, still mounted; the user must unmount it
        Failed,     // the disk service refused or the sync failed: still mounted
    };
    Q_ENUM(Outcome)

    // Talks to UDisks2 on the system bus.
    explicit Ejector(QObject *parent = nullptr);
    // Talks to whatever answers as UDisks2 on bus (a test's private bus).
    Ejector(const QDBusConnection &bus, QObject *parent);
    void setBus(const QDBusConnection &bus) { this->bus = bus; }

    // Ejects the volume mounted at mountPoint ("/media/stick", no trailing separator); finished()
    // follows. One ejection at a time: a call while busy is ignored.
    void eject(const QString &mountPoint);
    bool isBusy() const { return busy; }

    // A UDisks2 or bus error in words a user can act on.
    static QString describe(const QDBusError &error);

signals:
    // detail: for Failed what went wrong, for SyncedOnly why the disk service could not do
    // it, for Unmounted why the drive is still powered (empty when it simply cannot be).
    void finished(Ejector::Outcome outcome, QString detail);

private:
    void objectsListed(QDBusPendingCall reply);
    void unmounted(QDBusPendingCall reply);
    void poweredOff(QDBusPendingCall reply);
    void syncInstead(const QString &why);
    void done(Outcome outcome, const QString &detail);
    // Calls member of interface on object path with an empty options map.
    QDBusPendingCall call(const QString &path, const QString &interface, const QString &member,
                          int timeoutMs);
    void await(const QDBusPendingCall &call, void (Ejector::*then)(QDBusPendingCall));

    QDBusConnection bus;
    QString mountPoint;
    QString drive; // the UDisks2 drive object of the mount's block device
    bool canPowerOff = false;
    bool busy = false;
};
