// Each stick's finder is refreshed with the window's, so that a stick plugged back in takes
// copies again and a failed copy's leftovers are tidied; a stick pulled out is found gone by
// its own finder alone, whichever stick is shown.
#include "ui/stickcopies.h"

#include "detect/constants.h"
#include "detect/scsidrivedetector.h"

StickCopies::StickCopies(const ScsiDriveDetector *shownFinder, QObject *parent)
    : QObject(parent)
    , finder(shownFinder)
{
    connect(finder, &ScsiDriveDetector::refreshComplete, this, &StickCopies::follow);
    connect(finder, &ScsiDriveDetector::driveDisappeared, this, [this] { show(nullptr, {}); });
}

CopyQueue *StickCopies::queueFor(const QString &serial)
{
    if (serial.isEmpty())
        return nullptr;
    if (const auto it = sticks.constFind(serial); it != sticks.constEnd())
        return it->queue;
    auto *own = new ScsiDriveDetector(Discshelf::vendorName, Discshelf::productName, nullptr);
    own->setWanted(serial);
    own->forceRefresh();
    auto *queue = new CopyQueue(own, this);
    // Gone after the queue's own end, which waits for its copy thread.
    own->setParent(queue);
    queue->setVerify(verify);
    sticks.insert(serial, { own, queue });

    const auto whileShown = [this, queue](auto signal) {
        return [this, queue, signal](auto... args) {
            if (queue == shown)
                emit(this->*signal)(args...);
        };
    };
    connect(queue, &CopyQueue::fileStarted, this, whileShown(&StickCopies::fileStarted));
    connect(queue, &CopyQueue::progressUpdate, this, whileShown(&StickCopies::progressUpdate));
    connect(queue, &CopyQueue::transferred, this, whileShown(&StickCopies::transferred));
    connect(queue, &CopyQueue::verifyProgress, this, whileShown(&StickCopies::verifyProgress));
    connect(queue, &CopyQueue::batchProgress, this, whileShown(&StickCopies::batchProgress));
    connect(queue, &CopyQueue::batchCopied, this, whileShown(&StickCopies::batchCopied));
    connect(queue, &CopyQueue::finished, this, whileShown(&StickCopies::finished));
    connect(queue, &CopyQueue::changed, this, whileShown(&StickCopies::changed));
    connect(queue, &CopyQueue::note, this, whileShown(&StickCopies::note));
    connect(queue, &CopyQueue::startFileCopy, this, &StickCopies::startFileCopy);
    connect(queue, &CopyQueue::stopped, this, &StickCopies::stopped);
    connect(queue, &CopyQueue::failed, this,
            [this, queue](CopyError error) {
                emit failed(error, queue->copyingName(), queue->failureText(error));
            });
    return queue;
}

bool StickCopies::isPresent(const QString &serial) const
{
    const auto it = sticks.constFind(serial);
    return it != sticks.constEnd() && it->finder->isPresent();
}

void StickCopies::follow()
{
    for (const Discwand &stick : finder->sticks()) {
        const auto it = sticks.constFind(stick.volume());
        // One that was away, or moved to another mount point, is looked for again; one that
        // is there already keeps its finder as it is while it copies.
        if (it == sticks.constEnd())
            queueFor(stick.volume());
        else if (it->finder->drivePath() != stick.root() || it->queue->isIdle())
            it->finder->forceRefresh();
    }
    const QString serial = finder->discwand().volume();
    show(queueFor(serial), serial);
}

void StickCopies::show(CopyQueue *queue, const QString &serial)
{
    if (queue == shown)
        return;
    shown = queue;
    shownSerial = serial;
    emit shownChanged();
    emit changed();
}

void StickCopies::cancelCurrent()
{
    if (shown)
        shown->cancelCurrent();
}

void StickCopies::cancelAll()
{
    if (shown)
        shown->cancelAll();
}

QString StickCopies::anyCopying() const
{
    for (const Stick &stick : sticks)
        if (!stick.queue->copyingName().isEmpty())
            return stick.queue->copyingName();
    return {};
}

void StickCopies::setVerify(bool on)
{
    verify = on;
    for (const Stick &stick : sticks)
        stick.queue->setVerify(on);
}

bool StickCopies::shutDown(int quietMs)
{
    bool all = true;
    for (const Stick &stick : sticks)
        all = stick.queue->shutDown(quietMs) && all;
    return all;
}
