// The stick at a glance: where it is, its volume's label and file system, how large and how full
// it is, whether it is read-only and why (its switch, or a mount the system made read-only after
// finding errors), which image it boots, whether its selector program is there.
#pragma once

#include <QString>

class Discwand;
class ScsiDriveDetector;

struct StickStatus {
    bool present = false;
    QString root;         // the device root, ending in "/"
    QString label;
    QString fileSystem;
    qint64 capacity = 0;  // bytes; 0 where the volume does not tell
    qint64 freeBytes = 0; // what a copy may fill
    bool readOnly = false;
    bool mountReadOnly = false; // read-only by its mount, not by the switch: errors found
    QString bootImage;    // as config/iso_filename.txt names it; "" when it names none
    bool selectorPresent = false;

    static StickStatus read(const Discwand &stick);
    // The detector's current stick.
    static StickStatus read(const ScsiDriveDetector &detector);
    // What config/iso_filename.txt below root names (one byte per character), "" without one.
    static QString readBootImage(const QString &root);
};
