// Every image is read in full, one after the other, with a progress line; the record is written
// once at the end, so a stop midway leaves it as it was.
#include "cli/verifycommand.h"

#include "cli/clioutput.h"
#include "cli/progressline.h"
#include "cli/sticksession.h"
#include "detect/scsidrivedetector.h"
#include "library/imagecheck.h"
#include "library/isolisting.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString VerifyCommand::summary() const
{
    return tr("Read images on the discwand again and compare them with what was written.");
}

void VerifyCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("The discwand keeps a record of the SHA-256 of every image Discshelf copied to it. "
             "Each image named (or with --all, every image) is read from the device again and "
             "is intact, damaged (same size and time, other bytes), changed since it was "
             "recorded (written outside Discshelf), or not recorded yet; changed and unrecorded "
             "images are recorded as they are now. Exit status 8 when an image is damaged or a "
             "recorded one is gone, 11 when one was changed or not recorded yet."));
    parser.addPositionalArgument(QStringLiteral("IMAGE"),
                                 tr("Images as 'list' shows them (/linux/a.iso)."),
                                 QStringLiteral("[IMAGE...]"));
    parser.addOption({ QStringLiteral("all"), tr("Verify every image on the discwand.") });
    parser.addOption({ QStringLiteral("json"), tr("Print the results as JSON.") });
}

ExitStatus VerifyCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    const bool all = parser.isSet(QStringLiteral("all"));
    const bool json = parser.isSet(QStringLiteral("json"));
    if (all == !args.isEmpty())
        return usage(tr("Name the images to verify, or give --all."));
    StickSession stick;
    if (const ExitStatus found = stick.find(); found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    const QStringList known = ImageCheck::everything(root, IsoListing::read(root));
    QStringList paths;
    for (QString path : args) {
        if (!path.startsWith(QLatin1Char('/')))
            path.prepend(QLatin1Char('/'));
        if (path.endsWith(QLatin1String(".0")))
            path.chop(2);
        const auto at = std::find_if(known.cbegin(), known.cend(), [&](const QString &k) {
            return k.compare(path, Qt::CaseInsensitive) == 0;
        });
        if (at == known.cend()) {
            CliOutput::error(tr("%1: no such image on the discwand.").arg(path));
            return ExitStatus::NotFound;
        }
        paths << *at;
    }
    if (all)
        paths = known;

    ImageCheck check(root);
    const std::atomic<bool> never { false };
    ProgressLine line;
    QList<ImageVerdict> verdicts;
    QJsonArray results;
    ExitStatus status = ExitStatus::Done;
    for (const QString &path : std::as_const(paths)) {
        const qint64 size = check.bytesOf({ path });
        line.start(path);
        const ImageVerdict verdict = check.check(
            path, [&](qint64 done) { line.bytes(done, size); }, never);
        line.finish(QString());
        verdicts << verdict;
        using K = ImageVerdict::Kind;
        if (verdict.kind == K::Damaged || verdict.kind == K::Missing
            || verdict.kind == K::Unreadable)
            status = ExitStatus::Problems;
        else if ((verdict.kind == K::Changed || verdict.kind == K::NotRecorded)
                 && status == ExitStatus::Done)
            status = ExitStatus::Unverified;
        if (json) {
            QJsonObject entry { { QStringLiteral("path"), path },
                                { QStringLiteral("result"), verdict.name() },
                                { QStringLiteral("sha256"),
                                  QString::fromLatin1(verdict.now.sha256) } };
            if (!verdict.recorded.path.isEmpty())
                entry.insert(QStringLiteral("recordedSha256"),
                             QString::fromLatin1(verdict.recorded.sha256));
            results.append(entry);
        } else {
            CliOutput::data(QStringLiteral("%1: %2").arg(path, verdict.text()));
        }
    }
    // Nothing on a read-only stick is recorded; the verdicts stand all the same.
    if (stick.detector().discwand().access() == Discwand::Access::Writable && !check.save(verdicts))
        CliOutput::error(tr("The record on the discwand could not be written."));
    if (json)
        CliOutput::json(QJsonDocument(QJsonObject { { QStringLiteral("images"), results } }));
    else if (paths.isEmpty())
        CliOutput::note(tr("There are no images on the discwand."));
    return status;
}
