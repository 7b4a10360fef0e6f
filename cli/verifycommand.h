// verify [IMAGE...] [--all] [--json]: reads the stick's images again and compares them with the
// record the stick keeps of what was written to it.
#pragma once

#include "cli/command.h"

class VerifyCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(VerifyCommand)
public:
    QString name() const override { return QStringLiteral("verify"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
