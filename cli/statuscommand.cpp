// The facts are gathered once, as JSON, and the lines for people are made from them, so that
// both outputs always say the same.
#include "cli/statuscommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "detect/scsidrivedetector.h"
#include "library/wandmenufetch.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>

QString StatusCommand::summary() const
{
    return tr("Tell whether a discwand is plugged in, and its state.");
}

void StatusCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(summary() + QLatin1Char('\n')
                                     + tr("Exit status 3 when there is none."));
    parser.addOption({ QStringLiteral("json"), tr("Print the state as JSON.") });
}

QJsonObject StatusCommand::facts(StickSession &stick)
{
    QString mountPoint = stick.root();
    mountPoint.chop(1);
    const bool writable = stick.detector().isWritable();
    return {
        { QStringLiteral("present"), true },
        { QStringLiteral("mountPoint"), mountPoint },
        { QStringLiteral("readOnly"), !writable },
        { QStringLiteral("selector"), !WandmenuFetch(stick.detector()).isMissing() },
    };
}

void StatusCommand::show(const QJsonObject &facts)
{
    const auto row = [](const QString &label, const QString &value) {
        CliOutput::data(label.leftJustified(16) + value);
    };
    row(tr("Discwand:"), facts.value(QStringLiteral("mountPoint")).toString());
    row(tr("Read-only:"),
        facts.value(QStringLiteral("readOnly")).toBool() ? tr("yes (the read-only switch is set)")
                                                         : tr("no"));
    row(tr("Selector:"),
        facts.value(QStringLiteral("selector")).toBool()
            ? tr("config/wandmenu.bin present")
            : tr("missing ('get-selector' fetches it)"));
}

ExitStatus StatusCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("status takes no arguments."));
    const bool json = parser.isSet(QStringLiteral("json"));
    StickSession stick;
    const ExitStatus found = stick.find(json);
    if (found == ExitStatus::Failure)
        return json ? stick.find() : found;
    if (found == ExitStatus::NoDiscwand) {
        if (json)
            CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("present"), false } }));
        return found;
    }
    const QJsonObject all = facts(stick);
    if (json)
        CliOutput::json(QJsonDocument(all));
    else
        show(all);
    return ExitStatus::Done;
}
