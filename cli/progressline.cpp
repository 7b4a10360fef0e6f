// Speed is the average since the file began: steadier than the last chunk's, and a stick's
// write cache makes the first seconds look faster than the rest anyway.
#include "cli/progressline.h"

#include "cli/clioutput.h"

#include <QLocale>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int redrawMs = 200;

QString duration(qint64 seconds)
{
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(two(seconds / 60 % 60), two(seconds % 60));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(two(seconds % 60));
}

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

QString ProgressLine::size(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

void ProgressLine::start(const QString &fileName)
{
    name = fileName;
    lastStep = -1;
    clock.start();
    sinceDrawn.invalidate();
}

void ProgressLine::bytes(qint64 done, qint64 total)
{
    const qint64 ms = clock.elapsed();
    const qint64 perSecond = ms > 0 ? done * 1000 / ms : 0;
    QString text = name + QStringLiteral("  ") + size(done);
    if (total >= 0)
        text += tr(" of %1").arg(size(total));
    if (perSecond > 0) {
        text += QStringLiteral("  ") + tr("%1/s").arg(size(perSecond));
        if (total > done)
            text += QStringLiteral("  ") + tr("%1 left").arg(duration((total - done) / perSecond));
    }
    const int step = total > 0 ? int(done * 10 / total) : -1;
    show(text, step, total >= 0 && done >= total);
}

void ProgressLine::verifying(int percent)
{
    show(name + QStringLiteral("  ") + tr("verifying %1%").arg(percent), 11 + percent / 10,
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
