// Marks a copy as under way for as long as it runs: a lock on its first hidden part that other
// processes, and other opens of the file in this one, can see. The system drops it when the
// process ends, so a lock never outlives its copy and an unlocked part is a real leftover.
// A sweep removes a leftover only while it holds the lock itself, and a copy checks that its
// file is still there once it holds the lock, so a copy that has made its file but not yet
// locked it never loses it to a sweep.
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

    // Makes path when it is missing and locks it (open(), then lock()); false when it cannot be
    // made, another holds the lock or a sweep removed it meanwhile. A volume that knows no locks
    // is written all the same.
    bool take(const QString &path) { return open(path, true) && lock(path); }
    // The lock on a file that is there already, for a sweep to remove it safely; false only when
    // another holds it. A file that is gone needs no lock: true.
    bool claim(const QString &path);
    void release();
    // A copy holds the lock on path, in this process or another.
    static bool isHeld(const QString &path);

    // The two steps of take(), between which a sweep may come.
    bool open(const QString &path, bool create);
    // Locks the file opened, and checks that path still names it.
    bool lock(const QString &path);

private:
    qintptr handle = -1;
};
