// copy FILE... [--to FOLDER] [--overwrite|--skip-existing] [--no-verify] [--all-sticks]:
// images onto the stick (or every stick) with the window's admission and worker.
#pragma once

#include "cli/command.h"
#include "copy/copyentry.h"

#include <optional>

class Discwand;
class FlagPrompts;

class CopyCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(CopyCommand)
public:
    QString name() const override { return QStringLiteral("copy"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

    // The admission on one stick: what of files goes into the folder to, the images left out
    // told (after tag, when not empty) and counted in *refused. None when to leads off the
    // stick.
    static std::optional<QList<CopyEntry>> admit(const Discwand &stick, const QString &to,
                                                 const QStringList &files, FlagPrompts &prompts,
                                                 int *refused, const QString &tag);
    // The folder to on the stick is there, or made with the folders above it when parents is
    // set; otherwise the error is told (after tag) and its status given.
    static ExitStatus prepareFolder(const Discwand &stick, const QString &to, bool parents,
                                    const QString &tag);
};
