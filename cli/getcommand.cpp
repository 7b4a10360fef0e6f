// The copy takes its name only once it reads back as it was read: a stop or a failure leaves
// nothing under it, and a file that was there stays until then.
#include "cli/getcommand.h"

#include "cli/clioutput.h"
#include "cli/interruptwatch.h"
#include "cli/progressline.h"
#include "cli/stickpath.h"
#include "cli/sticksession.h"
#include "detect/scsidrivedetector.h"
#include "library/imageexport.h"
#include "library/isolisting.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

QString GetCommand::summary() const
{
    return tr("Copy an image from the discwand to the computer, verified.");
}

void GetCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("A split image arrives as one .iso file. The copy is read back and compared with "
             "what was read from the discwand (SHA-256) before it takes its name; its path and "
             "SHA-256 are printed on standard output."));
    parser.addPositionalArgument(QStringLiteral("IMAGE"),
                                 tr("The image on the discwand, as 'list' shows it."));
    parser.addPositionalArgument(QStringLiteral("DEST"),
                                 tr("The file or folder to copy to (default: the current "
                                    "folder)."),
                                 QStringLiteral("[DEST]"));
    parser.addOption({ QStringLiteral("overwrite"), tr("Replace a file of that name.") });
}

ExitStatus GetCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 1, 2))
        return usage(tr("Name the image to copy, and where to if not here."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    const IsoListing listing = IsoListing::read(root);
    const StickPath image = StickPath::find(listing, args.first());
    const auto row = std::find_if(listing.rows.begin(), listing.rows.end(),
                                  [&](const IsoRow &row) { return row.devicePath == image.path; });
    if (image.path.isEmpty() || image.folder || row == listing.rows.end()) {
        CliOutput::error(
            tr("There is no image %1 on the discwand ('list' shows them).").arg(args.first()));
        return ExitStatus::NotFound;
    }
    if (row->partsBroken) {
        CliOutput::error(tr("%1 has parts missing or of the wrong size; it cannot be joined.")
                             .arg(row->imagePath()));
        return ExitStatus::Refused;
    }
    QString dest
        = QDir::cleanPath(QFileInfo(args.value(1, QStringLiteral("."))).absoluteFilePath());
    if (QFileInfo(dest).isDir())
        dest += QLatin1Char('/') + row->displayName();
    if (!QFileInfo(QFileInfo(dest).path()).isDir()) {
        CliOutput::error(tr("%1: no such folder.").arg(QFileInfo(dest).path()));
        return ExitStatus::NotFound;
    }
    if (QFileInfo::exists(dest) && !parser.isSet(QStringLiteral("overwrite"))) {
        CliOutput::error(tr("%1 is there already; --overwrite replaces it.").arg(dest));
        return ExitStatus::Refused;
    }

    const QString folder = QFileInfo(QDir::cleanPath(root + row->devicePath)).path();
    QStringList files;
    for (const QString &file : row->files)
        files << folder + QLatin1Char('/') + file;
    InterruptWatch watch;
    ProgressLine line;
    line.start(row->displayName());
    QByteArray digest;
    const ImageExport::Result result = ImageExport::save(
        files, dest,
        [&](qint64 done, qint64 total) {
            const qint64 half = total / 2;
            if (done <= half)
                line.bytes(done, half);
            else
                line.verifying(int((done - half) * 100 / qMax<qint64>(half, 1)));
            QCoreApplication::processEvents();
            return watch.received() == 0;
        },
        &digest);
    switch (result) {
    case ImageExport::Result::Done:
        line.finish(tr("%1: copied and verified.").arg(row->displayName()));
        CliOutput::data(dest + QStringLiteral("  ") + QString::fromLatin1(digest.toHex()));
        return ExitStatus::Done;
    case ImageExport::Result::Stopped:
        line.finish(tr("%1: stopped; nothing was kept.").arg(row->displayName()));
        return ExitStatus(128 + watch.received());
    case ImageExport::Result::NotFound:
    case ImageExport::Result::ReadFailed:
        line.finish(QString());
        CliOutput::error(tr("Couldn't read %1 from the discwand.").arg(row->imagePath()));
        return stick.detector().discwand().access() == Discwand::Access::Gone
            ? StickSession::missing()
            : ExitStatus::Failure;
    case ImageExport::Result::WriteFailed:
        line.finish(QString());
        CliOutput::error(tr("Couldn't write %1.").arg(dest));
        return ExitStatus::Failure;
    case ImageExport::Result::Mismatch:
        line.finish(QString());
        CliOutput::error(
            tr("The copy at %1 did not read back as it was read; it was not kept.").arg(dest));
        return ExitStatus::Failure;
    }
    return ExitStatus::Failure;
}
