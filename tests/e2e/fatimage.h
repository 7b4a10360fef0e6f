// Reads a FAT volume image with tools that are not ours (fsck.fat, mtools), to check what the
// application left on a simulated stick after it has been unplugged.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class FatImage
{
public:
    explicit FatImage(const QString &imagePath) : path(imagePath) {}

    // fsck.fat -n finds nothing to repair. On failure, report() holds its output.
    bool isClean();
    QString report() const { return lastReport; }

    // The data clusters' bytes and those no file holds, as fsck.fat counts them; false when it
    // cannot tell.
    bool room(qint64 *capacity, qint64 *freeBytes);
    // Every entry, as "/dir/" for folders and "/dir/name" for files.
    QStringList entries();
    bool contains(const QString &entry) { return entries().contains(entry); }
    // A file's bytes (mcopy), or a null array when it cannot be read.
    QByteArray read(const QString &file);
    // Puts a file on the volume (mcopy); the volume must not be mounted.
    bool write(const QString &file, const QByteArray &content);

private:
    bool tool(const QString &program, const QStringList &args, QByteArray *out,
              const QByteArray &input = {});

    QString path;
    QString lastReport;
};
