// The copies under way belong to the stick they were started on and follow it with a finder of
// their own, so the choice is free while they run, and another stick takes the place of one
// that went. The stick shown stays shown when another is plugged in. A drive that comes or goes
// beside it is looked for at once: the list must name the sticks that are there, not those of
// the last Refresh.
#include "ui/stickchooser.h"

#include "copy/copyprogress.h"
#include "detect/scsidrivedetector.h"
#include "detect/volumeroom.h"
#include "ui/scancycle.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QSettings>
#include <QTimer>

namespace {

const QString settingsKey = QStringLiteral("stick");

} // namespace

StickChooser::StickChooser(QBoxLayout *layout, ScsiDriveDetector *detector, ScanCycle *cycle,
                           QObject *parent)
    : QObject(parent)
    , box(new QComboBox)
    , detector(detector)
    , cycle(cycle)
{
    box->setObjectName(QStringLiteral("stickChooser"));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->hide();
    layout->insertWidget(0, box);
    box->setToolTip(tr("Several discwands are plugged in: the one shown below. The choice is "
                       "remembered."));
    pinned = QSettings().value(settingsKey).toString();
    follow();
    connect(detector, &ScsiDriveDetector::refreshComplete, this, &StickChooser::refill);
    connect(detector, &ScsiDriveDetector::drivesChanged, this, [this] {
        // The stick shown going away is the scan cycle's own business.
        QTimer::singleShot(0, this, [this] {
            if (!this->detector->drivePath().isEmpty())
                this->detector->forceRefresh();
        });
    });
    connect(box, &QComboBox::activated, this, &StickChooser::choose);
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
        // As the stick line tells it: counted in the FAT where the system knows no size.
        const qint64 size = stick.room().capacity;
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

void StickChooser::follow()
{
    detector->setWanted(pinned, true);
}
