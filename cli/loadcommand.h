// load PATH: make an image on the stick the one it boots, as Load ISO in the window does.
#pragma once

#include "cli/command.h"

#include <QList>

struct IsoRow;

class LoadCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(LoadCommand)
public:
    QString name() const override { return QStringLiteral("load"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

    // The listed image that path names ("/linux/a.iso", "linux/a.iso", a split image with or
    // without ".0"), compared as FAT compares names; empty when there is none.
    static QString findImage(const QList<IsoRow> &rows, const QString &path);
};
