#include "common/privatebus.h"

#include <QFile>

PrivateBus::PrivateBus()
{
    // Anyone may own any name and talk to anyone: the bus is the test's alone.
    const QByteArray config
        = "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
          " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
          "<busconfig><type>session</type><listen>unix:dir="
        + QFile::encodeName(dir.path())
        + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
          "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
          "<allow own=\"*\"/></policy></busconfig>\n";
    QFile file(dir.filePath(QStringLiteral("bus.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
        why = QStringLiteral("cannot write the bus configuration");
        return;
    }
    file.close();
    daemon.start(QStringLiteral("dbus-daemon"),
                 { QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                   QStringLiteral("--config-file=") + file.fileName() });
    if (!daemon.waitForStarted(5000)) {
        why = QStringLiteral("dbus-daemon did not start: ") + daemon.errorString();
        return;
    }
    while (!daemon.canReadLine() && daemon.waitForReadyRead(5000)) {
    }
    address = QString::fromUtf8(daemon.readLine().trimmed());
    if (address.isEmpty())
        why = QStringLiteral("dbus-daemon gave no address: ")
            + QString::fromLocal8Bit(daemon.readAllStandardError());
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(names))
        QDBusConnection::disconnectFromBus(name);
    daemon.kill();
    daemon.waitForFinished(5000);
}

QDBusConnection PrivateBus::connect(const QString &name)
{
    names << name;
    return QDBusConnection::connectToBus(address, name);
}
