// Ctrl+C, Ctrl+Break and a closing console on Windows: the system calls the handler on a thread
// of its own, which hands the event to the watch's thread and returns at once.
#include "cli/interruptwatch.h"

#include <QMetaObject>
#include <QPointer>

#include <csignal>

#include <windows.h>

namespace {

QPointer<InterruptWatch> current;
bool handled = false;

BOOL WINAPI onControl(DWORD event)
{
    // The second one takes the system's default: the process ends at once.
    if (handled || !current)
        return FALSE;
    handled = true;
    const int number = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    QMetaObject::invokeMethod(current.data(), [number] {
        if (current && current->received() == 0)
            emit current->interrupted(number);
    }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

InterruptWatch::InterruptWatch(QObject *parent)
    : QObject(parent)
{
    current = this;
    handled = false;
    SetConsoleCtrlHandler(onControl, TRUE);
    connect(this, &InterruptWatch::interrupted, this, [this](int number) { caught = number; });
}

InterruptWatch::~InterruptWatch()
{
    SetConsoleCtrlHandler(onControl, FALSE);
    current = nullptr;
}
