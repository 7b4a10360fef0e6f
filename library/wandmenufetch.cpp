#include "library/wandmenufetch.h"

#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const QString wandmenuPath = QStringLiteral("config/wandmenu.bin");

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
    const QString at = detector.drivePath();
    return !at.isEmpty() && !QFile::exists(at + wandmenuPath);
}

void WandmenuFetch::start()
{
    QNetworkReply *reply = network->get(QNetworkRequest(url));
    connect(reply, &QNetworkReply::downloadProgress, this, &WandmenuFetch::progress);
}

bool WandmenuFetch::take(QNetworkReply *reply)
{
    reply->deleteLater();
    root.clear();
    body.clear();
    error.clear();
    // Writing an error page would make the program count as installed for ever.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool ok = reply->error() == QNetworkReply::NoError
        && (!status.isValid() || (status.toInt() >= 200 && status.toInt() < 300));
    if (!ok) {
        error = reply->errorString();
        return false;
    }
    body = reply->readAll();
    root = detector.drivePath();
    return true;
}

bool WandmenuFetch::store()
{
    if (root.isEmpty() || detector.drivePath() != root || !detector.isWritable())
        return false;
    if (!QDir(root).mkpath(QStringLiteral("config")))
        return false;
    QFile file(root + wandmenuPath);
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
