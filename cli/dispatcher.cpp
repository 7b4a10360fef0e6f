// Both levels parse with parse(), not process(): a usage error must end with status 2, where
// process() would exit with 1, a status that means a failed operation here.
#include "cli/dispatcher.h"

#include "cli/checkcommand.h"
#include "cli/clioutput.h"
#include "cli/copycommand.h"
#include "cli/deletecommand.h"
#include "cli/ejectcommand.h"
#include "cli/fetchcommand.h"
#include "cli/getcommand.h"
#include "cli/getselectorcommand.h"
#include "cli/listcommand.h"
#include "cli/loadcommand.h"
#include "cli/mkdircommand.h"
#include "cli/movecommand.h"
#include "cli/statuscommand.h"
#include "cli/sticksession.h"
#include "cli/synccommand.h"
#include "cli/verifycommand.h"
#include "cli/waitcommand.h"

#include <QCommandLineParser>

Dispatcher::Dispatcher()
{
    commands.push_back(std::make_unique<StatusCommand>());
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<LoadCommand>());
    commands.push_back(std::make_unique<CopyCommand>());
    commands.push_back(std::make_unique<SyncCommand>());
    commands.push_back(std::make_unique<GetCommand>());
    commands.push_back(std::make_unique<MoveCommand>(true));
    commands.push_back(std::make_unique<MoveCommand>(false));
    commands.push_back(std::make_unique<DeleteCommand>());
    commands.push_back(std::make_unique<MkdirCommand>());
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<VerifyCommand>());
    commands.push_back(std::make_unique<GetSelectorCommand>());
    commands.push_back(std::make_unique<FetchCommand>());
    commands.push_back(std::make_unique<WaitCommand>());
    commands.push_back(std::make_unique<EjectCommand>());
}

Dispatcher::~Dispatcher() = default;

Command *Dispatcher::find(const QString &name) const
{
    for (const auto &command : commands)
        if (command->name() == name)
            return command.get();
    return nullptr;
}

QString Dispatcher::helpText(const QString &optionsHelp) const
{
    QString text = optionsHelp + QLatin1Char('\n') + tr("Commands:") + QLatin1Char('\n');
    for (const auto &command : commands)
        text += QStringLiteral("  ") + command->name().leftJustified(14)
            + CliOutput::wrapped(command->summary(), 16) + QLatin1Char('\n');
    const QList<std::pair<int, QString>> statuses {
        { 0, tr("done") },
        { 1, tr("failed (a copy, a download, a write)") },
        { 2, tr("the command line is wrong") },
        { 3, tr("no discwand is plugged in, or it went away") },
        { 4, tr("the discwand is read-only (its switch is set)") },
        { 5, tr("no room on the discwand") },
        { 6, tr("a file or image named does not exist") },
        { 7,
          tr("something was left out: no ISO image, too large, already on the discwand, "
             "a name the discwand cannot be told") },
        { 8,
          tr("check found problems (with --repair: problems that are left); verify found a "
             "damaged image, or a recorded one gone") },
        { 9,
          tr("a copy is under way on the discwand (check), or where the command would change "
             "it; try again once it is done") },
        { 10,
          tr("eject wrote everything out but could not unmount the discwand: unmount it before "
             "you unplug it") },
        { 11, tr("verify found an image changed since it was recorded, or not recorded yet") },
        { 130, tr("stopped by Ctrl+C (143: by a stop request); the discwand keeps what it had") },
    };
    text += QLatin1Char('\n') + tr("Exit status:") + QLatin1Char('\n');
    for (const auto &[number, meaning] : statuses)
        text += QStringLiteral("  %1  ").arg(number, 3) + CliOutput::wrapped(meaning, 7)
            + QLatin1Char('\n');
    return text;
}

int Dispatcher::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(CliOutput::wrapped(
        tr("Manages the ISO images on a discwand USB stick from scripts and terminals.\n"
           "Data goes to standard output, messages to standard error.")));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(tr("command"),
                                 tr("What to do (below); COMMAND --help tells more."),
                                 tr("COMMAND [options]"));
    // Everything after the command's name is the command's.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments)) {
        CliOutput::error(parser.errorText());
        return code(ExitStatus::Usage);
    }
    if (parser.isSet(version)) {
        CliOutput::data(QCoreApplication::applicationName() + QLatin1Char(' ')
                        + QCoreApplication::applicationVersion());
        return code(ExitStatus::Done);
    }
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        CliOutput::data(helpText(parser.helpText()).trimmed());
        return code(ExitStatus::Done);
    }
    if (rest.isEmpty()) {
        CliOutput::note(helpText(parser.helpText()).trimmed());
        return code(ExitStatus::Usage);
    }
    Command *command = find(rest.first());
    if (!command) {
        CliOutput::error(tr("There is no command '%1'.").arg(rest.first()));
        CliOutput::note(tr("Try '%1 --help'.").arg(QCoreApplication::applicationName()));
        return code(ExitStatus::Usage);
    }
    return runCommand(*command, QStringList { arguments.first() } + rest.mid(1));
}

int Dispatcher::runCommand(Command &command, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption stick(
        QStringLiteral("stick"),
        tr("The discwand to work on when several are plugged in: its serial, mount point or "
           "label."),
        tr("STICK"));
    parser.addOption(stick);
    command.describe(parser);
    parser.setApplicationDescription(CliOutput::wrapped(parser.applicationDescription()));
    if (!parser.parse(arguments)) {
        CliOutput::error(parser.errorText());
        CliOutput::note(
            tr("Try '%1 %2 --help'.").arg(QCoreApplication::applicationName(), command.name()));
        return code(ExitStatus::Usage);
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // The command's name follows the program's on the usage line.
        QString text = parser.helpText().trimmed();
        const int program = text.indexOf(arguments.first());
        if (program >= 0)
            text.insert(program + arguments.first().size(), QLatin1Char(' ') + command.name());
        CliOutput::data(text);
        return code(ExitStatus::Done);
    }
    StickSession::setWanted(parser.value(stick));
    return code(command.run(parser, parser.positionalArguments()));
}
