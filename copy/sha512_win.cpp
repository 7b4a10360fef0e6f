// SHA-512 through Windows' own CNG (bcrypt.dll, part of every Windows), so the program ships no
// cryptography library of its own.
#include "copy/sha512.h"

// bcrypt.h needs the types of windows.h before it.
#include <windows.h>

#include <bcrypt.h>

namespace {

constexpr int digestSize = 64;

BCRYPT_ALG_HANDLE provider()
{
    // Opening the provider is the costly step; one serves every hash of the program.
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA512_ALGORITHM, nullptr, 0) != 0)
            qFatal("SHA-512 is not available from CNG");
        return opened;
    }();
    return algorithm;
}

} // namespace

struct Sha512::State
{
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() { stop(); }
    void start()
    {
        if (BCryptCreateHash(provider(), &hash, nullptr, 0, nullptr, 0, 0) != 0)
            qFatal("cannot start a SHA-512 hash");
    }
    void stop()
    {
        if (hash)
            BCryptDestroyHash(hash);
        hash = nullptr;
    }
};

Sha512::Sha512()
    : d(std::make_unique<State>())
{
    d->start();
}

Sha512::~Sha512() = default;

void Sha512::addData(const char *data, qint64 size)
{
    // CNG takes at most a ULONG at a time.
    while (size > 0) {
        const ULONG n = ULONG(qMin<qint64>(size, 1 << 30));
        BCryptHashData(d->hash, reinterpret_cast<PUCHAR>(const_cast<char *>(data)), n, 0);
        data += n;
        size -= n;
    }
}

QByteArray Sha512::result()
{
    QByteArray digest(digestSize, Qt::Uninitialized);
    BCryptFinishHash(d->hash, reinterpret_cast<PUCHAR>(digest.data()), digestSize, 0);
    d->stop();
    d->start();
    return digest;
}
