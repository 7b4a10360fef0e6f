// sync FOLDER [--to STICKFOLDER] [--delete] [--dry-run] [--json]: a folder of the stick brought
// up to date with a folder of images on the computer, the plan told first.
#pragma once

#include "cli/command.h"

class SyncPlan;

class SyncCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(SyncCommand)
public:
    QString name() const override { return QStringLiteral("sync"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

private:
    static void printPlan(const SyncPlan &plan, bool json);
};
