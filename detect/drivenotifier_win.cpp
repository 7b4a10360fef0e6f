// Volumes arriving and leaving on Windows: the system broadcasts WM_DEVICECHANGE to every
// top-level window, so the notifier keeps a hidden one of its own (the program may have none,
// like the command-line one) and reads what it hears through a native event filter.
#include "detect/drivenotifier.h"

#include "detect/log.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>
#include <dbt.h>

namespace {

const wchar_t windowClass[] = L"DiscshelfDriveNotifier";

LRESULT CALLBACK hear(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Broadcasts are sent, not posted: they reach this procedure without passing the event
    // dispatcher, so it hands them to the dispatcher's filters itself.
    MSG msg {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    qintptr result = 0;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        if (dispatcher->filterNativeEvent(QByteArrayLiteral("windows_generic_MSG"), &msg, &result))
            return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

struct DriveNotifier::Native : QAbstractNativeEventFilter
{
    explicit Native(DriveNotifier *owner)
        : owner(owner)
    {
        static const bool registered = [] {
            WNDCLASSEXW cls {};
            cls.cbSize = sizeof cls;
            cls.lpfnWndProc = hear;
            cls.hInstance = GetModuleHandleW(nullptr);
            cls.lpszClassName = windowClass;
            return RegisterClassExW(&cls) != 0;
        }();
        // A top-level window, never shown: message-only windows get no broadcasts.
        if (registered)
            window = CreateWindowExW(0, windowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!window)
            qCWarning(lcDetect) << "No window for drive notifications, error" << GetLastError();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~Native() override
    {
        if (auto *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
        if (window)
            DestroyWindow(window);
    }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        // Qt's own windows hear the same broadcast; one report per change is enough.
        if (!window || msg->hwnd != window || msg->message != WM_DEVICECHANGE)
            return false;
        const bool added = msg->wParam == DBT_DEVICEARRIVAL;
        if (!added && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
            return false;
        const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
        if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME)
            return false;
        const auto *volume = reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header);
        for (const QString &drive : DriveNotifier::drivesOfUnitMask(volume->dbcv_unitmask))
            emit owner->logicalDriveChanged(added, drive);
        return false;
    }

    DriveNotifier *owner;
    HWND window = nullptr;
};

DriveNotifier::DriveNotifier(QObject *parent)
    : QObject(parent)
    , native(std::make_unique<Native>(this))
{
}

DriveNotifier::~DriveNotifier() = default;
