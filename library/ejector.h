// Makes the stick safe to pull out. On Linux, through UDisks2 on the system bus, its file system
// is unmounted and its drive powered off; where UDisks2 is not there or does not manage the
// mount, the volume is synced and the user is told what is left to do. On Windows the volume is
// flushed, locked, dismounted and its medium ejected. Nothing here blocks the caller.
#pragma once

#include <QObject>
#include <QString>

#ifndef Q_OS_WIN
#include <QDBusConnection>

class QDBusError;
class QDBusPendingCall;
#endif

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

    // Talks to UDisks2 on the system bus (on Windows: to the volume itself).
    explicit Ejector(QObject *parent = nullptr);

    // What the user is told of an ejection, in the window and on the command line: that the
    // stick may be pulled out, or what is left to do before. detail is the outcome's.
    static QString advice(Outcome outcome, const QString &detail, const QString &mountPoint);

    // Ejects the volume mounted at mountPoint ("/media/stick", no trailing separator; "E:");
    // finished() follows. One ejection at a time: a call while busy is ignored.
    void eject(const QString &mountPoint);
    bool isBusy() const { return busy; }

#ifndef Q_OS_WIN
    // Talks to whatever answers as UDisks2 on bus (a test's private bus).
    Ejector(const QDBusConnection &bus, QObject *parent);
    void setBus(const QDBusConnection &bus) { this->bus = bus; }

    // A UDisks2 or bus error in words a user can act on.
    static QString describe(const QDBusError &error);
#endif

signals:
    // detail: for Failed what went wrong, for SyncedOnly why the disk service could not do
    // it, for Unmounted why the drive is still powered (empty when it simply cannot be).
    void finished(Ejector::Outcome outcome, QString detail);

private:
    void done(Outcome outcome, const QString &detail);
    QString mountPoint;
    bool busy = false;
#ifndef Q_OS_WIN
    void objectsListed(QDBusPendingCall reply);
    void unmounted(QDBusPendingCall reply);
    void poweredOff(QDBusPendingCall reply);
    void syncInstead(const QString &why);
    // Calls member of interface on object path with an empty options map.
    QDBusPendingCall call(const QString &path, const QString &interface, const QString &member,
                          int timeoutMs);
    void await(const QDBusPendingCall &call, void (Ejector::*then)(QDBusPendingCall));

    QDBusConnection bus;
    QString drive; // the UDisks2 drive object of the mount's block device
    bool canPowerOff = false;
#endif
};
