// What became of a copy, in the words both the window and the command line show: one file's
// outcome, a failure as a batch's summary lists it, and why a batch was cut short.
#pragma once

#include "copy/copyerror.h"
#include "copy/copyqueue.h"

#include <QString>

namespace CopyOutcome {

// "a.iso: copied and verified.", "a.iso: copied."; with a match told ("matches SHA256SUMS"),
// "a.iso: copied and verified; matches SHA256SUMS."
QString copied(const QString &name, bool verified, const QString &matches = QString());
// "a.iso: stopped; the discwand keeps what it had."
QString stopped(const QString &name);
// "a.iso: copy failed: The discwand is full."
// sums: the checksum file a checksum failure is about.
QString failed(const QString &name, CopyError error, const QString &sums = QString());
// "a.iso (The discwand is full.)", one of the failures a batch's summary names.
QString listed(const QString &name, CopyError error, const QString &sums = QString());
// The same with the words for the failure given ("a.iso (The server answered 404.)").
QString listed(const QString &name, const QString &why);
// Why the files of a batch not yet copied were left.
QString batchStopped(CopyQueue::Stop why);

} // namespace CopyOutcome
