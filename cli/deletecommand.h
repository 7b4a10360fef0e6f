// delete PATH...: images (every part of a split one) and folders (with --recursive, everything
// in them) off the stick.
#pragma once

#include "cli/command.h"

class DeleteCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(DeleteCommand)
public:
    QString name() const override { return QStringLiteral("delete"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
