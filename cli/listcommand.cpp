// One path a line for people, so that what 'list' shows can be handed to 'load' as it is; the
// boot image is marked with a star in front.
#include "cli/listcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "copy/copyprogress.h"
#include "copy/imagerecord.h"
#include "library/isolisting.h"
#include "library/stickstatus.h"

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
        + tr("One path a line: folders end in /, the image the discwand boots is marked with *, "
             "a split image is listed once with the number of its parts."));
    parser.addOption({ QStringLiteral("json"), tr("Print the list as JSON.") });
}

QJsonArray ListCommand::toJson(const QList<IsoRow> &rows, const QString &bootImage,
                               const QList<RecordedImage> &record)
{
    QJsonArray out;
    for (const IsoRow &row : rows) {
        const bool image = row.kind == IsoRow::Kind::Image;
        QJsonObject entry {
            { QStringLiteral("path"), row.imagePath() },
            { QStringLiteral("name"), row.displayName() },
            { QStringLiteral("kind"), image ? QStringLiteral("image") : QStringLiteral("folder") },
            { QStringLiteral("depth"), row.depth },
        };
        if (image) {
            entry.insert(QStringLiteral("size"), row.size);
            entry.insert(QStringLiteral("parts"), qMax(row.parts, 1));
            entry.insert(QStringLiteral("partsBroken"), row.partsBroken);
            entry.insert(QStringLiteral("iso9660"), row.info.iso9660);
            entry.insert(QStringLiteral("label"), row.info.label);
            entry.insert(QStringLiteral("bootable"), row.info.bootable);
            entry.insert(QStringLiteral("boot"), row.isBootImage(bootImage));
            if (const auto recorded = ImageRecord::find(record, row.imagePath())) {
                entry.insert(QStringLiteral("sha256"), QString::fromLatin1(recorded->sha256));
                entry.insert(QStringLiteral("verified"),
                             recorded->verified.toString(Qt::ISODate));
                if (!recorded->published.isEmpty())
                    entry.insert(QStringLiteral("matches"), recorded->published);
            }
        }
        out.append(entry);
    }
    return out;
}

QString ListCommand::line(const IsoRow &row, const QString &bootImage)
{
    if (row.kind == IsoRow::Kind::Folder)
        return QStringLiteral("  ") + row.devicePath + QLatin1Char('/');
    QString text = (row.isBootImage(bootImage) ? QStringLiteral("* ") : QStringLiteral("  "))
        + row.imagePath().leftJustified(40) + QLatin1Char(' ')
        + CopyProgress::sizeText(row.size).rightJustified(9);
    if (row.parts > 1)
        text += QStringLiteral("  ") + tr("%n parts", nullptr, row.parts);
    if (row.partsBroken)
        text += QStringLiteral("  ") + tr("(broken)");
    if (!row.info.label.isEmpty())
        text += QStringLiteral("  ") + row.info.label;
    return text;
}

ExitStatus ListCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("list takes no arguments."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QList<IsoRow> rows = IsoListing::read(stick.root()).rows;
    const QString bootImage = StickStatus::readBootImage(stick.root());
    if (parser.isSet(QStringLiteral("json"))) {
        CliOutput::json(
            QJsonDocument(QJsonObject { { QStringLiteral("bootImage"), bootImage },
                                        { QStringLiteral("entries"),
                                          toJson(rows, bootImage,
                                                 ImageRecord::read(stick.root())) } }));
        return ExitStatus::Done;
    }
    for (const IsoRow &row : rows)
        CliOutput::data(line(row, bootImage));
    return ExitStatus::Done;
}
