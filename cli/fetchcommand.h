// fetch URL [--to FOLDER] [--name NAME] [--sha256 HEX | --sums URL]: an image downloaded
// straight onto the stick, resumed after drops and checked against its published checksum.
#pragma once

#include "cli/command.h"

class FetchCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(FetchCommand)
public:
    QString name() const override { return QStringLiteral("fetch"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;
};
