// The facts are gathered once, as JSON, and the lines for people are made from them, so that
// both outputs always say the same.
#include "cli/statuscommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "copy/copyprogress.h"
#include "library/stickstatus.h"

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
    const StickStatus status = StickStatus::read(stick.detector());
    QString mountPoint = status.root;
    mountPoint.chop(1);
    // A volume that tells no size (some FUSE file systems) has none, which is not 0 bytes.
    const bool sized = status.capacity > 0;
    const auto size = [sized](qint64 bytes) { return sized ? QJsonValue(bytes) : QJsonValue(); };
    return {
        { QStringLiteral("present"), status.present },
        { QStringLiteral("mountPoint"), mountPoint },
        { QStringLiteral("label"), status.label },
        { QStringLiteral("fileSystem"), status.fileSystem },
        { QStringLiteral("capacity"), size(status.capacity) },
        { QStringLiteral("free"), size(status.freeBytes) },
        { QStringLiteral("readOnly"), status.readOnly },
        { QStringLiteral("bootImage"), status.bootImage },
        { QStringLiteral("selector"), status.selectorPresent },
    };
}

void StatusCommand::show(const QJsonObject &facts)
{
    const auto value = [&](const char *key) { return facts.value(QLatin1String(key)); };
    const auto row = [](const QString &label, const QString &text) {
        CliOutput::data(label.leftJustified(16) + text);
    };
    row(tr("Discwand:"), value("mountPoint").toString());
    row(tr("Label:"), value("label").toString());
    row(tr("File system:"), value("fileSystem").toString());
    // A volume that tells no size (some FUSE file systems) shows none rather than 0 bytes.
    const bool sized = value("capacity").toInteger() > 0;
    row(tr("Capacity:"), sized ? CopyProgress::sizeText(value("capacity").toInteger()) : tr("unknown"));
    row(tr("Free:"), sized ? CopyProgress::sizeText(value("free").toInteger()) : tr("unknown"));
    row(tr("Read-only:"),
        value("readOnly").toBool() ? tr("yes (the read-only switch is set)") : tr("no"));
    row(tr("Boot image:"),
        value("bootImage").toString().isEmpty() ? tr("none chosen")
                                                : value("bootImage").toString());
    row(tr("Selector:"),
        value("selector").toBool() ? tr("config/wandmenu.bin present")
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
    // Gone between the detection pass and the look at its volume.
    if (!all.value(QStringLiteral("present")).toBool()) {
        if (json)
            CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("present"), false } }));
        return json ? ExitStatus::NoDiscwand : StickSession::missing();
    }
    if (json)
        CliOutput::json(QJsonDocument(all));
    else
        show(all);
    return ExitStatus::Done;
}
