// One path a line for people, so that what 'list' shows can be handed to 'load' as it is.
#include "cli/listcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "library/isolisting.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString ListCommand::summary() const
{
    return tr("List the folders and images on the discwand.");
}

void ListCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("One path a line: folders end in /, a split image is listed by its first part."));
    parser.addOption({ QStringLiteral("json"), tr("Print the list as JSON.") });
}

QJsonArray ListCommand::toJson(const QList<IsoRow> &rows)
{
    QJsonArray out;
    for (const IsoRow &row : rows) {
        const bool image = row.kind == IsoRow::Kind::Image;
        QJsonObject entry {
            { QStringLiteral("path"), row.devicePath },
            { QStringLiteral("name"), row.name },
            { QStringLiteral("kind"), image ? QStringLiteral("image") : QStringLiteral("folder") },
            { QStringLiteral("depth"), row.depth },
        };
        if (image)
            entry.insert(QStringLiteral("split"), row.isSplit());
        out.append(entry);
    }
    return out;
}

ExitStatus ListCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("list takes no arguments."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QList<IsoRow> rows = IsoListing::read(stick.root());
    if (parser.isSet(QStringLiteral("json"))) {
        CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("entries"), toJson(rows) } }));
        return ExitStatus::Done;
    }
    for (const IsoRow &row : rows) {
        if (row.kind == IsoRow::Kind::Folder)
            CliOutput::data(row.devicePath + QLatin1Char('/'));
        else
            CliOutput::data(row.isSplit() ? row.devicePath + QStringLiteral("  ") + tr("(split)")
                                          : row.devicePath);
    }
    return ExitStatus::Done;
}
