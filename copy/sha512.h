// SHA-512, for checksum files that publish only it, through the system's own implementation:
// OpenSSL's libcrypto on Linux (sha512_linux.cpp), the CNG API of Windows (sha512_win.cpp).
#pragma once

#include <QByteArray>

#include <memory>

class Sha512
{
public:
    Sha512();
    ~Sha512();
    Sha512(const Sha512 &) = delete;
    Sha512 &operator=(const Sha512 &) = delete;

    void addData(const char *data, qint64 size);
    void addData(const QByteArray &data) { addData(data.constData(), data.size()); }
    // The 64-byte digest of everything added; the hash then starts over.
    QByteArray result();

    static QByteArray hash(const QByteArray &data)
    {
        Sha512 sha;
        sha.addData(data);
        return sha.result();
    }

private:
    struct State;
    std::unique_ptr<State> d;
};
