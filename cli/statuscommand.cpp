// The facts are gathered once, as JSON, and the lines for people are made from them, so that
// both outputs always say the same.
#include "cli/statuscommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "copy/copyprogress.h"
#include "detect/scsidrivedetector.h"
#include "library/stickstatus.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString StatusCommand::summary() const
{
    return tr("Tell whether a discwand is plugged in, and its state.");
}

void StatusCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("Every discwand plugged in is told, or the one named with --stick. Exit status 3 "
             "when there is none."));
    parser.addOption({ QStringLiteral("json"),
                       tr("Print the state as JSON: an array, one object per discwand.") });
}

QJsonObject StatusCommand::facts(StickSession &stick)
{
    const Discwand wand = stick.discwand();
    const StickStatus status = StickStatus::read(wand);
    QString mountPoint = status.root;
    mountPoint.chop(1);
    // A volume that tells no size (some FUSE file systems) has none, which is not 0 bytes.
    const bool sized = status.capacity > 0;
    const auto size = [sized](qint64 bytes) { return sized ? QJsonValue(bytes) : QJsonValue(); };
    return {
        { QStringLiteral("present"), status.present },
        { QStringLiteral("mountPoint"), mountPoint },
        { QStringLiteral("serial"), wand.volume() },
        { QStringLiteral("label"), status.label },
        { QStringLiteral("fileSystem"), status.fileSystem },
        { QStringLiteral("capacity"), size(status.capacity) },
        { QStringLiteral("free"), size(status.freeBytes) },
        { QStringLiteral("readOnly"), status.readOnly },
        { QStringLiteral("fileSystemErrors"), status.mountReadOnly },
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
    QString readOnly = tr("no");
    if (value("fileSystemErrors").toBool())
        readOnly = tr("yes (the stick's file system has errors: run check, or repair it with "
                      "fsck.fat)");
    else if (value("readOnly").toBool())
        readOnly = tr("yes (the read-only switch is set)");
    row(tr("Read-only:"), readOnly);
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
    // Every stick plugged in, or the one named.
    const ExitStatus found = stick.find(json, true);
    if (found == ExitStatus::Failure)
        return json ? stick.find() : found;
    if (found != ExitStatus::Done) {
        if (json)
            CliOutput::json(QJsonDocument(QJsonArray()));
        return found;
    }
    QStringList serials;
    for (const Discwand &each : stick.detector().sticks())
        if (!StickSession::isNamed() || each.root() == stick.root())
            serials << each.volume();
    const bool one = serials.size() == 1;
    QJsonArray all;
    for (const QString &serial : std::as_const(serials)) {
        // Gone between the detection pass and the look at its volume.
        if (!one && !stick.take(serial))
            continue;
        const QJsonObject each = facts(stick);
        if (!each.value(QStringLiteral("present")).toBool())
            continue;
        if (!json && !all.isEmpty())
            CliOutput::data(QString());
        if (!json)
            show(each);
        all.append(each);
    }
    if (json)
        CliOutput::json(QJsonDocument(all));
    if (all.isEmpty())
        return json ? ExitStatus::NoDiscwand : StickSession::missing();
    return ExitStatus::Done;
}
