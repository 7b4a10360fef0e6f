// The window's selector download without its question: asking for the command is the yes.
// A read-only stick is told before anything is downloaded, since nothing could be stored.
#include "cli/getselectorcommand.h"

#include "cli/clioutput.h"
#include "cli/interruptwatch.h"
#include "cli/progressline.h"
#include "cli/sticksession.h"
#include "detect/constants.h"
#include "detect/scsidrivedetector.h"
#include "library/wandmenufetch.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QNetworkReply>

QString GetSelectorCommand::summary() const
{
    return tr("Download the selector program config/wandmenu.bin when it is missing.");
}

void GetSelectorCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(summary());
    parser.addOption(
        { QStringLiteral("url"),
          tr("Where to download it from (default: %1).").arg(Discshelf::downloadAddress), tr("URL"),
          Discshelf::downloadAddress });
}

ExitStatus GetSelectorCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 0, 0))
        return usage(tr("get-selector takes no arguments."));
    const QUrl url = QUrl::fromUserInput(parser.value(QStringLiteral("url")));
    if (!url.isValid())
        return usage(
            tr("%1 is no address to download from.").arg(parser.value(QStringLiteral("url"))));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    WandmenuFetch fetch(stick.detector());
    if (!fetch.isMissing()) {
        CliOutput::note(tr("The selector program is on the discwand already."));
        return ExitStatus::Done;
    }
    if (!stick.detector().isWritable())
        return StickSession::readOnly(stick.detector());

    ExitStatus status = ExitStatus::Done;
    QEventLoop loop;
    ProgressLine line;
    InterruptWatch watch;
    QObject::connect(&watch, &InterruptWatch::interrupted, &fetch, &WandmenuFetch::cancel);
    QObject::connect(&fetch, &WandmenuFetch::progress, &loop,
                     [&](qint64 received, qint64 total) { line.bytes(received, total); });
    QObject::connect(&fetch, &WandmenuFetch::replyFinished, &loop, [&](QNetworkReply *reply) {
        line.finish(QString());
        if (!fetch.take(reply)) {
            if (watch.received()) {
                status = ExitStatus(128 + watch.received());
            } else {
                CliOutput::error(tr("Couldn't download wandmenu.bin: %1").arg(fetch.errorString()));
                status = ExitStatus::Failure;
            }
        } else if (!fetch.store()) {
            status = !stick.detector().isPresent() ? StickSession::missing()
                : !stick.detector().isWritable()   ? StickSession::readOnly(stick.detector())
                                                   : ExitStatus::Failure;
            if (status == ExitStatus::Failure)
                CliOutput::error(tr("Couldn't write config/wandmenu.bin to the discwand."));
        } else {
            CliOutput::note(tr("The selector program is on the discwand now."));
        }
        loop.quit();
    });
    fetch.setUrl(url);
    line.start(QStringLiteral("wandmenu.bin"));
    fetch.start();
    loop.exec();
    return status;
}
