#include "library/movejournal.h"

#include "copy/copycommit.h"
#include "copy/copylock.h"
#include "copy/fatname.h"
#include "copy/filesync.h"
#include "detect/discwand.h"
#include "library/imagechoice.h"
#include "library/log.h"
#include "library/stickchanges.h"
#include "library/stickstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

// Spelt out: another file's string may not be made yet while this one is.
const QString MoveJournal::prefix = QStringLiteral(".discshelf-move-");

namespace {

const QByteArray header = "discshelf move";
const QByteArray footer = "end";

QString folderOf(const QString &path)
{
    return path.section(QLatin1Char('/'), 0, -2);
}

// A path a move of ours could name: on the stick, every name one FAT holds, not the config folder.
bool isMovable(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')) || !Discwand::isStickPath(path))
        return false;
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return !names.isEmpty()
        && names.first().compare(QLatin1String("config"), Qt::CaseInsensitive) != 0
        && std::all_of(names.begin(), names.end(), [](const QString &name) {
               return FatName::check(name) == FatName::Problem::None;
           });
}

// The same entry under another letter case, as FAT renames one in place.
bool sameEntry(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString at(const QString &root, const QString &path)
{
    return QDir::cleanPath(root + path);
}

// One step: a rename, a folder made (no from) or an empty folder removed (no to).
bool rename(const QString &root, const QString &from, const QString &to)
{
    if (from.isEmpty())
        return QFileInfo(at(root, to)).isDir() || QDir().mkdir(at(root, to));
    if (to.isEmpty())
        return !QFileInfo::exists(at(root, from)) || QDir().rmdir(at(root, from));
    // Never over something else: a name taken since the move was planned stops it.
    if (!sameEntry(from, to) && QFileInfo::exists(at(root, to)))
        return false;
    return FileSync::replace(at(root, from), at(root, to));
}

bool settleFolders(const QString &root, const QList<MoveJournal::Step> &steps, bool back)
{
    QSet<QString> done;
    bool settled = true;
    // Folders made and removed are settled with the top folder, once the journal goes.
    for (const MoveJournal::Step &step : steps) {
        if (step.from.isEmpty() || step.to.isEmpty())
            continue;
        const QString to = back ? step.from : step.to;
        const QString dir = folderOf(to);
        if (done.contains(dir))
            continue;
        done.insert(dir);
        QStringList names;
        for (const MoveJournal::Step &other : steps)
            if (!other.from.isEmpty() && !other.to.isEmpty()
                && folderOf(back ? other.from : other.to) == dir)
                names << (back ? other.from : other.to).section(QLatin1Char('/'), -1);
        settled = FileSync::settle(at(root, dir), names) && settled;
    }
    return settled;
}

} // namespace

bool MoveJournal::isJournal(const QString &name)
{
    const QStringView digits = QStringView(name).mid(prefix.size());
    return name.startsWith(prefix) && digits.size() == 8
        && std::all_of(digits.begin(), digits.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

QString MoveJournal::passingName(const QString &journalPath, int index)
{
    return journalPath.section(QLatin1Char('/'), -1) + QLatin1Char('-') + QString::number(index);
}

bool MoveJournal::settleAll(const QString &root)
{
    bool settled = true;
    const QStringList names = QDir(root).entryList({ prefix + QLatin1Char('*') },
                                                   QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        if (isJournal(name))
            settled = settle(root, root + name) && settled;
    return settled;
}

bool MoveJournal::isBusy(const QString &path)
{
    return CopyLock::isHeld(path);
}

QByteArray MoveJournal::text() const
{
    QByteArray out = header + '\n' + boot.toUtf8() + '\n';
    for (const Step &step : steps)
        out += step.from.toUtf8() + '\t' + step.to.toUtf8() + '\n';
    return out + footer + '\n';
}

bool MoveJournal::read(const QByteArray &text, MoveJournal *journal)
{
    QList<QByteArray> lines = text.split('\n');
    // Torn anywhere, the footer is missing: such a journal was never synced whole.
    if (lines.size() < 4 || lines.first() != header || lines.takeLast() != QByteArray()
        || lines.takeLast() != footer)
        return false;
    journal->boot = QString::fromUtf8(lines.at(1));
    if (!journal->boot.isEmpty() && !isMovable(journal->boot))
        return false;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> pair = lines.at(i).split('\t');
        if (pair.size() != 2)
            return false;
        const Step step { QString::fromUtf8(pair.at(0)), QString::fromUtf8(pair.at(1)) };
        if ((!step.from.isEmpty() && !isMovable(step.from))
            || (!step.to.isEmpty() && !isMovable(step.to))
            || (step.from.isEmpty() && step.to.isEmpty()))
            return false;
        journal->steps << step;
    }
    return !journal->steps.isEmpty();
}

QString MoveJournal::newPath(const QString &root)
{
    return root + prefix + CopyCommit::newBase(root).mid(CopyCommit::prefix.size());
}

bool MoveJournal::write(const QString &path) const
{
    QFile journal(path);
    const QByteArray bytes = text();
    const bool written = journal.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && journal.write(bytes) == bytes.size() && journal.flush() && FileSync::syncFile(journal);
    journal.close();
    if (written)
        FileSync::syncDirectory(QFileInfo(path).path());
    return written;
}

bool MoveJournal::run(const QString &root) const
{
    const QString journalPath = path.isEmpty() ? newPath(root) : path;
    // Locked before it has any content: a stick check meanwhile passes it over.
    CopyLock lock;
    if (!lock.take(journalPath))
        return false;
    if (!write(journalPath)) {
        lock.release();
        QFile::remove(journalPath);
        return false;
    }
    // Undone in reverse should a rename fail: the user keeps the names they had.
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (rename(root, steps.at(i).from, steps.at(i).to))
            continue;
        qCWarning(lcLibrary) << "Could not move" << steps.at(i).from << "to" << steps.at(i).to;
        bool undone = true;
        for (qsizetype j = i - 1; j >= 0; --j)
            undone = rename(root, steps.at(j).to, steps.at(j).from) && undone;
        undone = settleFolders(root, steps.mid(0, i), true) && undone;
        lock.release();
        if (undone)
            QFile::remove(journalPath);
        return false;
    }
    // Closed before the journal goes: the kernel's vfat frees a removed file's cluster only when
    // its last handle closes, and then leaves the volume's count of free clusters one short.
    lock.release();
    return finish(root, journalPath);
}

bool MoveJournal::finish(const QString &root, const QString &journalPath) const
{
    // The files under their new names before the choice names them and the journal goes.
    if (!settleFolders(root, steps, false))
        return false;
    if (!boot.isEmpty() && ImageChoice::write(root, boot) != ImageChoice::Result::Written)
        return false;
    QList<StickChanges::Change> changes;
    for (const Step &step : steps) {
        if (step.from.isEmpty() || step.to.isEmpty())
            continue;
        // A file that passed through a name of ours is told as one move, from first to last.
        const auto passed = std::find_if(changes.begin(), changes.end(), [&](const auto &change) {
            return change.to == step.from;
        });
        if (passed != changes.end())
            passed->to = step.to;
        else
            changes.append({ StickChanges::Change::Kind::Moved, step.from, step.to });
    }
    // The record follows before the journal goes: a stop in between is finished again by the
    // stick check, and the record never names where an image no longer is for long.
    StickChanges::committed(root, changes);
    if (!QFile::remove(journalPath) || !FileSync::settle(root, {}))
        return false;
    return true;
}

bool MoveJournal::settle(const QString &root, const QString &journalPath)
{
    if (isBusy(journalPath))
        return false;
    QFile file(journalPath);
    MoveJournal journal;
    if (!file.open(QIODevice::ReadOnly) || !read(file.read(1 << 20), &journal)) {
        qCWarning(lcLibrary) << "The move journal" << journalPath
                             << "was never written whole; nothing moved.";
        file.close();
        return QFile::remove(journalPath) || !QFileInfo::exists(journalPath);
    }
    file.close();
    for (const Step &step : std::as_const(journal.steps)) {
        if (step.from.isEmpty() || step.to.isEmpty()) {
            if (!rename(root, step.from, step.to))
                return false;
            continue;
        }
        // Renamed before the stop: passed over.
        if (!QFileInfo::exists(at(root, step.from)))
            continue;
        if (!QFileInfo::exists(at(root, step.to)) || sameEntry(step.from, step.to)) {
            if (!rename(root, step.from, step.to))
                return false;
        } else {
            qCWarning(lcLibrary) << "Both" << step.from << "and" << step.to
                                 << "are there; the move is left for people to settle.";
            return false;
        }
    }
    // The boot choice follows only where it still names what moved; a choice made since stays.
    if (!journal.boot.isEmpty()) {
        const QString now = StickStatus::readBootImage(root);
        bool follows = sameEntry(now, journal.boot);
        for (const Step &step : std::as_const(journal.steps))
            follows = follows || sameEntry(now, ImageChoice::bootName(step.from))
                || now.startsWith(step.from + QLatin1Char('/'), Qt::CaseInsensitive);
        if (!follows)
            journal.boot.clear();
    }
    return journal.finish(root, journalPath);
}

QStringList MoveJournal::touched(const QString &journalPath)
{
    QFile file(journalPath);
    MoveJournal journal;
    if (!file.open(QIODevice::ReadOnly) || !read(file.read(1 << 20), &journal))
        return {};
    QStringList paths { journal.boot.toCaseFolded() };
    for (const Step &step : std::as_const(journal.steps))
        for (const QString &path : { step.from, step.to })
            if (!path.isEmpty())
                paths << path.toCaseFolded() << ImageChoice::bootName(path).toCaseFolded();
    return paths;
}
