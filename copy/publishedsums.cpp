// Lines that are no checksum (comments, the armour of a signed file, "Hash: SHA256") are passed
// over; a checksum file is a few kilobytes, and anything far larger is no checksum file.
#include "copy/publishedsums.h"

#include "copy/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace PublishedSums {

namespace {

constexpr qint64 largest = 4 << 20;

bool isHex(QByteArrayView text)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return !text.isEmpty();
}

// The kind a hash of this many hex digits is; false for any other length.
bool kindOfLength(qsizetype digits, PublishedSum::Kind *kind)
{
    if (digits == 64)
        *kind = PublishedSum::Kind::Sha256;
    else if (digits == 128)
        *kind = PublishedSum::Kind::Sha512;
    else
        return false;
    return true;
}

// A listed name is the image when its last component is: "./a.iso" and "iso/a.iso" name it.
bool names(QString listed, const QString &name)
{
    listed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return listed.section(QLatin1Char('/'), -1) == name;
}

// Adds one listing of the image to what is known; a second, different one of the same kind
// is a conflict. A SHA-256 beats a SHA-512, since the copy computes it anyway.
void merge(PublishedSum &into, const PublishedSum &found)
{
    if (into.state == PublishedSum::State::Unreadable
        || into.state == PublishedSum::State::Conflicting || !found.isListed())
        return;
    if (!into.isListed()) {
        into = found;
    } else if (into.kind == found.kind) {
        if (into.digest != found.digest) {
            into.state = PublishedSum::State::Conflicting;
            if (into.file != found.file)
                into.file += QStringLiteral(", ") + found.file;
        }
    } else if (found.kind == PublishedSum::Kind::Sha256) {
        into = found;
    }
}

PublishedSum readFile(const QString &path, const QString &name, const QString &shown,
                      bool namedAfterImage)
{
    QFile file(path);
    PublishedSum trouble;
    trouble.state = PublishedSum::State::Unreadable;
    trouble.file = shown;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcCopy) << "The checksum file" << path << "cannot be read.";
        return trouble;
    }
    const QByteArray text = file.read(largest);
    if (file.error() != QFileDevice::NoError)
        return trouble;
    return read(text, name, shown, namedAfterImage);
}

} // namespace

QStringList candidates(const QString &dir, const QString &name)
{
    QStringList found;
    const QStringList fixed { QStringLiteral("SHA256SUMS"),        QStringLiteral("SHA256SUMS.txt"),
                              QStringLiteral("sha256sum.txt"),     name + QStringLiteral(".sha256"),
                              name + QStringLiteral(".sha256sum"), QStringLiteral("SHA512SUMS"),
                              name + QStringLiteral(".sha512"),    QStringLiteral("CHECKSUM") };
    const QDir at(dir);
    for (const QString &candidate : fixed)
        if (QFileInfo::exists(at.filePath(candidate)))
            found << candidate;
    // Fedora names its file after the release: Fedora-Workstation-39-1.5-x86_64-CHECKSUM.
    const QStringList named
        = at.entryList({ QStringLiteral("*.CHECKSUM"), QStringLiteral("*-CHECKSUM") },
                       QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &candidate : named)
        if (!found.contains(candidate))
            found << candidate;
    return found;
}

PublishedSum read(const QByteArray &text, const QString &name, const QString &file,
                  bool namedAfterImage)
{
    // BSD: "SHA256 (a.iso) = 3f0e..."; GNU: "3f0e...  a.iso", "3f0e... *a.iso".
    static const QRegularExpression bsd(
        QStringLiteral("^(SHA2?-?(256|512)) ?\\((.*)\\) ?= ?([0-9a-fA-F]+)$"));
    PublishedSum result;
    for (QByteArray line : text.split('\n')) {
        while (line.endsWith('\r') || line.endsWith(' ') || line.endsWith('\t'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        PublishedSum found;
        found.state = PublishedSum::State::Listed;
        found.file = file;
        QByteArray hex;
        if (const QRegularExpressionMatch m = bsd.match(QString::fromUtf8(line)); m.hasMatch()) {
            if (!names(m.captured(3), name))
                continue;
            hex = m.captured(4).toLatin1();
            const bool wide = m.captured(2) == QLatin1String("512");
            if (!kindOfLength(hex.size(), &found.kind)
                || wide != (found.kind == PublishedSum::Kind::Sha512))
                continue;
        } else {
            // A backslash in front marks a name with escapes; the names we look for have none.
            const QByteArray body = line.startsWith('\\') ? line.mid(1) : line;
            const qsizetype space = body.indexOf(' ');
            hex = space < 0 ? body : body.left(space);
            if (!isHex(hex) || !kindOfLength(hex.size(), &found.kind))
                continue;
            if (space < 0) {
                // Just the hash: only the image's own file may say so.
                if (!namedAfterImage)
                    continue;
            } else {
                QByteArray listed = body.mid(space + 1);
                if (listed.startsWith(' ') || listed.startsWith('*'))
                    listed.remove(0, 1);
                if (!names(QString::fromUtf8(listed), name))
                    continue;
            }
        }
        found.digest = QByteArray::fromHex(hex);
        merge(result, found);
    }
    return result;
}

PublishedSum find(const QString &sourceFile)
{
    const QFileInfo source(sourceFile);
    const QString dir = source.absolutePath();
    const QString name = source.fileName();
    PublishedSum result;
    for (const QString &candidate : candidates(dir, name)) {
        const bool own = candidate.startsWith(name + QLatin1Char('.'));
        const PublishedSum found = readFile(QDir(dir).filePath(candidate), name, candidate, own);
        if (found.isTrouble()) {
            if (!result.isTrouble())
                result = found;
            continue;
        }
        merge(result, found);
    }
    return result;
}

PublishedSum fromFile(const QString &path, const QString &name)
{
    return readFile(path, name, QFileInfo(path).fileName(), true);
}

PublishedSum fromHex(const QString &hex)
{
    QString text = hex.trimmed();
    for (const QString &tag : { QStringLiteral("sha256:"), QStringLiteral("sha512:") })
        if (text.startsWith(tag, Qt::CaseInsensitive))
            text = text.mid(tag.size()).trimmed();
    PublishedSum result;
    const QByteArray bytes = text.toLatin1();
    if (!isHex(bytes) || !kindOfLength(bytes.size(), &result.kind))
        return result;
    result.state = PublishedSum::State::Listed;
    result.digest = QByteArray::fromHex(bytes);
    return result;
}

} // namespace PublishedSums
