// get-selector [--url URL]: download the stick's selector program when it is missing.
#pragma once

#include "cli/command.h"

class GetSelectorCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(GetSelectorCommand)
public:
    QString name() const override { return QStringLiteral("get-selector"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
