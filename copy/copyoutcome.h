// What became of a copy, in the words both the window and the command line show: one file's
// outcome, a failure as a batch's summary lists it, and why a batch was cut short.
#pragma once

#include "copy/copyerror.h"
#include "copy/copyqueue.h"

#include <QString>

namespace CopyOutcome {

// "a.iso: copied and verified.", "a.iso: copied."
QString copied(const QString &name, bool verified);
// "a.iso: stopped; the discwand keeps what it had."
QString stopped(const QString &name);
// "a.iso: copy failed: The discwand is full."
QString failed(const QString &name, CopyError error);
// "a.iso (The discwand is full.)", one of the failures a batch's summary names.
QString listed(const QString &name, CopyError error);
// Why the files of a batch not yet copied were left.
QString batchStopped(CopyQueue::Stop why);

} // namespace CopyOutcome
