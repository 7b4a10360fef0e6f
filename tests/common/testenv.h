// Puts a test process in a sandbox: its own settings location and the application identity
// that main() gives, so windows built by tests behave as in the real program.
#pragma once

#include <QAbstractState>
#include <QCoreApplication>
#include <QDir>
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
// Bytes that a shifted, repeated or truncated copy would not reproduce.
QByteArray randomBytes(int size, quint32 seed = 1);
// Writes a file, making its folders; reads one back ("<none>" when it cannot be read).
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// What lies below dir, relative to it and sorted (every file and folder, hidden ones too).
QStringList entriesBelow(const QString &dir,
                         QDir::Filters filters = QDir::AllEntries | QDir::Hidden | QDir::System);

// A small file holding just those descriptors: an image that boots, as far as a drop can tell.
bool writeBootable(const QString &path);

} // namespace TestEnv
