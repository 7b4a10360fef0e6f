// Admission first, all of it before anything is written: the files named must exist, and the
// plan says what the stick takes; then the batch runs.
#include "cli/copycommand.h"

#include "cli/allstickscopy.h"
#include "cli/clioutput.h"
#include "cli/copyrun.h"
#include "cli/flagprompts.h"
#include "cli/sticksession.h"
#include "copy/copyerror.h"
#include "copy/dropadmission.h"
#include "copy/publishedsums.h"
#include "detect/scsidrivedetector.h"
#include "library/newfolder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

QString CopyCommand::summary() const
{
    return tr("Copy ISO images (or folders holding them) to the discwand, read back and compared.");
}

void CopyCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("Images above 4,096,000,000 bytes are split into numbered parts. A copy replaces an "
             "image only once it is whole; Ctrl+C stops it and leaves the stick as it was. "
             "Files that are no ISO images are left out, and so are images that do not fit in "
             "the room left (the others are copied, exit status 5). With --overwrite, an image "
             "without room beside its old one is written after the old one is removed. The "
             "path of each image copied is printed on standard output."));
    parser.addPositionalArgument(QStringLiteral("FILE"), tr("ISO images or folders holding them."),
                                 QStringLiteral("FILE..."));
    parser.addOption({ QStringLiteral("to"),
                       tr("The folder on the discwand to copy into (default: its top level)."),
                       tr("FOLDER"), QStringLiteral("/") });
    parser.addOption(
        { QStringLiteral("overwrite"), tr("Replace images already on the discwand.") });
    parser.addOption(
        { QStringLiteral("skip-existing"), tr("Pass over images already on the discwand.") });
    parser.addOption({ { QStringLiteral("p"), QStringLiteral("parents") },
                       tr("Make the folder given with --to, and the folders above it, when it is "
                          "not there (without it that is an error).") });
    parser.addOption({ QStringLiteral("all-sticks"),
                       tr("Copy to every discwand plugged in, all at once; the exit status is the "
                          "worst of theirs.") });
    parser.addOption({ QStringLiteral("no-verify"),
                       tr("Do not read each copy back to compare it with its source.") });
    parser.addOption({ QStringLiteral("sha256"),
                       tr("The SHA-256 (or SHA-512) the one image named must have; a copy that "
                          "differs is not kept."),
                       tr("HEX") });
    parser.addOption({ QStringLiteral("sums"),
                       tr("A checksum file (SHA256SUMS, a.iso.sha256 ...) that lists every image "
                          "named, instead of those found beside them."),
                       tr("FILE") });
}

ExitStatus CopyCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 1, -1))
        return usage(tr("Name at least one image to copy."));
    const bool overwrite = parser.isSet(QStringLiteral("overwrite"));
    const bool skip = parser.isSet(QStringLiteral("skip-existing"));
    if (overwrite && skip)
        return usage(tr("--overwrite and --skip-existing exclude each other."));
    if (parser.isSet(QStringLiteral("all-sticks")) && StickSession::isNamed())
        return usage(tr("--stick and --all-sticks exclude each other."));

    // Whatever names a place off the stick is refused before anything is looked at.
    const QString to = parser.value(QStringLiteral("to"));
    if (!Discwand::isStickPath(to))
        return usage(tr("%1 is no folder on the discwand: name it from the top level, without "
                        "\".\" or \"..\".")
                         .arg(to));

    QStringList files;
    for (const QString &arg : args) {
        const QFileInfo info(arg);
        if (!info.exists()) {
            CliOutput::error(tr("%1: no such file or folder.").arg(arg));
            return ExitStatus::NotFound;
        }
        files << QDir::cleanPath(info.absoluteFilePath());
    }

    const FlagPrompts::Existing existing = overwrite ? FlagPrompts::Existing::Overwrite
        : skip                                       ? FlagPrompts::Existing::Skip
                                                     : FlagPrompts::Existing::Refuse;
    const bool verify = !parser.isSet(QStringLiteral("no-verify"));
    if (parser.isSet(QStringLiteral("all-sticks"))
        && (parser.isSet(QStringLiteral("sha256")) || parser.isSet(QStringLiteral("sums"))))
        return usage(tr("--all-sticks takes the checksums found beside the images only."));
    const bool parents = parser.isSet(QStringLiteral("parents"));
    if (parser.isSet(QStringLiteral("all-sticks")))
        return AllSticksCopy(to, files, existing, verify, parents).exec();

    // A checksum given on the command line stands for the one image named.
    PublishedSum given;
    const QString sha = parser.value(QStringLiteral("sha256"));
    const QString sums = parser.value(QStringLiteral("sums"));
    if (!sha.isEmpty() && !sums.isEmpty())
        return usage(tr("--sha256 and --sums exclude each other."));
    if (!sha.isEmpty()) {
        given = PublishedSums::fromHex(sha);
        if (!given.isListed())
            return usage(tr("--sha256 takes 64 hex digits (or 128 for a SHA-512)."));
        if (files.size() != 1 || !QFileInfo(files.first()).isFile())
            return usage(tr("--sha256 goes with one image."));
    }
    if (!sums.isEmpty() && !QFileInfo(sums).isFile()) {
        CliOutput::error(tr("%1: no such file.").arg(sums));
        return ExitStatus::NotFound;
    }

    StickSession stick;
    if (const ExitStatus found = stick.findWritable(); found != ExitStatus::Done)
        return found;
    if (const ExitStatus folder = prepareFolder(stick.detector().discwand(), to, parents, {});
        folder != ExitStatus::Done)
        return folder;

    FlagPrompts prompts(existing);
    int refused = 0;
    std::optional<QList<CopyEntry>> admitted
        = admit(stick.discwand(), to, files, prompts, &refused, QString());
    if (!admitted)
        return ExitStatus::Refused;
    QList<CopyEntry> accepted = *admitted;
    for (CopyEntry &entry : accepted) {
        if (!sums.isEmpty()) {
            const QString name = QFileInfo(entry.sourceFile).fileName();
            entry.published = PublishedSums::fromFile(sums, name);
            if (!entry.published.isListed()) {
                CliOutput::error(
                    entry.published.isTrouble()
                        ? CopyErrors::message(entry.published.state == PublishedSum::State::Unreadable
                                                  ? CopyError::ChecksumUnreadable
                                                  : CopyError::ChecksumConflict,
                                              entry.published.file)
                        : tr("%1 does not list %2; nothing was copied.").arg(sums, name));
                return ExitStatus::Refused;
            }
        } else if (given.isListed()) {
            entry.published = given;
        }
    }

    ExitStatus status = ExitStatus::Done;
    if (!accepted.isEmpty()) {
        CopyRun batch(stick.detector(), verify);
        status = batch.exec(accepted);
    } else if (refused == 0 && prompts.withoutRoom() == 0) {
        CliOutput::note(tr("Nothing to copy."));
    }
    if (status != ExitStatus::Done)
        return status;
    return prompts.withoutRoom() > 0 ? ExitStatus::NoRoom
        : refused > 0                ? ExitStatus::Refused
                                     : ExitStatus::Done;
}

