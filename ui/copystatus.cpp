#include "ui/copystatus.h"

#include "ui/plaintip.h"
#include "ui/stickcopies.h"

#include <QLabel>

CopyStatus::CopyStatus(QLabel *line, StickCopies *queue)
    : QObject(line)
    , line(line)
    , queue(queue)
{
    clock.start();
    fade.setSingleShot(true);
    fade.setInterval(15000);
    connect(&fade, &QTimer::timeout, line, &QWidget::hide);
    line->hide();
    connect(queue, &StickCopies::fileStarted, this, &CopyStatus::started);
    connect(queue, &StickCopies::transferred, this, &CopyStatus::transferred);
    connect(queue, &StickCopies::verifyProgress, this, &CopyStatus::verifying);
    connect(queue, &StickCopies::batchCopied, this,
            [this](int images, int total, qint64 bytes, qint64 ms, const QStringList &failures) {
                QString text = CopyProgress::summary(images, total, bytes, ms, failures);
                if (!this->queue->batchMatches().isEmpty())
                    text += QStringLiteral("; ")
                        + this->queue->batchMatches().join(QStringLiteral(", "));
                say(text);
                // A batch with failures stays told until the next one starts.
                kept = !failures.isEmpty();
                if (!kept)
                    fade.start();
            });
    connect(queue, &StickCopies::shownChanged, this, &CopyStatus::restart);
    connect(queue, &StickCopies::changed, this, [this, queue] {
        if (queue->count() == 0 && !fade.isActive() && !kept)
            this->line->hide();
    });
}

void CopyStatus::started(const QString &file)
{
    name = file;
    readBack = queue->verifies();
    progress.start(0, clock.elapsed(), readBack);
    fade.stop();
    kept = false;
}

void CopyStatus::restart()
{
    fade.stop();
    kept = false;
    line->hide();
    if (!queue->copyingName().isEmpty())
        started(queue->copyingName());
}

void CopyStatus::transferred(qint64 done, qint64 total)
{
    if (done == 0 || progress.total() != total)
        progress.start(total, clock.elapsed(), readBack);
    else
        progress.update(done, clock.elapsed());
    const QString sofar = progress.text();
    sayAboutFile([&](const QString &file) { return tr("%1: %2").arg(file, sofar); });
}

void CopyStatus::verifying(int value)
{
    // The worker tells hundredths of the file read back; the time left wants bytes.
    progress.check(progress.total() / 100 * value, clock.elapsed());
    const QString sofar = progress.text();
    sayAboutFile([&](const QString &file) { return tr("%1: %2").arg(file, sofar); });
}

void CopyStatus::sayAboutFile(const std::function<QString(const QString &)> &withName)
{
    // Bytes, speed and time left matter more than the end of a long name, which gives way in
    // its middle, where names differ least.
    const QFontMetrics metrics = line->fontMetrics();
    const int room = qMax(80, line->width()) - metrics.horizontalAdvance(withName(QString()));
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, qMax(room, 60));
    say(withName(shown));
    line->setToolTip(PlainTip::of(withName(name)));
}

void CopyStatus::say(const QString &text)
{
    // A long name gives way in its middle, where names differ least.
    const int room = qMax(80, line->width());
    line->setText(line->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    line->setToolTip(PlainTip::of(text));
    line->show();
}
