#include "ui/scancycle.h"

#include "detect/scsidrivedetector.h"

namespace {

QState *named(QState *state, const char *name)
{
    state->setObjectName(QLatin1String(name));
    return state;
}

} // namespace

ScanCycle::ScanCycle(const ScsiDriveDetector *detector, QObject *parent)
    : QObject(parent)
    , readyState(named(new QState, "readyState"))
    , busyState(named(new QState, "busyState"))
    , locatingState(named(new QState(busyState), "locatingState"))
    , checkingState(named(new QState(busyState), "checkingState"))
    , listingState(named(new QState(busyState), "listingState"))
{
    busyState->setInitialState(locatingState);
    machine.addState(readyState);
    machine.addState(busyState);
    machine.setInitialState(busyState);

    readyState->addTransition(this, &ScanCycle::refreshRequested, busyState);
    readyState->addTransition(detector, &ScsiDriveDetector::driveDisappeared, busyState);
    busyState->addTransition(detector, &ScsiDriveDetector::driveDisappeared, busyState);
    readyState->addTransition(detector, &ScsiDriveDetector::youShouldRefreshNow, busyState);
    locatingState->addTransition(detector, &ScsiDriveDetector::refreshComplete, checkingState);
    checkingState->addTransition(this, &ScanCycle::selectorChecked, listingState);
    listingState->addTransition(this, &ScanCycle::listed, readyState);
    // A pass that could not query the system must not leave the cycle stuck with Refresh hidden.
    locatingState->addTransition(detector, &ScsiDriveDetector::refreshFailed, readyState);
}
