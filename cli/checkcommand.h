// check [--repair] [--json]: the stick's problems as the core finds them, and the safe repairs
// (removing what interrupted copies left and images with parts missing) when asked.
#pragma once

#include "cli/command.h"

struct StickProblem;

class CheckCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(CheckCommand)
public:
    QString name() const override { return QStringLiteral("check"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

    // The kind as JSON names it ("leftover", "broken-image" ...).
    static QString kindName(const StickProblem &problem);
};
