// Without --parents, as mkdir(1): the folder above must be there and the folder itself not.
#include "cli/mkdircommand.h"

#include "cli/clioutput.h"
#include "cli/sticksession.h"
#include "detect/devicefolder.h"
#include "detect/discwand.h"
#include "detect/scsidrivedetector.h"
#include "library/newfolder.h"

#include <QCommandLineParser>
#include <QFileInfo>

QString MkdirCommand::summary() const
{
    return tr("Make folders on the discwand.");
}

void MkdirCommand::describe(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(
        summary() + QLatin1Char('\n')
        + tr("Names follow the rules of the discwand's FAT file system, as New Folder in the "
             "window does."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 tr("Folders on the discwand, from its top level."),
                                 QStringLiteral("FOLDER..."));
    parser.addOption(
        { { QStringLiteral("p"), QStringLiteral("parents") },
          tr("Make the folders above too, and take a folder that is there already.") });
}

ExitStatus MkdirCommand::run(const QCommandLineParser &parser, const QStringList &args)
{
    if (!countFits(args, 1, -1))
        return usage(tr("Name at least one folder to make."));
    for (const QString &typed : args)
        if (!Discwand::isStickPath(typed) || DeviceFolder(typed).isRoot())
            return usage(tr("%1 is no folder on the discwand: name it from the top level, "
                            "without \".\" or \"..\".")
                             .arg(typed));
    const bool parents = parser.isSet(QStringLiteral("parents"));
    StickSession stick;
    if (const ExitStatus found = stick.findWritable(); found != ExitStatus::Done)
        return found;
    const QString root = stick.root();
    for (const QString &typed : args) {
        if (const ExitStatus guard = stick.guard(); guard != ExitStatus::Done)
            return guard;
        const DeviceFolder folder(typed);
        if (stick.detector().discwand().filePath(folder.path()).isEmpty()) {
            CliOutput::error(tr("%1 leads off the discwand: through a link, or onto another disk "
                                "mounted there.")
                                 .arg(typed));
            return ExitStatus::Refused;
        }
        NewFolder::Problem problem = NewFolder::Problem::None;
        if (parents) {
            problem = NewFolder::makePath(root, folder);
        } else {
            const QString path = folder.path().chopped(1);
            const DeviceFolder parent(path.section(QLatin1Char('/'), 0, -2));
            if (!QFileInfo(parent.under(root)).isDir()) {
                CliOutput::error(tr("%1: the folder %2 is not there; --parents makes it.")
                                     .arg(typed, parent.path()));
                return ExitStatus::NotFound;
            }
            problem = NewFolder::make(root, parent, path.section(QLatin1Char('/'), -1));
        }
        if (problem != NewFolder::Problem::None) {
            CliOutput::error(QStringLiteral("%1: %2").arg(typed, NewFolder::reason(problem)));
            return problem == NewFolder::Problem::NotMade ? ExitStatus::Failure
                                                          : ExitStatus::Refused;
        }
        CliOutput::data(folder.path());
    }
    return ExitStatus::Done;
}
