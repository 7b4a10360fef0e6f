// Checking for the device's selector program and downloading it when missing.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "ui/constants.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include <limits>

namespace {

const QString wandmenuPath = QStringLiteral("config/wandmenu.bin");

// The bar counts in ints; past 2 GiB both counts are halved until they fit, so the fraction
// shown stays right. An unknown total only needs a value that fits.
void fitToBar(qint64 &received, qint64 &total)
{
    constexpr qint64 limit = std::numeric_limits<int>::max();
    if (total < 0) {
        received = qMin(received, limit);
        return;
    }
    while (total > limit) {
        total >>= 1;
        received >>= 1;
    }
}

bool replySucceeded(const QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError)
        return false;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return !status.isValid() || (status.toInt() >= 200 && status.toInt() < 300);
}

// Stores the whole body at root + wandmenuPath, or nothing. The root is only trusted while the
// detector still reports it: a stale mount point would be a directory on the computer itself.
bool storeWandmenu(const ScsiDriveDetector *detector, const QString &root, const QString &path,
                   const QByteArray &body)
{
    if (root.isEmpty() || detector->drivePath() != root || !detector->isWritable())
        return false;
    if (!QDir(root).mkpath(QStringLiteral("config")))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool written = file.write(body) == body.size() && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return true;
    // A truncated selector program would count as installed and never be offered again.
    file.remove();
    return false;
}

} // namespace

void discShelf::checkWandmenu()
{
    const QString root = detector->drivePath();
    if (root.isEmpty() || QFile::exists(root + wandmenuPath)) {
        emit wandmenuDownloaded();
        return;
    }
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("wandmenu is missing!"),
        tr("It looks like you haven't installed wandmenu yet,\nwould you like me to download it "
           "for you?\n\nYou can also download it from ")
            + Discshelf::manualDownloadAddress + tr("\nand place it in the /config directory."),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        emit wandmenuDownloaded();
        return;
    }

    copyIndex = 0;
    copyQueue.clear();
    ui.lblCurrentFile->setText(QStringLiteral("wandmenu.bin"));
    ui.lblCurrentFile->show();
    ui.progressBarCurrentFile->show();
    // Until the headers arrive the size is unknown; don't show a previous copy's progress.
    updateFileProgress(0, -1);

    QNetworkReply *reply = nam->get(QNetworkRequest(downloadUrl));
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        fitToBar(received, total);
        updateFileProgress(int(received), int(total));
    });
}

void discShelf::namFinished(QNetworkReply *reply)
{
    ui.lblCurrentFile->hide();
    ui.progressBarCurrentFile->hide();
    const QString root = detector->drivePath();
    const QString path = root + wandmenuPath;

    if (!replySucceeded(reply)) {
        // Writing an error page would make the check pass for ever.
        QMessageBox::warning(this, tr("Download failed!"),
                             tr("Couldn't download wandmenu.bin:\n") + reply->errorString()
                                 + tr("\n\nYou can also download it from ")
                                 + Discshelf::manualDownloadAddress
                                 + tr("\nand place it in the /config directory."));
    } else {
        const QByteArray body = reply->readAll();
        while (!storeWandmenu(detector, root, path, body)) {
            const QMessageBox::StandardButton answer = QMessageBox::warning(
                this, tr("Cannot write!"),
                tr("Could not write wandmenu.bin to your discwand.\nPlease check the read-only "
                   "switch."),
                QMessageBox::Retry | QMessageBox::Cancel);
            if (answer != QMessageBox::Retry)
                break;
        }
    }

    reply->deleteLater();
    emit wandmenuDownloaded();
}
