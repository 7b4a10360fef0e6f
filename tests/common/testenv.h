// Puts a test process in a sandbox: its own settings location and the application identity
// that main() gives, so windows built by tests behave as in the real program.
#pragma once

#include <QAbstractState>
#include <QCoreApplication>
#include <QSet>
#include <QStandardPaths>
#include <QStateMachine>
#include <QString>

namespace TestEnv {

// Call from initTestCase(): settings go to a private temporary folder, never the user's.
void isolate();

// Runs the event loop until the cycle rests in readyState (or the timeout passes).
bool waitForReady(const QStateMachine &machine, int timeoutMs = 5000);

// Writes the volume descriptors of a bootable ISO 9660 image (primary, El Torito boot record,
// terminator) over bytes, which must hold at least 19 sectors of 2048 bytes.
void stampBootable(QByteArray &bytes);
// A small file holding just those descriptors: an image that boots, as far as a drop can tell.
bool writeBootable(const QString &path);

} // namespace TestEnv
