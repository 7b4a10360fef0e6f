// copy FILE... [--to FOLDER] [--overwrite|--skip-existing] [--no-verify]: images onto the
// stick with the window's admission and worker.
#pragma once

#include "cli/command.h"

class CopyCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(CopyCommand)
public:
    QString name() const override { return QStringLiteral("copy"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
