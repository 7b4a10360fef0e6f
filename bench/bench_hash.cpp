// SHA-256 throughput: the program's hashing class against QCryptographicHash and sha256sum, over
// the same data in memory and from a file read from the disk (pages dropped before each read).
// Usage: bench_hash [--dir DIR] [--rounds N] [--mib SIZE]
#include "benchoptions.h"
#include "copy/chunkhasher.h"
#include "copy/shadigest.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

void evict(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// sha256sum's digest of path, and the time it took.
QByteArray sha256sum(const QString &path, double *seconds)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sha256sum"), { path });
    p.waitForFinished(-1);
    *seconds = t.nsecsElapsed() / 1e9;
    return p.readAllStandardOutput().left(64);
}

// The read-back's way: large sequential reads into the hasher's buffers, hashed in its thread.
QByteArray hashFile(const QString &path)
{
    constexpr qint64 chunk = 6291456;
    static ChunkHasher hasher(chunk);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        qFatal("cannot read %s", qPrintable(path));
    ::posix_fadvise(f.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
    for (qint64 n; (n = f.read(hasher.buffer(), chunk)) > 0;)
        hasher.add(n);
    return hasher.result().toHex();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const BenchOptions options(args, 1024);
    const QString base = options.dir;
    const int rounds = options.rounds;
    const qint64 mib = options.mib;
    const qint64 size = mib << 20;
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    // In memory for sha256sum is a file in tmpfs; from the disk, a file below DIR.
    QTemporaryDir shm(QStringLiteral("/dev/shm/bench_hash-XXXXXX")),
        disk(base + "/bench_hash-XXXXXX");
    const QString inMemory = shm.filePath(QStringLiteral("data")),
                  onDisk = disk.filePath(QStringLiteral("data"));
    for (const QString &path : { inMemory, onDisk }) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != size)
            qFatal("cannot write %s", qPrintable(path));
    }
    evict(onDisk);
    std::printf("hashing %lld MiB, %d rounds (disk file in %s)\n", mib, rounds, qPrintable(base));

    QMap<QString, QList<double>> rates; // MB/s
    QByteArray expected;
    const auto timed = [&](const char *name, const std::function<QByteArray()> &run) {
        QElapsedTimer t;
        t.start();
        const QByteArray digest = run();
        const double rate = size / (t.nsecsElapsed() / 1e9) / 1e6;
        if (expected.isEmpty())
            expected = digest;
        if (digest != expected)
            qFatal("%s hashed differently", name);
        rates[QLatin1String(name)] << rate;
        std::printf("  %-26s %8.1f MB/s\n", name, rate);
        std::fflush(stdout);
    };
    for (int r = 0; r < rounds; ++r) {
        std::printf("round %d\n", r + 1);
        timed("memory: Sha256", [&] { return Sha256::hash(data).toHex(); });
        timed("memory: QCryptographicHash",
              [&] { return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex(); });
        double seconds = 0;
        const QByteArray sum = sha256sum(inMemory, &seconds);
        if (sum != expected)
            qFatal("sha256sum hashed differently");
        rates["memory: sha256sum"] << size / seconds / 1e6;
        std::printf("  %-26s %8.1f MB/s\n", "memory: sha256sum", size / seconds / 1e6);
        evict(onDisk);
        timed("file: Sha256 (read-back)", [&] { return hashFile(onDisk); });
        evict(onDisk);
        if (sha256sum(onDisk, &seconds) != expected)
            qFatal("sha256sum hashed differently");
        rates["file: sha256sum"] << size / seconds / 1e6;
        std::printf("  %-26s %8.1f MB/s\n", "file: sha256sum", size / seconds / 1e6);
    }
    std::printf("\nmedians (MB/s):\n");
    for (auto it = rates.cbegin(); it != rates.cend(); ++it)
        std::printf("  %-26s %8.1f\n", qPrintable(it.key()), median(it.value()));
    std::printf("Sha256 / sha256sum: memory %.2f, file %.2f (goal >= 1.5 in memory)\n",
                median(rates["memory: Sha256"]) / median(rates["memory: sha256sum"]),
                median(rates["file: Sha256 (read-back)"]) / median(rates["file: sha256sum"]));
    return 0;
}
