// mkdir FOLDER...: folders on the stick, by FAT's name rules; --parents makes the ones above.
#pragma once

#include "cli/command.h"

class MkdirCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(MkdirCommand)
public:
    QString name() const override { return QStringLiteral("mkdir"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
