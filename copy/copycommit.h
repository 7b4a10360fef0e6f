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
// not replace, renames the parts into place and removes the journal. Resuming after a crash at
// any point, parts already renamed are passed over; otherwise every part must be there, and a
// copy with one missing is discarded, the old image untouched.
bool apply(const QString &dir, const QString &base, bool resuming = false);
// Sees a leftover journal through: applied when it can be, and when it cannot be read (torn,
// empty, a part count no copy makes, a name leaving its folder or one FAT cannot hold) the
// copy never committed and its parts and journal go. True when nothing of base is left.
bool settle(const QString &dir, const QString &base);
// Removes the hidden parts of a copy that never reached its journal, holding its lock meanwhile;
// false, removing nothing, when a copy under way holds it (the copy itself releases it first).
bool discard(const QString &dir, const QString &base);
// The copy with this base is running now, in this process or another.
bool isBusy(const QString &dir, const QString &base);

// Leftovers of ours in dir: the bases of journals not carried out, and of parts without one.
// Copies under way are no leftovers and are told apart.
struct Leftovers {
    QStringList journals;
    QStringList orphans;
    QStringList busy;
};
Leftovers find(const QString &dir);

} // namespace CopyCommit
