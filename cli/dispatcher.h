// The command line's first word picks the subcommand; the rest is the subcommand's to parse.
// Also the overall --help (the commands and the exit statuses) and --version.
#pragma once

#include "cli/command.h"

#include <memory>
#include <vector>

class Dispatcher
{
    Q_DECLARE_TR_FUNCTIONS(Dispatcher)
public:
    Dispatcher();
    ~Dispatcher();

    // arguments as QCoreApplication::arguments() gives them; returns the exit status.
    int run(const QStringList &arguments);

private:
    QString helpText(const QString &optionsHelp) const;
    Command *find(const QString &name) const;
    int runCommand(Command &command, const QStringList &arguments);

    std::vector<std::unique_ptr<Command>> commands;
};
