#include "copy/copycommit.h"

#include "copy/copylock.h"
#include "copy/fatname.h"
#include "copy/filesync.h"
#include "copy/imageset.h"
#include "copy/log.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

namespace CopyCommit {

const QString prefix = QStringLiteral(".discshelf-");

namespace {

const QString journalSuffix = QStringLiteral(".commit");

QString journalName(const QString &base)
{
    return base + journalSuffix;
}

bool isDigits(QStringView text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QStringList namesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// The journal's part count and image name; false for anything no copy of ours writes.
bool readJournal(const QString &path, int *parts, QString *name)
{
    QFile journal(path);
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = journal.read(4096).split('\n');
    bool ok = false;
    *parts = lines.value(0).toInt(&ok);
    *name = QString::fromUtf8(lines.value(1));
    // A name FAT refuses would fail at every rename: such a journal is as good as none.
    return ok && *parts >= 1 && *parts <= ImageSet::maxParts
        && FatName::check(*name) == FatName::Problem::None && !name->startsWith(prefix);
}

void removeParts(const QString &dir, const QString &base)
{
    for (const QString &entry : namesIn(dir))
        if (entry.startsWith(base + QLatin1Char('.'))
            && isDigits(QStringView(entry).mid(base.size() + 1)))
            QFile::remove(dir + QLatin1Char('/') + entry);
}

} // namespace

QString newBase(const QString &dir)
{
    const QStringList taken = namesIn(dir);
    for (;;) {
        const QString base
            = prefix + QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, u'0');
        if (std::none_of(taken.begin(), taken.end(),
                         [&](const QString &name) { return name.startsWith(base, Qt::CaseInsensitive); }))
            return base;
    }
}

QString partName(const QString &base, int index)
{
    return base + QLatin1Char('.') + QString::number(index);
}

QStringList finalNames(const QString &name, int parts)
{
    if (parts == 1)
        return { name };
    QStringList names;
    for (int i = 0; i < parts; ++i)
        names << name + QLatin1Char('.') + QString::number(i);
    return names;
}

QStringList imageFiles(const QString &dir, const QString &name)
{
    return ImageSet::read(dir, name).files();
}

bool writeJournal(const QString &dir, const QString &base, const QString &name, int parts)
{
    QFile journal(dir + QLatin1Char('/') + journalName(base));
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = QByteArray::number(parts) + '\n' + name.toUtf8() + '\n';
    const bool written = journal.write(text) == text.size() && journal.flush()
        && FileSync::syncFile(journal);
    journal.close();
    if (written)
        FileSync::syncDirectory(dir);
    else
        journal.remove();
    return written;
}

bool apply(const QString &dir, const QString &base, bool resuming)
{
    const QString journalPath = dir + QLatin1Char('/') + journalName(base);
    int parts = 0;
    QString name;
    if (!readJournal(journalPath, &parts, &name))
        return false;
    const QString at = dir + QLatin1Char('/');
    // A part gone before anything moved means the copy is not whole: it must not take the old
    // image's place.
    for (int i = 0; i < parts && !resuming; ++i) {
        if (!QFile::exists(at + partName(base, i))) {
            qCWarning(lcCopy) << "A part of the copy" << base << "is missing; it is discarded.";
            // Only the copy itself applies a journal afresh, and it holds the parts' lock.
            removeParts(dir, base);
            QFile::remove(journalPath);
            return false;
        }
    }

    const QStringList finals = finalNames(name, parts);
    QSet<QString> replaced;
    for (const QString &f : finals)
        replaced.insert(f.toCaseFolded());
    // Old files that no new part takes the place of go first; the rest are replaced in one
    // rename each, so every name holds a whole file at every moment.
    for (const QString &old : imageFiles(dir, name))
        if (!replaced.contains(old.toCaseFolded()) && !QFile::remove(at + old))
            return false;
    for (int i = 0; i < parts; ++i) {
        const QString part = at + partName(base, i);
        if (QFile::exists(part) && !FileSync::replace(part, at + finals.at(i)))
            return false;
    }
    // The parts under their new names before the journal goes: until then a crash can still
    // redo the renames, afterwards nothing could.
    if (!FileSync::settle(dir, finals))
        return false;
    if (!QFile::remove(journalPath))
        return false;
    return FileSync::settle(dir, {});
}

bool settle(const QString &dir, const QString &base)
{
    const QString journalPath = dir + QLatin1Char('/') + journalName(base);
    int parts = 0;
    QString name;
    if (readJournal(journalPath, &parts, &name))
        return apply(dir, base, true);
    qCWarning(lcCopy) << "The journal" << journalPath
                      << "cannot be carried out; the copy is discarded.";
    discard(dir, base);
    return (QFile::remove(journalPath) || !QFile::exists(journalPath))
        && !QFile::exists(dir + QLatin1Char('/') + partName(base, 0));
}

bool isBusy(const QString &dir, const QString &base)
{
    return CopyLock::isHeld(dir + QLatin1Char('/') + partName(base, 0));
}

bool discard(const QString &dir, const QString &base)
{
    // Held while the parts go: a copy that made its first part but has not locked it yet finds
    // it gone once it does, and starts afresh.
    CopyLock guard;
    if (!guard.claim(dir + QLatin1Char('/') + partName(base, 0)))
        return false;
    removeParts(dir, base);
    return true;
}

Leftovers find(const QString &dir)
{
    Leftovers found;
    QSet<QString> bases;
    for (const QString &entry : namesIn(dir)) {
        if (!entry.startsWith(prefix))
            continue;
        const QString base = entry.section(QLatin1Char('.'), 0, 1);
        if (entry == journalName(base))
            found.journals << base;
        else
            bases.insert(base);
    }
    for (const QString &base : std::as_const(bases))
        if (isBusy(dir, base))
            found.busy << base;
        else if (!found.journals.contains(base))
            found.orphans << base;
    for (const QString &base : std::as_const(found.busy))
        found.journals.removeAll(base);
    found.orphans.sort();
    found.busy.sort();
    return found;
}

} // namespace CopyCommit
