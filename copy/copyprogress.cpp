#include "copy/copyprogress.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

// Long enough to ride out a stick's bursts and stalls, short enough to follow a real change.
constexpr qint64 windowMs = 5000;

QString tr(const char *text)
{
    return QCoreApplication::translate("CopyProgress", text);
}

} // namespace

void CopyProgress::start(qint64 total, qint64 atMs, bool readBack)
{
    bytesTotal = total;
    bytesDone = bytesChecked = 0;
    this->readBack = readBack;
    checking = false;
    samples = { { atMs, 0 } };
}

void CopyProgress::check(qint64 done, qint64 atMs)
{
    if (!checking) {
        // Reading goes at a speed of its own: it is timed afresh.
        checking = true;
        bytesDone = bytesTotal;
        samples = { { atMs, 0 } };
    }
    bytesChecked = done;
    sample(done, atMs);
}

void CopyProgress::update(qint64 done, qint64 atMs)
{
    bytesDone = done;
    sample(done, atMs);
}

void CopyProgress::sample(qint64 done, qint64 atMs)
{
    samples.append({ atMs, done });
    while (samples.size() > 2 && samples.at(1).first <= atMs - windowMs)
        samples.removeFirst();
}

double CopyProgress::speed() const
{
    if (samples.size() < 2)
        return 0;
    const qint64 ms = samples.last().first - samples.first().first;
    // Under half a second says more about the chunk size than about the stick.
    if (ms < 500)
        return 0;
    return (samples.last().second - samples.first().second) * 1000.0 / ms;
}

qint64 CopyProgress::secondsLeft() const
{
    const double bytesPerSecond = speed();
    if (bytesPerSecond <= 0)
        return -1;
    // The read-back is not timed before it starts; taken at the writing speed, which reading
    // mostly beats, the time left errs long rather than jump up at the end of the writing.
    const qint64 left = checking ? bytesTotal - bytesChecked
                                 : bytesTotal - bytesDone + (readBack ? bytesTotal : 0);
    return qint64(left / bytesPerSecond + 0.5);
}

QString CopyProgress::sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString CopyProgress::durationText(qint64 seconds)
{
    if (seconds < 10)
        return tr("a few seconds");
    if (seconds < 60)
        return tr("about %1 s").arg((seconds + 2) / 5 * 5);
    const qint64 minutes = (seconds + 30) / 60;
    if (minutes < 60)
        return tr("about %1 min").arg(minutes);
    const qint64 fives = (minutes + 2) / 5 * 5;
    return fives % 60 == 0 ? tr("about %1 h").arg(fives / 60)
                           : tr("about %1 h %2 min").arg(fives / 60).arg(fives % 60);
}

QString CopyProgress::text() const
{
    const double bytesPerSecond = speed();
    // A download whose server tells no length: what came so far, and how fast.
    if (bytesTotal < 0 && !checking)
        return bytesPerSecond > 0
            ? tr("%1, %2/s").arg(sizeText(bytesDone), sizeText(qint64(bytesPerSecond)))
            : sizeText(bytesDone);
    QString line = checking
        ? tr("checking the copy: %1 of %2").arg(sizeText(bytesChecked), sizeText(bytesTotal))
        : tr("%1 of %2").arg(sizeText(bytesDone), sizeText(bytesTotal));
    if (bytesPerSecond > 0)
        line += tr(", %1/s, %2 left")
                    .arg(sizeText(qint64(bytesPerSecond)), durationText(secondsLeft()));
    return line;
}

QString CopyProgress::summary(int images, int total, qint64 bytes, qint64 ms,
                              const QStringList &failures)
{
    const qint64 seconds = (ms + 500) / 1000;
    const QString took = seconds < 60 ? tr("%1 s").arg(seconds)
                                      : tr("%1 min").arg((seconds + 30) / 60);
    QString text = images == total
        ? QCoreApplication::translate("CopyProgress", "Copied %n image(s) (%1) in %2", nullptr,
                                      images)
              .arg(sizeText(bytes), took)
        : QCoreApplication::translate("CopyProgress", "Copied %1 of %n image(s) (%2) in %3",
                                      nullptr, total)
              .arg(images)
              .arg(sizeText(bytes), took);
    if (!failures.isEmpty())
        text += QCoreApplication::translate("CopyProgress", "; %n failed: %1", nullptr,
                                            int(failures.size()))
                    .arg(failures.join(QStringLiteral(", ")));
    return text;
}
