// SHA-256 of image data for the whole program, through the system's own fast implementation:
// OpenSSL's libcrypto on Linux (sha256_linux.cpp), the CNG API of Windows (sha256_win.cpp).
#pragma once

#include <QByteArray>

#include <memory>

class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void addData(const char *data, qint64 size);
    void addData(const QByteArray &data) { addData(data.constData(), data.size()); }
    // The 32-byte digest of everything added; the hash then starts over.
    QByteArray result();

    static QByteArray hash(const QByteArray &data)
    {
        Sha256 sha;
        sha.addData(data);
        return sha.result();
    }

private:
    struct State;
    std::unique_ptr<State> d;
};
