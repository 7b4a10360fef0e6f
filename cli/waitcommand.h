// wait [--timeout S]: block until a discwand is there, for scripts started at plug-in.
#pragma once

#include "cli/command.h"

class WaitCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(WaitCommand)
public:
    QString name() const override { return QStringLiteral("wait"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