ExitStatus CopyCommand::prepareFolder(const Discwand &stick, const QString &to, bool parents,
                                      const QString &tag)
{
    const QString prefix = tag.isEmpty() ? QString() : tag + QStringLiteral(": ");
    const DeviceFolder folder(to);
    const QString path = stick.filePath(folder.path());
    if (path.isEmpty() || QFileInfo(path).isDir())
        return ExitStatus::Done; // a path off the stick is admit()'s to refuse
    if (!parents) {
        CliOutput::error(
            prefix
            + tr("There is no folder %1 on the discwand; --parents makes it.").arg(folder.path()));
        return ExitStatus::NotFound;
    }
    const NewFolder::Problem problem = NewFolder::makePath(stick.root(), folder);
    if (problem == NewFolder::Problem::None)
        return ExitStatus::Done;
    CliOutput::error(prefix
                     + QStringLiteral("%1: %2").arg(folder.path(), NewFolder::reason(problem)));
    return problem == NewFolder::Problem::NotMade ? ExitStatus::Failure : ExitStatus::Refused;
}

std::optional<QList<CopyEntry>> CopyCommand::admit(const Discwand &stick, const QString &to,
                                                   const QStringList &files, FlagPrompts &prompts,
                                                   int *refused, const QString &tag)
{
    const auto tagged = [&tag](const QString &text) {
        return tag.isEmpty() ? text : tag + QStringLiteral(": ") + text;
    };
    if (stick.filePath(to).isEmpty()) {
        CliOutput::error(tagged(tr("%1 leads off the discwand: through a link, or onto another "
                                   "disk mounted there.")
                                    .arg(to)));
        return std::nullopt;
    }

    const std::atomic<bool> never { false };
    // A drop's last item comes first; a command line copies, and counts the room, in the order
    // the files were named.
    const QStringList lastFirst(files.crbegin(), files.crend());
    const DropAdmission::Plan plan
        = *DropAdmission::plan(stick.root(), DeviceFolder(to), lastFirst, never);
    // A file found in a folder that is no image is passed over; one named is refused.
    const QSet<QString> named(files.cbegin(), files.cend());
    for (const DropAdmission::Item &item : plan.items) {
        if (item.kind != DropAdmission::Item::Kind::NotImage)
            continue;
        if (named.contains(item.sourceFile)) {
            ++*refused;
            CliOutput::error(
                tagged(tr("%1 is left out: it is no ISO image.").arg(item.sourceFile)));
        } else {
            CliOutput::note(tagged(tr("%1 is no ISO image; passed over.").arg(item.sourceFile)));
        }
    }
    const QList<CopyEntry> accepted
        = DropAdmission::decide(plan, prompts).value_or(QList<CopyEntry>());
    *refused += prompts.refusals();
    return accepted;
}
