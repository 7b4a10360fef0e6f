#include "copy/copycommit.h"

#include "copy/fatname.h"
#include "copy/filesync.h"
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
    QStringList found;
    const QString partPrefix = name + QLatin1Char('.');
    for (const QString &entry : namesIn(dir)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0
            || (entry.startsWith(partPrefix, Qt::CaseInsensitive)
                && isDigits(QStringView(entry).mid(partPrefix.size()))))
            found << entry;
    }
    return found;
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

bool apply(const QString &dir, const QString &base)
{
    QFile journal(dir + QLatin1Char('/') + journalName(base));
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = journal.readAll().split('\n');
    journal.close();
    bool ok = false;
    const int parts = lines.value(0).toInt(&ok);
    const QString name = QString::fromUtf8(lines.value(1));
    if (!ok || parts < 1 || name.isEmpty())
        return false;
    // Every repair would fail at the rename again: the copy is given up, the old image kept.
    if (FatName::check(name) != FatName::Problem::None) {
        discard(dir, base);
        QFile::remove(journal.fileName());
        FileSync::syncDirectory(dir);
        return false;
    }

    const QStringList finals = finalNames(name, parts);
    QSet<QString> replaced;
    for (const QString &f : finals)
        replaced.insert(f.toCaseFolded());
    const QString at = dir + QLatin1Char('/');
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
    FileSync::syncDirectory(dir);
    if (!QFile::remove(journal.fileName()))
        return false;
    FileSync::syncDirectory(dir);
    return true;
}

void discard(const QString &dir, const QString &base)
{
    for (const QString &entry : namesIn(dir))
        if (entry.startsWith(base + QLatin1Char('.'))
            && isDigits(QStringView(entry).mid(base.size() + 1)))
            QFile::remove(dir + QLatin1Char('/') + entry);
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
        if (!found.journals.contains(base))
            found.orphans << base;
    found.orphans.sort();
    return found;
}

} // namespace CopyCommit
