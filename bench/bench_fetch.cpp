// A download straight onto the disk (the program's fetch: parts, read-back, journal) against the
// two steps it replaces: curl -o to a file, then cp to the destination and sync. The image is
// served by python3 -m http.server on loopback. Usage: bench_fetch [--dir DIR] [--rounds N]
// [--mib SIZE] [--before BENCH_FETCH]; --before names another build of this benchmark, whose
// download is timed beside this one's, round by round.
#include "benchoptions.h"
#include "copy/imagedownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 0);
}

// The most memory this process held, in MiB.
double peakMib()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024.0;
    return -1;
}

// In a process of its own, as the other build's is: prints the seconds to the last byte
// received, to the start of the read-back's tail, and to the end, and the peak memory.
int fetchChild(const QUrl &url, const QString &dest)
{
    QElapsedTimer t;
    t.start();
    double received = 0, verifying = -1;
    ImageDownload download;
    QEventLoop loop;
    QObject::connect(&download, &ImageDownload::finished, &loop, &QEventLoop::quit);
    QObject::connect(&download, &ImageDownload::progress, &loop, [&](qint64 done, qint64 total) {
        if (done == total && received == 0)
            received = t.nsecsElapsed() / 1e9;
    });
    QObject::connect(&download, &ImageDownload::verifying, &loop, [&](int percent) {
        if (percent == 0 && verifying < 0)
            verifying = t.nsecsElapsed() / 1e9;
    });
    download.start(url, dest);
    if (download.outcome() == ImageDownload::Outcome::Running)
        loop.exec();
    if (download.outcome() != ImageDownload::Outcome::Done)
        qFatal("fetch failed: %s", qPrintable(download.errorString()));
    std::printf("%.3f %.3f %.3f %.1f\n", received, verifying, t.nsecsElapsed() / 1e9, peakMib());
    return 0;
}

struct Fetch
{
    double received, verifying, total, peakMib;
};

Fetch fetch(const QString &bench, const QUrl &url, const QString &dest)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(bench, { QStringLiteral("--child"), url.toString(), dest });
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed", qPrintable(bench));
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    QFile::remove(dest + QStringLiteral("/image.iso"));
    return { f.value(0).toDouble(), f.value(1).toDouble(), f.value(2).toDouble(),
             f.value(3).toDouble() };
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--child"))
        return fetchChild(QUrl(args.value(2)), args.value(3));
    const BenchOptions options(args, 1024);
    const QString base = options.dir;
    const int rounds = options.rounds;
    const qint64 mib = options.mib;
    const QString before = options.other.value(QStringLiteral("--before"));
    QTemporaryDir work(base + QStringLiteral("/bench_fetch-XXXXXX"));
    const QString served = work.filePath(QStringLiteral("served"));
    const QString dest = work.filePath(QStringLiteral("dest"));
    QDir().mkpath(served);
    QDir().mkpath(dest);
    {
        QFile image(served + QStringLiteral("/image.iso"));
        if (!image.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(image.fileName()));
        QByteArray block(8 << 20, Qt::Uninitialized);
        for (qint64 done = 0; done < mib << 20; done += block.size()) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                                  block.size() / 4);
            image.write(block);
        }
    }
    const quint16 port = freePort();
    QProcess server;
    server.setWorkingDirectory(served);
    server.start(QStringLiteral("python3"),
                 { QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("-b"),
                   QStringLiteral("127.0.0.1"), QString::number(port) });
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/image.iso").arg(port));
    // Until the server answers.
    for (int i = 0; i < 50 && !run(QStringLiteral("curl"), { "-sfI", url.toString() }); ++i)
        QThread::msleep(100);

    QList<double> fetchTimes, beforeTimes, twoStepTimes, curlTimes, tails, beforeTails;
    QStringList loads;
    for (int round = 0; round < rounds; ++round) {
        loads << loadAverage();
        Fetch now {}, then {};
        // Each goes first in turn: what ran before leaves the disk and the cache differently.
        QStringList order { QStringLiteral("fetch"), QStringLiteral("two steps") };
        if (!before.isEmpty())
            order << QStringLiteral("before");
        std::rotate(order.begin(), order.begin() + round % order.size(), order.end());
        for (const QString &tool : order) {
            if (tool == QLatin1String("fetch")) {
                now = fetch(app.applicationFilePath(), url, dest);
                fetchTimes << now.total;
                tails << now.total - now.received;
            } else if (tool == QLatin1String("before")) {
                then = fetch(before, url, dest);
                beforeTimes << then.total;
                beforeTails << then.total - then.received;
            } else {
                QElapsedTimer t;
                t.start();
                const QString kept = work.filePath(QStringLiteral("download.iso"));
                if (!run(QStringLiteral("curl"), { "-sf", "-o", kept, url.toString() }))
                    qFatal("curl failed");
                curlTimes << t.nsecsElapsed() / 1e9;
                if (!run(QStringLiteral("cp"), { kept, dest + QStringLiteral("/image.iso") })
                    || !run(QStringLiteral("sync"), {}))
                    qFatal("cp or sync failed");
                twoStepTimes << t.nsecsElapsed() / 1e9;
                QFile::remove(kept);
                QFile::remove(dest + QStringLiteral("/image.iso"));
            }
        }
        std::printf("round %d (load %s): fetch %.2f s (last byte at %.2f, tail %.2f, %.0f MiB "
                    "peak)",
                    round + 1, qPrintable(loads.last()), now.total, now.received,
                    now.total - now.received, now.peakMib);
        if (!before.isEmpty())
            std::printf(", before %.2f s (last byte at %.2f, tail %.2f, %.0f MiB peak)", then.total,
                        then.received, then.total - then.received, then.peakMib);
        std::printf(", curl -o %.2f s + cp + sync %.2f s\n", curlTimes.last(), twoStepTimes.last());
        std::fflush(stdout);
    }
    server.terminate();
    server.waitForFinished();
    const double a = median(fetchTimes), b = median(twoStepTimes);
    std::printf("%lld MiB, median of %d (load %s): fetch %.2f s (%.0f MiB/s, tail %.2f s), "
                "curl -o + cp + sync %.2f s (%.0f MiB/s; curl -o alone %.2f s); fetch takes "
                "%.0f%% of the two steps' time\n",
                mib, rounds, qPrintable(loads.join(QLatin1Char(','))), a, mib / a, median(tails), b,
                mib / b, median(curlTimes), 100 * a / b);
    if (!before.isEmpty()) {
        const double c = median(beforeTimes);
        std::printf("before: %.2f s (%.0f MiB/s, tail %.2f s), %.0f%% of the two steps' time\n", c,
                    mib / c, median(beforeTails), 100 * c / b);
    }
    return 0;
}
