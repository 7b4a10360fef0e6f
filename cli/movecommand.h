// rename PATH NEWNAME and move PATH... FOLDER: an image (every part of a split one) or a folder
// renamed in place or moved into another folder, the boot choice following.
#pragma once

#include "cli/command.h"

class MoveCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(MoveCommand)
public:
    // A rename, or a move into a folder.
    explicit MoveCommand(bool renaming)
        : renaming(renaming)
    { }

    QString name() const override
    {
        return renaming ? QStringLiteral("rename") : QStringLiteral("move");
    }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

private:
    const bool renaming;
};
