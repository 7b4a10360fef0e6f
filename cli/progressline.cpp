// The words and the speed are the window's (CopyProgress); only the drawing is the terminal's.
#include "cli/progressline.h"

#include "cli/clioutput.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

constexpr int redrawMs = 200;

int terminalWidth()
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info {};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return 80;
}

} // namespace

ProgressLine::ProgressLine()
    : terminal(CliOutput::messagesOnTerminal())
{ }

void ProgressLine::start(const QString &fileName)
{
    name = CliOutput::printable(fileName);
    lastStep = -1;
    clock.start();
    progress.start(0, 0);
    sinceDrawn.invalidate();
}

void ProgressLine::bytes(qint64 done, qint64 total)
{
    // A download of unknown length has no total to measure against.
    if (total < 0) {
        show(tr("%1: %2").arg(name, CopyProgress::sizeText(done)), -1, false);
        return;
    }
    if (done == 0 || total != progress.total())
        progress.start(total, clock.elapsed());
    progress.update(done, clock.elapsed());
    const int step = total > 0 ? int(done * 10 / total) : -1;
    show(tr("%1: %2").arg(name, progress.text()), step, done >= total);
}

void ProgressLine::verifying(int percent)
{
    show(tr("%1: checking the copy, %2%").arg(name).arg(percent), 11 + percent / 10,
         percent >= 100);
}

void ProgressLine::show(const QString &text, int step, bool force)
{
    if (terminal) {
        if (!force && sinceDrawn.isValid() && sinceDrawn.elapsed() < redrawMs)
            return;
        sinceDrawn.start();
        // A line longer than the terminal would wrap, and the carriage return could not
        // take it back; the name gives way first.
        const int room = terminalWidth() - 1;
        QString fitted = text;
        if (fitted.size() > room)
            fitted = QStringLiteral("…") + fitted.right(qMax(room - 1, 0));
        CliOutput::raw(QStringLiteral("\r\x1b[K") + fitted);
        drawn = true;
        return;
    }
    if (step == lastStep || step < 0)
        return;
    lastStep = step;
    CliOutput::note(text);
}

void ProgressLine::finish(const QString &outcome)
{
    if (terminal && drawn)
        CliOutput::raw(QStringLiteral("\r\x1b[K"));
    drawn = false;
    if (!outcome.isEmpty())
        CliOutput::note(outcome);
}
