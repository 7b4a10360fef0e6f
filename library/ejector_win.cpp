// Ejecting on Windows: the volume's own handle is flushed, locked (which fails while a program
// holds a file on it open), dismounted and its medium ejected, as Explorer's Eject does. The
// device calls wait for the stick, so they run on a thread of their own.
#include "library/ejector.h"

#include "copy/filesync.h"
#include "library/log.h"

#include <QThread>

#include <memory>

#include <windows.h>
#include <winioctl.h>

namespace {

struct Result {
    Ejector::Outcome outcome = Ejector::Outcome::Failed;
    DWORD error = 0;
    bool opened = false;
};

bool control(HANDLE volume, DWORD code, void *in = nullptr, DWORD inSize = 0)
{
    DWORD returned = 0;
    return DeviceIoControl(volume, code, in, inSize, nullptr, 0, &returned, nullptr);
}

Result ejectVolume(const QString &mountPoint)
{
    Result result;
    const std::wstring path = L"\\\\.\\" + mountPoint.left(2).toStdWString();
    const HANDLE volume = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    if (volume == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    result.opened = true;
    FlushFileBuffers(volume);
    // Explorer or an indexer may hold a handle for a moment after a copy.
    bool locked = false;
    for (int attempt = 0; attempt < 10 && !locked; ++attempt) {
        locked = control(volume, FSCTL_LOCK_VOLUME);
        if (!locked)
            Sleep(200);
    }
    if (!locked || !control(volume, FSCTL_DISMOUNT_VOLUME)) {
        result.error = GetLastError();
        CloseHandle(volume);
        return result;
    }
    PREVENT_MEDIA_REMOVAL allow { FALSE };
    control(volume, IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof allow);
    if (control(volume, IOCTL_STORAGE_EJECT_MEDIA)) {
        result.outcome = Ejector::Outcome::PoweredOff;
    } else {
        result.outcome = Ejector::Outcome::Unmounted;
        result.error = GetLastError();
    }
    CloseHandle(volume);
    return result;
}

QString systemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = QString::fromWCharArray(text, int(length)).trimmed();
    LocalFree(text);
    return message.isEmpty() ? QStringLiteral("0x%1").arg(error, 0, 16) : message;
}

} // namespace

Ejector::Ejector(QObject *parent) : QObject(parent) {}

void Ejector::eject(const QString &mountPoint)
{
    if (busy)
        return;
    busy = true;
    this->mountPoint = mountPoint;
    qCDebug(lcLibrary) << "Ejecting" << mountPoint;
    auto result = std::make_shared<Result>();
    QThread *worker = QThread::create([mountPoint, result] {
        *result = ejectVolume(mountPoint);
        // Without the volume's handle (a user without the right to open it) the files are
        // still written out, and the user ejects it from the taskbar.
        if (!result->opened && FileSync::syncVolume(mountPoint))
            result->outcome = Outcome::SyncedOnly;
    });
    connect(worker, &QThread::finished, this, [this, worker, result] {
        worker->deleteLater();
        const QString why = systemMessage(result->error);
        switch (result->outcome) {
        case Outcome::PoweredOff:
            done(Outcome::PoweredOff, QString());
            break;
        case Outcome::Unmounted:
            done(Outcome::Unmounted, why);
            break;
        case Outcome::SyncedOnly:
            done(Outcome::SyncedOnly, tr("Windows did not let Discshelf open the volume: %1").arg(why));
            break;
        case Outcome::Failed:
            done(Outcome::Failed,
                 result->error == ERROR_ACCESS_DENIED && result->opened
                     ? tr("The discwand is in use: a program still has a file or folder on it "
                          "open. Close it, then eject again.")
                     : tr("The discwand could not be ejected: %1").arg(why));
            break;
        }
    });
    worker->start();
}

void Ejector::done(Outcome outcome, const QString &detail)
{
    qCDebug(lcLibrary) << "Eject:" << outcome << detail;
    busy = false;
    emit finished(outcome, detail);
}
