#include "common/testenv.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace TestEnv {

void isolate()
{
    static QTemporaryDir settingsDir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QCoreApplication::setApplicationName(QStringLiteral("Discshelf"));
    QCoreApplication::setApplicationVersion(QStringLiteral("39"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quellor Makeworth"));
}


bool waitForReady(const QStateMachine &machine, int timeoutMs)
{
    const auto ready = [&] {
        for (const QAbstractState *state : machine.configuration())
            if (state->objectName() == QLatin1String("readyState"))
                return true;
        return false;
    };
    return QTest::qWaitFor(ready,
                           timeoutMs);
}

void stampBootable(QByteArray &bytes)
{
    Q_ASSERT(bytes.size() >= 19 * 2048);
    const auto descriptor = [&](int sector, char type, const QByteArray &rest) {
        const QByteArray head = type + QByteArray("CD001\x01") + rest;
        bytes.replace(sector * 2048, head.size(), head);
    };
    descriptor(16, 1, {});
    descriptor(17, 0, "EL TORITO SPECIFICATION");
    descriptor(18, char(255), {});
}

bool writeBootable(const QString &path)
{
    QByteArray bytes(19 * 2048, 'x');
    stampBootable(bytes);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace TestEnv
