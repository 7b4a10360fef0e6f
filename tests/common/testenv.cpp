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

} // namespace TestEnv
