// The discwand as a command finds it: one detection pass with the detector the window uses,
// and the message and exit status for a stick that is missing or read-only.
#pragma once

#include "cli/exitstatus.h"
#include "detect/discwand.h"

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
    // The stick found; null while there is none.
    Discwand discwand() const;
    // The device root ("/media/stick/"), empty while none was found.
    QString root() const;

    // The stick the commands of this run work on (--stick): serial, mount point or label.
    static void setWanted(const QString &stick);
    static bool isNamed() { return !wanted.isEmpty(); }

    // Looks for the stick once. Done when found; otherwise the status, its message told
    // unless quiet. With several sticks plugged in and none named, none is taken (a usage
    // error naming them) unless several are welcome; then the first is the current one.
    ExitStatus find(bool quiet = false, bool several = false);
    // Makes the stick called so the current one, by another detection pass.
    bool take(const QString &stick);
    // As find(), and the stick must accept writes.
    ExitStatus findWritable();

    // The write guard, before every write: Done, or the message and status of a stick that is
    // gone or read-only.
    ExitStatus guard();

    // The messages for a stick that is not there and one that takes no writes (by its switch,
    // or by a mount the system made read-only after errors).
    static ExitStatus missing();
    static ExitStatus readOnly(const Discwand &stick);

private:
    // "/media/a (LABEL, serial 8:17)" for each stick found, one a line.
    QString candidates() const;

    static QString wanted;
    std::unique_ptr<ScsiDriveDetector> scanner;
    bool failed = false;
};
