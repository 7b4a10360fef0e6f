// A download straight onto the disk (the program's fetch: parts, read-back, journal) against the
// two steps it replaces: curl -o to a file, then cp to the destination and sync. The image is
// served by python3 -m http.server on loopback. Usage: bench_fetch [--dir DIR] [--rounds N]
// [--mib SIZE]
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const BenchOptions options(args, 1024);
    const QString base = options.dir;
    const int rounds = options.rounds;
    const qint64 mib = options.mib;
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

    QList<double> fetchTimes, twoStepTimes;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer t;
        t.start();
        ImageDownload download;
        QEventLoop loop;
        QObject::connect(&download, &ImageDownload::finished, &loop, &QEventLoop::quit);
        download.start(url, dest);
        if (download.outcome() == ImageDownload::Outcome::Running)
            loop.exec();
        if (download.outcome() != ImageDownload::Outcome::Done)
            qFatal("fetch failed: %s", qPrintable(download.errorString()));
        fetchTimes << t.nsecsElapsed() / 1e9;
        QFile::remove(dest + QStringLiteral("/image.iso"));

        t.restart();
        const QString kept = work.filePath(QStringLiteral("download.iso"));
        if (!run(QStringLiteral("curl"), { "-sf", "-o", kept, url.toString() })
            || !run(QStringLiteral("cp"), { kept, dest + QStringLiteral("/image.iso") })
            || !run(QStringLiteral("sync"), {}))
            qFatal("curl, cp or sync failed");
        twoStepTimes << t.nsecsElapsed() / 1e9;
        QFile::remove(kept);
        QFile::remove(dest + QStringLiteral("/image.iso"));
        std::printf("round %d: fetch %.2f s, curl -o + cp + sync %.2f s\n", round + 1,
                    fetchTimes.last(), twoStepTimes.last());
        std::fflush(stdout);
    }
    server.terminate();
    server.waitForFinished();
    const double a = median(fetchTimes), b = median(twoStepTimes);
    std::printf("%lld MiB, median of %d: fetch %.2f s (%.0f MiB/s), curl -o + cp + sync %.2f s "
                "(%.0f MiB/s); fetch takes %.0f%% of the two steps' time\n",
                mib, rounds, a, mib / a, b, mib / b, 100 * a / b);
    return 0;
}
