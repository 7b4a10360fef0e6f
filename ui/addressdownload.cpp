// Each download gets a fresh ImageDownload, moved to the thread; it is let go once its report
// is here, so that a cancel from the window always finds it.
#include "ui/addressdownload.h"

#include <QThread>

AddressDownload::AddressDownload(QObject *parent)
    : QObject(parent)
    , thread(new QThread(this))
{
    thread->setObjectName(QStringLiteral("download"));
    thread->start();
}

AddressDownload::~AddressDownload()
{
    cancel();
    thread->quit();
    thread->wait();
    // A download whose report had not arrived yet; its thread has ended, and nothing is told
    // to a window that is going.
    if (download) {
        download->disconnect();
        delete download.data();
    }
}

void AddressDownload::start(const QUrl &url, const QString &root, const QString &dir,
                            const QByteArray &sha256, const QUrl &sums)
{
    running = true;
    auto *job = new ImageDownload;
    job->setDeviceRoot(root);
    job->setSha256(sha256);
    if (sums.isValid())
        job->setSumsUrl(sums);
    job->moveToThread(thread);
    download = job;
    connect(job, &ImageDownload::named, this, &AddressDownload::named);
    connect(job, &ImageDownload::progress, this, &AddressDownload::progress);
    connect(job, &ImageDownload::verifying, this, &AddressDownload::verifying);
    connect(job, &ImageDownload::note, this, &AddressDownload::note);
    // Read in the download's thread, right as it finishes, and handed over by value.
    connect(job, &ImageDownload::finished, job, [this, job] {
        const auto outcome = job->outcome();
        const QString name = job->name(), text = job->errorString(),
                      checked = job->checkedAgainst();
        QMetaObject::invokeMethod(this, [this, job, outcome, name, text, checked] {
            running = false;
            download.clear();
            job->deleteLater();
            emit done(outcome, name, text, checked);
        });
    });
    QMetaObject::invokeMethod(job, [job, url, dir] { job->start(url, dir); });
}

void AddressDownload::cancel()
{
    if (download)
        download->cancelSoon();
}
