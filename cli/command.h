// One subcommand of the command-line program: its name and summary for the overall help, the
// options and arguments it takes, and what it does with them.
#pragma once

#include "cli/exitstatus.h"

#include <QCoreApplication>
#include <QStringList>

class QCommandLineParser;

class Command
{
    Q_DECLARE_TR_FUNCTIONS(Command)
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    // One line for the overall help.
    virtual QString summary() const = 0;
    // What the command takes besides --help; its arguments after its own name.
    virtual void describe(QCommandLineParser &parser) const = 0;
    // args are the positional arguments after the command's name.
    virtual ExitStatus run(const QCommandLineParser &parser, const QStringList &args) = 0;

protected:
    // Tells what is wrong with the command line and where its help is.
    ExitStatus usage(const QString &why) const;
    // Arguments within [least, most] (most < 0: no limit), or a usage error.
    bool countFits(const QStringList &args, int least, int most) const;
};
