// SHA-2 through Windows' own CNG (bcrypt.dll, part of every Windows), so the program ships no
// cryptography library of its own.
#include "copy/shadigest.h"

// bcrypt.h needs the types of windows.h before it.
#include <windows.h>

#include <bcrypt.h>

namespace {

BCRYPT_ALG_HANDLE provider(ShaDigest::Kind kind)
{
    // Opening a provider is the costly step; one of each serves every hash of the program.
    const auto open = [](LPCWSTR name) {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (BCryptOpenAlgorithmProvider(&opened, name, nullptr, 0) != 0)
            qFatal("SHA-2 is not available from CNG");
        return opened;
    };
    if (kind == ShaDigest::Kind::Sha256) {
        static const BCRYPT_ALG_HANDLE sha256 = open(BCRYPT_SHA256_ALGORITHM);
        return sha256;
    }
    static const BCRYPT_ALG_HANDLE sha512 = open(BCRYPT_SHA512_ALGORITHM);
    return sha512;
}

} // namespace

struct ShaDigest::State
{
    Kind kind = Kind::Sha256;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() { stop(); }
    ULONG size() const { return kind == Kind::Sha256 ? 32 : 64; }
    void start()
    {
        if (BCryptCreateHash(provider(kind), &hash, nullptr, 0, nullptr, 0, 0) != 0)
            qFatal("cannot start a SHA-2 hash");
    }
    void stop()
    {
        if (hash)
            BCryptDestroyHash(hash);
        hash = nullptr;
    }
};

ShaDigest::ShaDigest(Kind kind)
    : d(std::make_unique<State>())
{
    d->kind = kind;
    d->start();
}

ShaDigest::~ShaDigest() = default;

void ShaDigest::addData(const char *data, qint64 size)
{
    // CNG takes at most a ULONG at a time.
    while (size > 0) {
        const ULONG n = ULONG(qMin<qint64>(size, 1 << 30));
        BCryptHashData(d->hash, reinterpret_cast<PUCHAR>(const_cast<char *>(data)), n, 0);
        data += n;
        size -= n;
    }
}

QByteArray ShaDigest::result()
{
    QByteArray digest(int(d->size()), Qt::Uninitialized);
    BCryptFinishHash(d->hash, reinterpret_cast<PUCHAR>(digest.data()), d->size(), 0);
    d->stop();
    d->start();
    return digest;
}
