// The self-pipe: a signal handler may only write a byte; the event loop reads it and acts.
#include "cli/interruptwatch.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = { -1, -1 };
struct sigaction previous[2];
constexpr int watched[2] = { SIGINT, SIGTERM };

void onSignal(int number)
{
    const char byte = char(number);
    // Nothing can be done about a full pipe here, and one byte already says it.
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

InterruptWatch::InterruptWatch(QObject *parent)
    : QObject(parent)
{
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &InterruptWatch::readPipe);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The handler goes after the first signal: the next one ends the process as usual.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int i = 0; i < 2; ++i)
        ::sigaction(watched[i], &action, &previous[i]);
}

InterruptWatch::~InterruptWatch()
{
    if (!notifier)
        return;
    for (int i = 0; i < 2; ++i)
        ::sigaction(watched[i], &previous[i], nullptr);
}

void InterruptWatch::readPipe()
{
    char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        if (caught == 0) {
            caught = byte;
            emit interrupted(caught);
        }
    }
}
