#include "common/udisksstandin.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString root = QStringLiteral("/org/freedesktop/UDisks2");
using Interfaces = QMap<QString, QVariantMap>;
using Objects = QMap<QDBusObjectPath, Interfaces>;

} // namespace

const QString UDisksStandIn::blockPath = root + QStringLiteral("/block_devices/sdb1");
const QString UDisksStandIn::drivePath = root + QStringLiteral("/drives/QUELLOR_DISCWAND_FLASH_1");

UDisksStandIn::UDisksStandIn(const QDBusConnection &bus, const QString &mountPoint)
    : bus(bus), mountPoint(mountPoint)
{
    qDBusRegisterMetaType<QList<QByteArray>>();
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<Objects>();
}

UDisksStandIn::~UDisksStandIn()
{
    bus.unregisterObject(root, QDBusConnection::UnregisterTree);
    bus.unregisterService(service);
}

bool UDisksStandIn::start()
{
    return bus.registerVirtualObject(root, this, QDBusConnection::SubPath)
        && bus.registerService(service);
}

QString UDisksStandIn::introspect(const QString &) const
{
    return {};
}

bool UDisksStandIn::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    seen << message.member() + QLatin1Char(' ') + message.path();
    if (message.member() == QLatin1String("GetManagedObjects")) {
        auto block = [](const QString &point, const QString &drive) {
            const QList<QByteArray> points { QFile::encodeName(point) + '\0' };
            Interfaces interfaces;
            interfaces[QStringLiteral("org.freedesktop.UDisks2.Filesystem")]
                = { { QStringLiteral("MountPoints"), QVariant::fromValue(points) } };
            interfaces[QStringLiteral("org.freedesktop.UDisks2.Block")]
                = { { QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drive)) } };
            return interfaces;
        };
        Objects objects;
        // The system's own disk first, so that the stick is told apart by its mount point.
        objects[QDBusObjectPath(root + QStringLiteral("/block_devices/sda1"))]
            = block(QStringLiteral("/"), root + QStringLiteral("/drives/SYSTEM_DISK"));
        objects[QDBusObjectPath(blockPath)] = block(mountPoint, drivePath);
        objects[QDBusObjectPath(drivePath)][QStringLiteral("org.freedesktop.UDisks2.Drive")]
            = { { QStringLiteral("CanPowerOff"), true } };
        return connection.send(message.createReply(QVariant::fromValue(objects)));
    }
    // Like UDisks2, the methods take an options map and nothing else.
    if (message.signature() != QLatin1String("a{sv}"))
        return connection.send(message.createErrorReply(QDBusError::InvalidArgs, message.signature()));
    const QString error = errors.value(message.member());
    if (!error.isEmpty())
        return connection.send(message.createErrorReply(error, QStringLiteral("refused by the stand-in")));
    return connection.send(message.createReply());
}
