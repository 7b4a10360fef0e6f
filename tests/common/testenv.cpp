#include "common/testenv.h"

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

QSet<QString> activeStates(const QStateMachine &machine)
{
    QSet<QString> names;
    const auto states = machine.configuration();
    for (const QAbstractState *s : states)
        names.insert(s->objectName());
    return names;
}

bool waitForReady(const QStateMachine &machine, int timeoutMs)
{
    return QTest::qWaitFor([&] { return activeStates(machine).contains(QStringLiteral("readyState")); },
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

} // namespace TestEnv
