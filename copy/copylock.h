// Marks a copy as under way for as long as it runs: a lock on its first hidden part that other
// processes, and other opens of the file in this one, can see. The system drops it when the
// process ends, so a lock never outlives its copy and an unlocked part is a real leftover.
#pragma once

#include <QString>
#include <QtGlobal>

class CopyLock
{
public:
    CopyLock() = default;
    ~CopyLock() { release(); }
    CopyLock(const CopyLock &) = delete;
    CopyLock &operator=(const CopyLock &) = delete;

    // Makes path when it is missing and locks it; false when it cannot be made or another holds
    // the lock. A volume that knows no locks is written all the same.
    bool take(const QString &path);
    void release();
    // A copy holds the lock on path, in this process or another.
    static bool isHeld(const QString &path);

private:
    qintptr handle = -1;
};
