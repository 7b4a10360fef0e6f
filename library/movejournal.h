// Renames on the stick that stand or fall together: every file of a split image, a folder, and
// the boot choice that follows them. A journal in the stick's top folder names each rename
// and the new boot choice before anything moves; a move stopped part way (a pull, a kill) is
// finished from it by the stick check, and one that fails while it runs is undone.
#pragma once

#include <QList>
#include <QString>

class MoveJournal
{
public:
    struct Step
    {
        QString from; // from the device root: "/linux/big.iso.0", "/linux"
        QString to;
    };
    QList<Step> steps;
    QString boot; // the boot choice once the steps are done; "" when it stays

    // Journals begin so and live in the device root, where the listing finds them as leftovers:
    // the prefix and eight hex digits. A move that changes only the letter case of a name goes
    // through a passing name, the journal's own name and "-" and a number, so that no driver
    // takes the new name for the old one.
    static const QString prefix;
    static bool isJournal(const QString &name);
    // A journal, or a passing name of a move.
    static bool isMoveName(const QString &name) { return name.startsWith(prefix); }
    static QString passingName(const QString &journalPath, int index);
    // A move is carrying the journal at path out now, in this process or another.
    static bool isBusy(const QString &path);

    // Writes the journal, renames, writes the boot choice and removes the journal. False with
    // everything as it was when a rename fails (the renames done are undone; should that fail
    // too, the journal stays for the stick check to finish the move).
    bool run(const QString &root) const;
    // The steps of run(): a journal path not in use below root, and the journal written
    // there and synced (the move is then bound to happen).
    static QString newPath(const QString &root);
    bool write(const QString &path) const;
    // The journal the steps will be written to; run() takes a new one when it is empty.
    QString path;
    // Finishes the move the journal at journalPath (below root) names; a journal that cannot
    // be read was never written whole, so nothing moved and it goes. True once it is gone.
    static bool settle(const QString &root, const QString &journalPath);
    // Settles every journal in root; true when none is left.
    static bool settleAll(const QString &root);
    // What the journal at journalPath names, lower-cased: each step's old and new path and the
    // boot choice. Until it is settled these look broken or missing, and are the journal's.
    static QStringList touched(const QString &journalPath);

private:
    QByteArray text() const;
    static bool read(const QByteArray &text, MoveJournal *journal);
    bool finish(const QString &root, const QString &journalPath) const;
};
