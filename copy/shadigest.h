// SHA-2 digests of image data for the whole program, through the system's own fast
// implementation: OpenSSL's libcrypto on Linux (shadigest_linux.cpp), the CNG API of Windows
// (shadigest_win.cpp). Sha256 hashes images; Sha512 serves checksum files that publish only it.
#pragma once

#include <QByteArray>

#include <memory>

class ShaDigest
{
public:
    enum class Kind { Sha256, Sha512 };

    explicit ShaDigest(Kind kind);
    ~ShaDigest();
    ShaDigest(const ShaDigest &) = delete;
    ShaDigest &operator=(const ShaDigest &) = delete;

    void addData(const char *data, qint64 size);
    void addData(const QByteArray &data) { addData(data.constData(), data.size()); }
    // The digest of everything added (32 bytes for SHA-256, 64 for SHA-512); the hash then
    // starts over.
    QByteArray result();

private:
    struct State;
    std::unique_ptr<State> d;
};

class Sha256 : public ShaDigest
{
public:
    Sha256() : ShaDigest(Kind::Sha256) { }
    static QByteArray hash(const QByteArray &data)
    {
        Sha256 sha;
        sha.addData(data);
        return sha.result();
    }
};

class Sha512 : public ShaDigest
{
public:
    Sha512() : ShaDigest(Kind::Sha512) { }
    static QByteArray hash(const QByteArray &data)
    {
        Sha512 sha;
        sha.addData(data);
        return sha.result();
    }
};
