// get IMAGE [DEST]: an image copied from the stick to the computer, a split one joined into one
// file, read back and compared by SHA-256.
#pragma once

#include "cli/command.h"

class GetCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(GetCommand)
public:
    QString name() const override { return QStringLiteral("get"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
