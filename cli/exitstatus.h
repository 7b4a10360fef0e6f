// The command-line program's exit statuses: what a script branches on. Their meanings are
// printed by --help and listed in the README; a number, once given, keeps its meaning.
#pragma once

enum class ExitStatus {
    Done = 0,
    Failure = 1, // anything below that has no number of its own
    Usage = 2, // the command line is wrong
    NoDiscwand = 3, // none is plugged in, or it went away
    ReadOnly = 4, // the read-only switch is set
    NoRoom = 5, // the stick is full
    NotFound = 6, // a file or image named does not exist
    Refused = 7, // left out: no image, too large, already there, a name the stick can't take
    Problems = 8, // check found problems (with --repair: problems that remain)
    Busy = 9, // a copy is under way on the stick (check), or where a change would reach; ask again
              // once it is done
    NotEjected = 10, // eject wrote everything out but could not unmount: not yet safe to pull
    Unverified = 11, // verify found an image changed since it was recorded, or not recorded yet
    Interrupted = 130, // Ctrl+C (128 + SIGINT); a stop request (SIGTERM) gives 143
};

inline int code(ExitStatus status)
{
    return int(status);
}
