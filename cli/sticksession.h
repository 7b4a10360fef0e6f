// The discwand as a command finds it: one detection pass with the detector the window uses,
// and the message and exit status for a stick that is missing or read-only.
#pragma once

#include "cli/exitstatus.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

class ScsiDriveDetector;

class StickSession
{
    Q_DECLARE_TR_FUNCTIONS(StickSession)
public:
    StickSession();
    ~StickSession();

    ScsiDriveDetector &detector() { return *scanner; }
    // The device root ("/media/stick/"), empty while none was found.
    QString root() const;

    // Looks for the stick once. Done when found; otherwise the status, its message told
    // unless quiet.
    ExitStatus find(bool quiet = false);
    // As find(), and the stick must accept writes.
    ExitStatus findWritable();

    // The messages for a stick that is not there and one that takes no writes (by its switch,
    // or by a mount the system made read-only after errors).
    static ExitStatus missing();
    static ExitStatus readOnly(const ScsiDriveDetector &detector);

private:
    std::unique_ptr<ScsiDriveDetector> scanner;
    bool failed = false;
};
