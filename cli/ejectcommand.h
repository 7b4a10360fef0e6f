// eject: everything written out to the discwand, and how to take it out safely.
#pragma once

#include "cli/command.h"

class EjectCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(EjectCommand)
public:
    QString name() const override { return QStringLiteral("eject"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
