// list [--json]: the stick's folders and images, in the order the window's tree shows them.
#pragma once

#include "cli/command.h"

#include <QList>

class QJsonArray;
struct IsoRow;
struct RecordedImage;

class ListCommand : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ListCommand)
public:
    QString name() const override { return QStringLiteral("list"); }
    QString summary() const override;
    void describe(QCommandLineParser &parser) const override;
    ExitStatus run(const QCommandLineParser &parser, const QStringList &args) override;

    // An image the stick's record names carries its SHA-256, and the checksum file it matched.
    static QJsonArray toJson(const QList<IsoRow> &rows, const QString &bootImage,
                             const QList<RecordedImage> &record);
    // A row for people: boot mark, path, size, parts, the image's own label.
    static QString line(const IsoRow &row, const QString &bootImage);
};
