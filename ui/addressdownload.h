// The window's download of an image from an address: the download runs in a thread of its own,
// so that its writes and its read-back never hold the window up, and reports back here.
#pragma once

#include "copy/imagedownload.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QThread;

class AddressDownload : public QObject
{
    Q_OBJECT
public:
    explicit AddressDownload(QObject *parent = nullptr);
    // Cancels a download under way and waits for its thread.
    ~AddressDownload() override;

    // Downloads url into dir on the stick at root, checked against sha256 (hex) or the file at
    // sums.
    void start(const QUrl &url, const QString &root, const QString &dir, const QByteArray &sha256,
               const QUrl &sums);
    void cancel();
    bool isRunning() const { return running; }

signals:
    void named(const QString &name);
    void progress(qint64 done, qint64 total);
    void verifying(int percent);
    void note(const QString &text);
    // name is the image's, checkedAgainst what it matched ("" when nothing was found to check).
    void done(ImageDownload::Outcome outcome, const QString &name, const QString &text,
              const QString &checkedAgainst);

private:
    QThread *thread;
    QPointer<ImageDownload> download;
    bool running = false;
};
