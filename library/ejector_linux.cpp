#include "library/ejector.h"

#include "copy/filesync.h"
#include "library/log.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QThread>

#include <memory>

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString errorPrefix = QStringLiteral("org.freedesktop.UDisks2.Error.");

// GetManagedObjects: every object with its interfaces and their properties.
using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

// Filesystem.MountPoints is an array of NUL-terminated byte strings.
QStringList mountPoints(const QVariant &value)
{
    QList<QByteArray> raw;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> raw;
    QStringList points;
    for (QByteArray bytes : std::as_const(raw)) {
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        points << QDir::cleanPath(QFile::decodeName(bytes));
    }
    return points;
}

bool isUnmountedAlready(const QDBusError &error)
{
    return error.name() == errorPrefix + QStringLiteral("NotMounted");
}

} // namespace

Ejector::Ejector(QObject *parent) : Ejector(QDBusConnection::systemBus(), parent) {}

Ejector::Ejector(const QDBusConnection &bus, QObject *parent) : QObject(parent), bus(bus) {}

void Ejector::eject(const QString &mountPoint)
{
    if (busy)
        return;
    busy = true;
    this->mountPoint = QDir::cleanPath(mountPoint);
    drive.clear();
    canPowerOff = false;
    qCDebug(lcLibrary) << "Ejecting" << this->mountPoint;
    if (!bus.isConnected()) {
        syncInstead(tr("The system's message bus cannot be reached."));
        return;
    }
    QDBusMessage list = QDBusMessage::createMethodCall(
        service, managerPath, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    await(bus.asyncCall(list, 20000), &Ejector::objectsListed);
}

QDBusPendingCall Ejector::call(const QString &path, const QString &interface,
                               const QString &member, int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, member);
    message << QVariantMap();
    // The disk service may ask for the user's password (polkit) before it acts.
    message.setInteractiveAuthorizationAllowed(true);
    return bus.asyncCall(message, timeoutMs);
}

void Ejector::await(const QDBusPendingCall &call, void (Ejector::*then)(QDBusPendingCall))
{
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, then](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                (this->*then)(*w);
            });
}

void Ejector::objectsListed(QDBusPendingCall reply)
{
    const QDBusPendingReply<> listed(reply);
    if (listed.isError()) {
        qCDebug(lcLibrary) << "No disk service:" << listed.error();
        syncInstead(describe(listed.error()));
        return;
    }
    ManagedObjects objects;
    const QVariant first = listed.reply().arguments().value(0);
    if (first.canConvert<QDBusArgument>())
        first.value<QDBusArgument>() >> objects;
    QString block;
    for (auto it = objects.cbegin(); it != objects.cend() && block.isEmpty(); ++it) {
        const QVariantMap fs = it.value().value(filesystemInterface);
        if (mountPoints(fs.value(QStringLiteral("MountPoints"))).contains(mountPoint)) {
            block = it.key().path();
            drive = it.value()
                        .value(blockInterface)
                        .value(QStringLiteral("Drive"))
                        .value<QDBusObjectPath>()
                        .path();
        }
    }
    if (block.isEmpty()) {
        syncInstead(tr("The system's disk service (UDisks2) does not manage the discwand's "
                       "volume."));
        return;
    }
    // A block device without a drive object names "/" as its drive.
    canPowerOff = !drive.isEmpty() && drive != QLatin1String("/")
        && objects.value(QDBusObjectPath(drive))
               .value(driveInterface)
               .value(QStringLiteral("CanPowerOff"))
               .toBool();
    qCDebug(lcLibrary) << "Unmounting" << block << "of drive" << drive;
    // Unmounting writes out what is cached, which can take long on a slow stick.
    await(call(block, filesystemInterface, QStringLiteral("Unmount"), 600000), &Ejector::unmounted);
}

void Ejector::unmounted(QDBusPendingCall reply)
{
    const QDBusPendingReply<> result(reply);
    if (result.isError() && !isUnmountedAlready(result.error())) {
        qCDebug(lcLibrary) << "Unmount failed:" << result.error();
        done(Outcome::Failed, describe(result.error()));
        return;
    }
    if (!canPowerOff) {
        done(Outcome::Unmounted, QString());
        return;
    }
    await(call(drive, driveInterface, QStringLiteral("PowerOff"), 120000), &Ejector::poweredOff);
}

void Ejector::poweredOff(QDBusPendingCall reply)
{
    const QDBusPendingReply<> result(reply);
    if (result.isError()) {
        // The file system is unmounted already: pulling the stick out loses nothing.
        qCDebug(lcLibrary) << "Power-off failed:" << result.error();
        done(Outcome::Unmounted, describe(result.error()));
        return;
    }
    done(Outcome::PoweredOff, QString());
}

void Ejector::syncInstead(const QString &why)
{
    // A sync waits for the device, which may be slow or hanging: never on the caller's thread.
    const QString path = mountPoint;
    auto synced = std::make_shared<bool>(false);
    QThread *worker = QThread::create([path, synced] { *synced = FileSync::syncVolume(path); });
    connect(worker, &QThread::finished, this, [this, worker, synced, why] {
        worker->deleteLater();
        if (*synced)
            done(Outcome::SyncedOnly, why);
        else
            done(Outcome::Failed, tr("What was written to the discwand could not be saved to it "
                                     "(it may have been pulled out already)."));
    });
    worker->start();
}

void Ejector::done(Outcome outcome, const QString &detail)
{
    qCDebug(lcLibrary) << "Eject:" << outcome << detail;
    busy = false;
    emit finished(outcome, detail);
}

QString Ejector::describe(const QDBusError &error)
{
    const QString name = error.name();
    if (name == errorPrefix + QStringLiteral("DeviceBusy"))
        return tr("The discwand is in use: a program still has a file or folder on it open (a "
                  "file manager window or a terminal showing one of its folders, perhaps). Close "
                  "it, then eject again.");
    if (name == errorPrefix + QStringLiteral("NotAuthorized")
        || name == errorPrefix + QStringLiteral("NotAuthorizedCanObtain"))
        return tr("This computer does not allow you to eject the discwand (not authorised). "
                  "Ask whoever looks after it, or eject it from your file manager.");
    if (name == errorPrefix + QStringLiteral("NotAuthorizedDismissed"))
        return tr("The request for permission to eject the discwand was dismissed.");
    if (name == errorPrefix + QStringLiteral("Cancelled"))
        return tr("The ejection was cancelled.");
    if (name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return tr("The system's disk service (UDisks2) is not running.");
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return tr("The system's disk service (UDisks2) is not running.");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return tr("The system's disk service did not answer in time.");
    case QDBusError::Disconnected:
    case QDBusError::NoServer:
        return tr("The system's message bus cannot be reached.");
    case QDBusError::AccessDenied:
        return tr("The system's disk service may not be asked by this program (access denied).");
    default:
        break;
    }
    if (name == errorPrefix + QStringLiteral("Timedout"))
        return tr("The system's disk service did not answer in time.");
    return tr("The system's disk service reported: %1").arg(error.message());
}
