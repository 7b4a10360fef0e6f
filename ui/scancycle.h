// The scan cycle: locate the device, check its selector program, list its images, then rest
// until Refresh or a device event starts it again. The window does the work of each step when
// its state is entered and says when the step is over.
#pragma once

#include <QObject>
#include <QState>
#include <QStateMachine>

class ScsiDriveDetector;

class ScanCycle : public QObject
{
    Q_OBJECT
public:
    explicit ScanCycle(const ScsiDriveDetector *detector, QObject *parent = nullptr);

    void start() { machine.start(); }
    const QStateMachine &stateMachine() const { return machine; }
    bool isReady() const { return machine.configuration().contains(readyState); }

    QState *const readyState;
    QState *const busyState;
    QState *const locatingState;
    QState *const checkingState;
    QState *const listingState;

signals:
    // What moves the cycle on besides the detector.
    void refreshRequested();
    void selectorChecked();
    void listed();

private:
    // Declared after the states it owns, so that it is destroyed before the pointers go stale.
    QStateMachine machine;
};
