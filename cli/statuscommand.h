// status [--json]: whether a discwand is there, and what a script needs to know about it.
#pragma once

#include "cli/command.h"

class QJsonObject;
class StickSession;

class StatusCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(StatusCommand)
public:
    QString name() const override { return QStringLiteral("status"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

private:
    static QJsonObject facts(StickSession &stick);
    static void show(const QJsonObject &facts);
};
