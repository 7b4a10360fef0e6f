#include "simstick.h"

#include <QProcess>
#include <QTest>

namespace {

QString toolPath()
{
    return QStringLiteral(DISCSHELF_SIM_TOOL);
}

} // namespace

QString SimStick::unavailableReason()
{
    QProcess p;
    p.start(toolPath(), { QStringLiteral("check") });
    if (!p.waitForFinished(30000))
        return QStringLiteral("tools/discwand-sim could not be run");
    if (p.exitCode() == 0)
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

SimStick::SimStick(const Options &options)
{
    create(options, {});
}

SimStick::SimStick(const Options &options, const SimStick &first)
{
    create(options, { QStringLiteral("--beside"), first.dir });
}

void SimStick::create(const Options &options, const QStringList &more)
{
    // A blank in the path keeps the mount table's escaping honest.
    dir = base.path() + QStringLiteral("/sim stick");
    QStringList args { QStringLiteral("create"),  dir,
                       QStringLiteral("--size"),  QString::number(options.sizeMb),
                       QStringLiteral("--label"), options.label,
                       QStringLiteral("--disk"),  options.disk };
    if (!options.wandmenu)
        args << QStringLiteral("--no-wandmenu");
    if (!options.samples)
        args << QStringLiteral("--empty");
    valid = run(args + more);
}

SimStick::~SimStick()
{
    if (valid)
        run({ QStringLiteral("destroy"), dir });
}

bool SimStick::plug()
{
    return run({ QStringLiteral("plug"), dir });
}

bool SimStick::unplug(bool yank)
{
    QStringList args { QStringLiteral("unplug"), dir };
    if (yank)
        args << QStringLiteral("--yank");
    return run(args);
}

bool SimStick::setReadOnly(bool on)
{
    return run(
        { QStringLiteral("readonly"), dir, on ? QStringLiteral("on") : QStringLiteral("off") });
}

bool SimStick::run(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(toolPath(), args);
    if (!p.waitForStarted()) {
        lastError = QStringLiteral("cannot start ") + toolPath();
        return false;
    }
    // Unplugging waits until the application lets go of its files, so keep the GUI going.
    (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 120000);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        lastError = args.first() + QStringLiteral(": timed out");
        return false;
    }
    const QString out = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        lastError = args.first() + QStringLiteral(": ") + out;
        return false;
    }
    return true;
}
