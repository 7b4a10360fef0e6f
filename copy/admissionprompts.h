// The questions a drop may raise once it has been examined. The window asks them in message
// boxes; a command line or a test answers them its own way.
#pragma once

#include <QString>
#include <QStringList>

class AdmissionPrompts
{
public:
    virtual ~AdmissionPrompts() = default;

    // An image over the size limit is left out; the user is told so.
    virtual void tooLarge(const QString &fileName) = 0;
    // A source that is no ordinary file (a pipe, a device) could hold a copy up for ever; it is
    // left out and the user told so.
    virtual void notRegular(const QString &fileName) = 0;
    // Images the stick cannot take, each "name: reason"; they are left out and the user told.
    virtual void refused(const QStringList &reasons) = 0;
    // The image has no boot record, or is no ISO 9660 image at all: the stick cannot start a
    // computer from it. True copies it all the same.
    virtual bool willNotBoot(const QString &fileName, bool iso9660) = 0;
    // An image of this name is on the device already: true replaces it. removeFirst: there is
    // no room for both, so the old image would go before the new one is written.
    virtual bool overwrite(const QString &fileName, bool removeFirst) = 0;
    // These images do not fit in the room left: true copies the others, false nothing.
    virtual bool copyWhatFits(const QStringList &fileNames, qint64 freeBytes) = 0;
    // Whether the drop still has somewhere to go: false once its stick was pulled, which ends
    // its questions and copies nothing of it.
    virtual bool stillWanted() { return true; }
    // The drop holds files that are no images: true copies the images alone, false nothing of
    // the drop. Asked at most once per drop.
    virtual bool imagesOnly() = 0;
};
