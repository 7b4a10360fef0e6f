// The words and the speed are the window's (CopyProgress); only the drawing is the terminal's.
#include "cli/progressline.h"

#include "cli/clioutput.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int redrawMs = 200;

int terminalWidth()
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

ProgressLine::ProgressLine()
    : terminal(CliOutput::messagesOnTerminal())
{ }

void ProgressLine::start(const QString &fileName)
{
    name = fileName;
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
