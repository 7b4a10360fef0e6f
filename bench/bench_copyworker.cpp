// Copy speed and memory of the copy worker against cp and dd bs=6M on one file system, and with
// read-back against cp, sync and sha256sum of the copy read from the disk.
// Usage: bench_copyworker [--dir DIR] [--rounds N] [--mib SIZE] [--before BENCH_COPYWORKER]
//                         [--tools worker,worker+v,cp,dd,cp+sum,before,before+v]
// Every copy starts with the source out of the page cache and ends with the data on disk
// (the worker syncs by itself; cp is followed by sync FILE, dd runs with conv=fsync).
#include "benchoptions.h"
#include "copy/isocopyworker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

qint64 statusKiB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    // A /proc file reports size 0, so read it whole rather than line by line up to atEnd().
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Child mode: one copy by the worker; prints nanoseconds, idle RSS and peak RSS in KiB.
int workerChild(const QString& source, const QString& destDir, bool verify)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    isoCopyWorker worker;
    worker.setVerify(verify);
    int failure = 0;
    QObject::connect(&worker, &isoCopyWorker::failed, [&](CopyError error) { failure = int(error); });
    const qint64 idle = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    worker.copyFile(destDir, source);
    const qint64 ns = timer.nsecsElapsed();
    std::printf("%lld %lld %lld %d\n", ns, idle, statusKiB("VmHWM"), failure);
    return failure;
}

void makeSource(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot create %s", qPrintable(path));
    QList<quint32> words(1 << 20);
    QRandomGenerator gen(42);
    for (qint64 done = 0; done < size;) {
        gen.fillRange(words.data(), words.size());
        const qint64 n = qMin<qint64>(size - done, words.size() * 4);
        f.write(reinterpret_cast<const char*>(words.constData()), n);
        done += n;
    }
    ::fsync(f.handle());
}

// Reads come from the disk in every round, not from what the previous round left cached.
void evict(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

struct Run
{
    double seconds = 0;
    qint64 idleKiB = 0;
    qint64 peakKiB = 0;
};

// Another build of this benchmark, whose worker is timed beside this one's.
QString beforeBench;

Run runTool(const QString& tool, const QString& source, const QString& destDir)
{
    const QString target = destDir + QStringLiteral("source.bin");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    const bool worker = tool.startsWith(QLatin1String("worker")) || tool.startsWith(QLatin1String("before"));
    if (worker) {
        const QString bench = tool.startsWith(QLatin1String("before")) ? beforeBench
                                                                       : QCoreApplication::applicationFilePath();
        p.start(bench, { "--child", source, destDir, tool.endsWith(QLatin1String("+v")) ? "1" : "0" });
    } else if (tool == QLatin1String("cp")) {
        p.start("sh", { "-c", "cp \"$1\" \"$2\" && sync \"$2\"", "sh", source, target });
    } else if (tool == QLatin1String("cp+sum")) {
        // dd with nocache and no blocks drops the copy's pages, so sha256sum reads the disk.
        p.start("sh", { "-c",
                        "cp \"$1\" \"$2\" && sync \"$2\" && dd if=\"$2\" iflag=nocache count=0 "
                        "status=none && sha256sum \"$2\" >/dev/null",
                        "sh", source, target });
    } else {
        p.start("dd", { "if=" + source, "of=" + target, "bs=6M", "conv=fsync", "status=none" });
    }
    p.waitForFinished(-1);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed", qPrintable(tool));
    if (worker) {
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        run.seconds = f.value(0).toLongLong() / 1e9;
        run.idleKiB = f.value(1).toLongLong();
        run.peakKiB = f.value(2).toLongLong();
    }
    if (QFileInfo(target).size() != QFileInfo(source).size())
        qFatal("%s left a copy of the wrong size", qPrintable(tool));
    QFile::remove(target);
    return run;
}

double median(QList<double> v)
{
    if (v.isEmpty())
        return qQNaN();
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--child"))
        return workerChild(args.value(2), args.value(3), args.value(4) == QLatin1String("1"));

    const BenchOptions options(args, 2048);
    const QString base = options.dir;
    const int rounds = options.rounds;
    const qint64 mib = options.mib;
    beforeBench = options.other.value(QStringLiteral("--before"));
    const QStringList only = options.other.contains(QStringLiteral("--tools"))
        ? options.other.value(QStringLiteral("--tools")).split(QLatin1Char(','))
        : QStringList();
    QTemporaryDir dir(base + QStringLiteral("/bench_copyworker-XXXXXX"));
    if (!dir.isValid())
        qFatal("cannot use %s", qPrintable(base));
    const QString source = dir.filePath(QStringLiteral("source.bin"));
    const QString destDir = dir.filePath(QStringLiteral("dest/"));
    QDir().mkpath(destDir);
    const qint64 size = mib << 20;
    std::printf("copying %lld MiB in %s, %d rounds\n", mib, qPrintable(dir.path()), rounds);
    makeSource(source, size);

    QStringList tools { "worker", "worker+v", "cp", "dd", "cp+sum" };
    if (!beforeBench.isEmpty())
        tools << "before" << "before+v";
    if (!only.isEmpty())
        tools = only;
    QMap<QString, QList<double>> rates; // MB/s
    qint64 idle = 0, peak = 0;
    for (int r = 0; r < rounds; ++r) {
        for (int t = 0; t < tools.size(); ++t) {
            const QString tool = tools[(t + r) % tools.size()]; // rotate who goes first
            ::sync();
            evict(source);
            const Run run = runTool(tool, source, destDir);
            const double rate = size / run.seconds / 1e6;
            rates[tool] << rate;
            if (tool.startsWith(QLatin1String("worker"))) {
                idle = run.idleKiB;
                peak = qMax(peak, run.peakKiB);
            }
            std::printf("round %d  %-6s %7.2f s  %7.1f MB/s\n", r + 1, qPrintable(tool),
                        run.seconds, rate);
            std::fflush(stdout);
        }
    }
    std::printf("\nmedian throughput (MB/s):");
    for (const QString& tool : tools)
        std::printf("  %s %.1f", qPrintable(tool), median(rates[tool]));
    const double best = qMax(median(rates["cp"]), median(rates["dd"]));
    std::printf("\nworker / best of cp and dd: %.3f (goal >= 1.0)\n", median(rates["worker"]) / best);
    // Times, not rates: the read-back makes a verified copy's time more than its rate says.
    std::printf("worker+v time / cp+sync+sha256sum time: %.3f (goal <= 1.0)\n",
                median(rates["cp+sum"]) / median(rates["worker+v"]));
    if (!beforeBench.isEmpty())
        std::printf("before / best of cp and dd: %.3f; before+v time / cp+sync+sha256sum time: %.3f\n",
                    median(rates["before"]) / best, median(rates["cp+sum"]) / median(rates["before+v"]));
    std::printf("worker memory: idle RSS %.1f MiB, peak RSS %.1f MiB, peak above idle %.1f MiB "
                "(target < 40)\n",
                idle / 1024.0, peak / 1024.0, (peak - idle) / 1024.0);
    return 0;
}
