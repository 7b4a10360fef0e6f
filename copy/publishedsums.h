// The checksum a distribution publishes beside an image: found in the checksum files next to
// the source (SHA256SUMS, a.iso.sha256, Fedora's *-CHECKSUM ...), in GNU or BSD format, SHA-256
// or SHA-512, or given by the user as a file or a hash.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct PublishedSum
{
    enum class Kind { Sha256, Sha512 };
    enum class State {
        None, // no checksum file names the image
        Listed,
        Unreadable, // a checksum file that may name the image cannot be read
        Conflicting, // the image is listed twice with different hashes
    };
    State state = State::None;
    Kind kind = Kind::Sha256;
    QByteArray digest; // the hash's bytes
    QString file; // the checksum file as people know it ("SHA256SUMS"); empty for a hash given

    bool isListed() const { return state == State::Listed; }
    bool isTrouble() const { return state == State::Unreadable || state == State::Conflicting; }
};

namespace PublishedSums {

// The names of the checksum files in dir that may name an image called name, in the order
// they are read.
QStringList candidates(const QString &dir, const QString &name);

// What the text of one checksum file says of the image called name. namedAfterImage: the file
// is the image's own (a.iso.sha256), so a line holding just a hash names it.
PublishedSum read(const QByteArray &text, const QString &name, const QString &file,
                  bool namedAfterImage);

// What the checksum files beside sourceFile say of it, all of them together: two files that
// disagree conflict, and one that cannot be read is trouble whatever the others say.
PublishedSum find(const QString &sourceFile);

// A checksum file the user names for the image called name; its lines with just a hash count.
PublishedSum fromFile(const QString &path, const QString &name);

// A hash the user typed or pasted: 64 hex digits for SHA-256, 128 for SHA-512, spaces around
// and a "sha256:" in front allowed. State None when it is neither.
PublishedSum fromHex(const QString &hex);

} // namespace PublishedSums
