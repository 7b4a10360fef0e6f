// The command line's download: the stick's write guard first, then the download with a
// progress line; Ctrl+C leaves the stick as it was.
#include "cli/fetchcommand.h"

#include "cli/clioutput.h"
#include "cli/interruptwatch.h"
#include "cli/progressline.h"
#include "cli/sticksession.h"
#include "copy/imagedownload.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>

QString FetchCommand::summary() const
{
    return tr("Download an ISO image straight onto the discwand, checked against its checksum.");
}

void FetchCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("The image is written as a copy is, split above 4,096,000,000 bytes, read back and "
             "put in place only once it is whole; the computer's disk is not used. A dropped "
             "connection is resumed where the discwand's bytes end when the server tells that "
             "its file is the same, else the download starts over. Without --sha256 or --sums, "
             "SHA256SUMS and NAME.sha256 beside the image are looked for. The path of the image "
             "on the discwand is printed on standard output."));
    parser.addPositionalArgument(QStringLiteral("URL"), tr("The address of the image."));
    parser.addOption({ QStringLiteral("to"),
                       tr("The folder on the discwand to download into (default: its top "
                          "level)."),
                       tr("FOLDER"), QStringLiteral("/") });
    parser.addOption({ QStringLiteral("name"),
                       tr("The image's name on the discwand (default: the address's own)."),
                       tr("NAME") });
    parser.addOption(
        { QStringLiteral("sha256"), tr("The SHA-256 the image must have."), tr("HEX") });
    parser.addOption({ QStringLiteral("sums"),
                       tr("The address of a checksum file that lists the image."), tr("URL") });
}

ExitStatus FetchCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 1, 1))
        return usage(tr("Name one address to download."));
    const QUrl url = QUrl::fromUserInput(args.first());
    if (!url.isValid()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return usage(tr("%1 is no address to download from.").arg(args.first()));
    const QString sha = parser.value(QStringLiteral("sha256"));
    const QString sums = parser.value(QStringLiteral("sums"));
    if (!sha.isEmpty() && !sums.isEmpty())
        return usage(tr("--sha256 and --sums exclude each other."));
    if (!sha.isEmpty() && !ImageDownload::isSha256(sha))
        return usage(tr("%1 is no SHA-256: it takes 64 hexadecimal digits.").arg(sha));
    const QUrl sumsUrl = QUrl::fromUserInput(sums);
    if (!sums.isEmpty() && !sumsUrl.isValid())
        return usage(tr("%1 is no address to download from.").arg(sums));
    const QString to = parser.value(QStringLiteral("to"));
    if (!Discwand::isStickPath(to))
        return usage(tr("%1 is no folder on the discwand: name it from the top level, without "
                        "\".\" or \"..\".")
                         .arg(to));

    StickSession stick;
    if (const ExitStatus found = stick.findWritable(); found != ExitStatus::Done)
        return found;
    const QString dir = stick.discwand().filePath(to);
    if (dir.isEmpty() || !QDir().mkpath(dir)) {
        CliOutput::error(tr("%1 leads off the discwand, or cannot be made on it.").arg(to));
        return ExitStatus::Refused;
    }

    ImageDownload download;
    download.setName(parser.value(QStringLiteral("name")));
    download.setDeviceRoot(stick.root());
    download.setSha256(sha.toLatin1());
    if (!sums.isEmpty())
        download.setSumsUrl(sumsUrl);
    QEventLoop loop;
    ProgressLine line;
    InterruptWatch watch;
    QObject::connect(&watch, &InterruptWatch::interrupted, &download, [&] {
        line.finish(QString());
        CliOutput::note(tr("Stopping the download..."));
        download.cancel();
    });
    QObject::connect(&download, &ImageDownload::named, &loop,
                     [&](const QString &name) { line.start(name); });
    QObject::connect(&download, &ImageDownload::progress, &loop,
                     [&](qint64 done, qint64 total) { line.bytes(done, total); });
    QObject::connect(&download, &ImageDownload::verifying, &loop,
                     [&](int percent) { line.verifying(percent); });
    QObject::connect(&download, &ImageDownload::note, &loop, [&](const QString &text) {
        line.finish(QString());
        CliOutput::note(text);
    });
    QObject::connect(&download, &ImageDownload::finished, &loop, &QEventLoop::quit);
    download.start(url, dir);
    if (download.outcome() == ImageDownload::Outcome::Running)
        loop.exec();
    line.finish(QString());

    using Outcome = ImageDownload::Outcome;
    switch (download.outcome()) {
    case Outcome::Done: {
        if (!download.checkedAgainst().isEmpty())
            CliOutput::note(tr("%1 matches %2.").arg(download.name(), download.checkedAgainst()));
        else
            CliOutput::note(tr("%1: no published checksum was found; it was only read back.")
                                .arg(download.name()));
        QString path = QDir::cleanPath(QLatin1Char('/') + to + QLatin1Char('/') + download.name());
        CliOutput::data(path);
        return ExitStatus::Done;
    }
    case Outcome::Cancelled:
        return ExitStatus(128 + (watch.received() ? watch.received() : 2));
    case Outcome::NoRoom:
        CliOutput::error(download.errorString());
        return ExitStatus::NoRoom;
    case Outcome::DeviceGone:
        CliOutput::error(download.errorString());
        return ExitStatus::NoDiscwand;
    case Outcome::Refused:
        CliOutput::error(download.errorString());
        return ExitStatus::Refused;
    default:
        CliOutput::error(download.errorString());
        return ExitStatus::Failure;
    }
}
