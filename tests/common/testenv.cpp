#include "common/testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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
    descriptor(17, 0, "EL TORITO "); // the start of the boot system identifier
    descriptor(18, char(255), {});
}

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (char &c : bytes)
        c = char(gen.generate());
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList entriesBelow(const QString &dir, QDir::Filters filters)
{
    QStringList found;
    for (QDirIterator it(dir, filters | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

bool writeBootable(const QString &path)
{
    QByteArray bytes(19 * 2048, 'x');
    stampBootable(bytes);
    return writeFile(path, bytes);
}

} // namespace TestEnv
