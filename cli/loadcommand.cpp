// The image must be one the listing shows, so that a typing mistake is an error instead of a
// stick that boots nothing.
#include "cli/loadcommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "library/imagechoice.h"
#include "library/isolisting.h"

#include <QCommandLineParser>
#include <QDir>

QString LoadCommand::summary() const
{
    return tr("Make an image on the discwand the one it boots.");
}

void LoadCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("PATH is the image's path on the discwand as 'list' shows it, such as "
             "/linux/tools.iso; a split image is named with or without its .0."));
    parser.addPositionalArgument(QStringLiteral("PATH"), tr("The image on the discwand."));
}

QString LoadCommand::findImage(const QList<IsoRow> &rows, const QString &path)
{
    const QString wanted = QDir::cleanPath(QLatin1Char('/') + path).toCaseFolded();
    for (const IsoRow &row : rows) {
        if (row.kind == IsoRow::Kind::Image
            && (row.devicePath.toCaseFolded() == wanted
                || row.imagePath().toCaseFolded() == wanted))
            return row.devicePath;
    }
    return {};
}

ExitStatus LoadCommand::run(const QCommandLineParser &, const QStringList &args)
{
    if (!countFits(args, 1, 1))
        return usage(tr("Name the one image to load."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QString image = findImage(IsoListing::read(stick.root()).rows, args.first());
    if (image.isEmpty()) {
        CliOutput::error(
            tr("There is no image %1 on the discwand ('list' shows them).").arg(args.first()));
        return ExitStatus::NotFound;
    }
    switch (ImageChoice(stick.detector()).choose(image)) {
    case ImageChoice::Result::Written:
        CliOutput::note(ImageChoice::chosenText(image));
        return ExitStatus::Done;
    case ImageChoice::Result::NoDevice:
    case ImageChoice::Result::DeviceGone:
        return StickSession::missing();
    case ImageChoice::Result::NotWritable:
        return StickSession::readOnly(stick.discwand());
    case ImageChoice::Result::WriteFailed:
        CliOutput::error(tr("Couldn't write the choice to the discwand."));
        return ExitStatus::Failure;
    case ImageChoice::Result::NotLatin1:
        CliOutput::error(ImageChoice::notLatin1Text(image));
        return ExitStatus::Refused;
    }
    return ExitStatus::Failure;
}
