// Checking for the device's selector program and downloading it when missing.
#include "ui/discshelf.h"

#include <QNetworkReply>

void discShelf::checkWandmenu()
{
    emit wandmenuDownloaded();
}

void discShelf::namFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    emit wandmenuDownloaded();
}
