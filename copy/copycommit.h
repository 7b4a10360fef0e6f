// How a new copy takes its place on the device. Its parts are written under short hidden names
// that the listing never shows (".discshelf-1a2b3c4d.0", ".1", ...); once they are whole and on
// the device, a small journal names the image they become, and the parts replace the old image
// by renaming over it. Whatever stops a copy before the journal leaves the old image as it was;
// a journal found later, after a crash, is carried out to its end.
#pragma once

#include <QString>
#include <QStringList>

namespace CopyCommit {

// Every name of ours begins so; the listing never shows such names.
extern const QString prefix;

// A base name not in use in dir: prefix and eight hex digits.
QString newBase(const QString &dir);
// The hidden name of part index of the copy with that base.
QString partName(const QString &base, int index);
// The names an image of `parts` parts is stored under: the name itself for one part, else
// name.0, name.1, ...
QStringList finalNames(const QString &name, int parts);
// Files in dir that belong to the image called name: the name itself and every numbered part,
// in any letter case (FAT does not tell them apart).
QStringList imageFiles(const QString &dir, const QString &name);

// Writes and syncs the journal that makes the copy with this base the image called name.
bool writeJournal(const QString &dir, const QString &base, const QString &name, int parts);
// Carries out the journal of base in dir: removes the old image's files that the new one does
// not replace, renames the parts into place and removes the journal. Safe to repeat after a
// crash at any point. A journal naming what the volume cannot hold goes with its parts, and
// the result is false: the copy did not take place.
bool apply(const QString &dir, const QString &base);
// Removes the hidden parts of a copy that never reached its journal.
void discard(const QString &dir, const QString &base);

// Leftovers of ours in dir: the bases of journals not carried out, and of parts without one.
struct Leftovers {
    QStringList journals;
    QStringList orphans;
};
Leftovers find(const QString &dir);

} // namespace CopyCommit
