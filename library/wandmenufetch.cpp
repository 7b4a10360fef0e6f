#include "library/wandmenufetch.h"

#include "copy/filesync.h"
#include "copy/offthread.h"
#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const QString wandmenuPath = QStringLiteral("config/wandmenu.bin");
const QString pendingPath = QStringLiteral("config/.wandmenu.bin.new");

} // namespace

WandmenuFetch::WandmenuFetch(const ScsiDriveDetector &detector, QObject *parent)
    : QObject(parent)
    , detector(detector)
    , network(new QNetworkAccessManager(this))
{
    connect(network, &QNetworkAccessManager::finished, this, &WandmenuFetch::replyFinished);
}

bool WandmenuFetch::isMissing() const
{
    const QString at = detector.discwand().root();
    return !at.isEmpty() && !QFile::exists(at + wandmenuPath);
}

void WandmenuFetch::start()
{
    QNetworkRequest request(url);
    // A server that stops sending would otherwise hold the download for ever.
    request.setTransferTimeout(stallMs);
    cancelled = false;
    reply = network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, this, &WandmenuFetch::progress);
}

void WandmenuFetch::cancel()
{
    if (!reply)
        return;
    cancelled = true;
    reply->abort();
}

bool WandmenuFetch::take(QNetworkReply *finished)
{
    finished->deleteLater();
    if (finished == reply)
        reply = nullptr;
    stick = Discwand();
    body.clear();
    error.clear();
    // Writing an error page would make the program count as installed for ever.
    const QVariant status = finished->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool ok = finished->error() == QNetworkReply::NoError
        && (!status.isValid() || (status.toInt() >= 200 && status.toInt() < 300));
    if (!ok) {
        error = finished->error() == QNetworkReply::OperationCanceledError && !cancelled
            ? tr("The server sent nothing for %1 seconds.").arg(stallMs / 1000.0)
            : finished->errorString();
        return false;
    }
    body = finished->readAll();
    stick = detector.discwand();
    return true;
}

bool WandmenuFetch::store()
{
    // The stick known when the reply was taken is still the current one, and takes writes.
    if (stick.isNull() || stick.access() != Discwand::Access::Writable)
        return false;
    // Off the GUI thread: the settle syncs the volume, which waits behind a running copy's
    // writes on a slow stick.
    return OffThread::wait([root = stick.root(), body = body] { return write(root, body); });
}

bool WandmenuFetch::write(const QString &root, const QByteArray &body)
{
    if (!QDir(root).mkpath(QStringLiteral("config")))
        return false;
    // Written aside and renamed into place: a truncated selector program would count as
    // installed and never be offered again.
    const QString target = root + wandmenuPath;
    QFile file(root + pendingPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written
        = file.write(body) == body.size() && file.flush() && FileSync::syncFile(file);
    file.close();
    if (written && file.error() == QFileDevice::NoError
        && FileSync::replace(file.fileName(), target)
        && FileSync::settle(root + QStringLiteral("config"), { QStringLiteral("wandmenu.bin") }))
        return true;
    file.remove();
    return false;
}
