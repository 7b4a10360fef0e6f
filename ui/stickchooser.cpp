// The copies under way belong to the stick they were started on, so the choice waits while
// they run, and while they run no other stick takes the place of one that went: the queue must
// find its stick gone, not write the rest of its batch elsewhere. The stick shown stays shown
// when another is plugged in. A drive that comes or goes beside it is looked for at once: the
// list must name the sticks that are there, not those of the last Refresh.
#include "ui/stickchooser.h"

#include "copy/copyprogress.h"
#include "copy/copyqueue.h"
#include "detect/scsidrivedetector.h"
#include "ui/scancycle.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QSettings>
#include <QStorageInfo>
#include <QTimer>

namespace {

const QString settingsKey = QStringLiteral("stick");

} // namespace

StickChooser::StickChooser(QBoxLayout *layout, ScsiDriveDetector *detector, const CopyQueue *copies,
                           ScanCycle *cycle, QObject *parent)
    : QObject(parent)
    , box(new QComboBox)
    , detector(detector)
    , copies(copies)
    , cycle(cycle)
{
    box->setObjectName(QStringLiteral("stickChooser"));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->hide();
    layout->insertWidget(0, box);
    pinned = QSettings().value(settingsKey).toString();
    copiesChanged();
    connect(detector, &ScsiDriveDetector::refreshComplete, this, &StickChooser::refill);
    connect(detector, &ScsiDriveDetector::drivesChanged, this, [this] {
        // The stick shown going away is the scan cycle's own business.
        QTimer::singleShot(0, this, [this] {
            if (!this->detector->drivePath().isEmpty())
                this->detector->forceRefresh();
        });
    });
    connect(box, &QComboBox::activated, this, &StickChooser::choose);
    connect(copies, &CopyQueue::changed, this, &StickChooser::copiesChanged);
}

void StickChooser::refill()
{
    const QList<Discwand> sticks = detector->sticks();
    const QString current = detector->discwand().volume();
    if (!current.isEmpty() && current != pinned) {
        pinned = current;
        follow();
    }
    const QSignalBlocker blocker(box);
    box->clear();
    for (const Discwand &stick : sticks) {
        const QString label = stick.label().isEmpty() ? tr("no label") : stick.label();
        const qint64 size = QStorageInfo(stick.root()).bytesTotal();
        box->addItem(
            size > 0
                ? tr("%1 (%2, serial %3)").arg(label, CopyProgress::sizeText(size), stick.volume())
                : tr("%1 (serial %2)").arg(label, stick.volume()),
            stick.volume());
        if (stick.volume() == current)
            box->setCurrentIndex(box->count() - 1);
    }
    box->setVisible(sticks.size() > 1);
}

void StickChooser::choose(int index)
{
    const QString serial = box->itemData(index).toString();
    if (serial.isEmpty() || serial == detector->discwand().volume())
        return;
    QSettings().setValue(settingsKey, serial);
    pinned = serial;
    follow();
    if (cycle->isReady())
        emit cycle->refreshRequested();
}

bool StickChooser::copying() const
{
    return copies->count() > 0 || !copies->copyingName().isEmpty();
}

void StickChooser::follow()
{
    detector->setWanted(pinned, !copying());
}

void StickChooser::copiesChanged()
{
    const bool busy = copying();
    follow();
    // A batch ended by its stick going: another one plugged in may be shown now.
    if (!busy && detector->drivePath().isEmpty() && !detector->sticks().isEmpty()
        && cycle->isReady())
        emit cycle->refreshRequested();
    box->setEnabled(!busy);
    box->setToolTip(busy ? tr("The copies under way go to this discwand: choose another one "
                              "once they are done.")
                         : tr("Several discwands are plugged in: the one shown below. The "
                              "choice is remembered."));
}
