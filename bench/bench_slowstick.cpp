// How the copy worker behaves on a slow stick with the page cache in play: time from the last
// progress report to finished(), speed against cp + sync, dirty memory, and read-back speed
// against sha256sum. bench/slowstick.sh sets the stick up and runs this (see bench/README.md).
#include "copy/isocopyworker.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <type_traits>
#include <unistd.h>

namespace {

// ---- Child: one copy by the worker this file was built with ----

// Moments of one copy, in nanoseconds from its start; -1 when the moment never came.
struct Marks
{
    qint64 lastProgress = -1;
    qint64 firstVerify = -1;
    qint64 lastVerify = -1;
    qint64 end = -1;
};

// Earlier workers had no read-back; this file builds against them too, to measure them side
// by side with the present one.
template <typename W, typename = void>
struct CanVerify : std::false_type
{
};
template <typename W>
struct CanVerify<W, std::void_t<decltype(&W::setVerify), decltype(&W::verifyProgress)>>
    : std::true_type
{
};

template <typename W>
bool hookVerify(W& worker, bool on, [[maybe_unused]] const QElapsedTimer& clock,
                [[maybe_unused]] Marks& marks)
{
    if constexpr (CanVerify<W>::value) {
        worker.setVerify(on);
        QObject::connect(&worker, &W::verifyProgress, [&](int, int) {
            const qint64 now = clock.nsecsElapsed();
            if (marks.firstVerify < 0)
                marks.firstVerify = now;
            marks.lastVerify = now;
        });
        return true;
    } else {
        return !on;
    }
}

// Prints the marks and the failure code on one line.
int copyChild(const QString& destDir, const QString& source, bool verify)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    isoCopyWorker worker;
    QElapsedTimer clock;
    Marks marks;
    int failure = 0;
    if (!hookVerify(worker, verify, clock, marks)) {
        std::fprintf(stderr, "this worker cannot read its copies back\n");
        return 2;
    }
    QObject::connect(&worker, &isoCopyWorker::progressUpdate,
                     [&](int, int) { marks.lastProgress = clock.nsecsElapsed(); });
    QObject::connect(&worker, &isoCopyWorker::finished, [&] { marks.end = clock.nsecsElapsed(); });
    QObject::connect(&worker, &isoCopyWorker::failed, [&](CopyError error) {
        failure = int(error);
        marks.end = clock.nsecsElapsed();
    });
    clock.start();
    worker.copyFile(destDir, source);
    std::printf("%lld %lld %lld %lld %d\n", marks.lastProgress, marks.firstVerify,
                marks.lastVerify, marks.end, failure);
    return failure;
}

// ---- Parent: the rounds ----

// Rates in bits per second, as the rate filter takes them.
struct Profile
{
    const char* name;
    qint64 startBits;
    double startSeconds; // how long the start rate holds at the start of each copy
    qint64 bits;
};

const Profile profiles[] = {
    { "steady", 160000000, 0.0, 160000000 }, // 20 MB/s
    { "fastslow", 800000000, 1.0, 80000000 }, // 100 MB/s for a second, then 10 MB/s
};

// What the stick's kernel side holds: /proc/meminfo, and the stick's own share of it when
// debugfs shows the device's writeback statistics.
qint64 fieldsKiB(const QString& path, const QList<QByteArray>& keys)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return -1;
    qint64 sum = 0;
    // A /proc file reports size 0, so read it whole rather than line by line up to atEnd().
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && keys.contains(line.left(colon)))
            sum += line.mid(colon + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return sum;
}

struct Bench
{
    QString stickDir; // ends with '/'
    QString rateFile;
    QString bdiStats;
    QString source;
    QByteArray sourceHash;
    Profile profile {};

    qint64 dirtyKiB() const
    {
        return fieldsKiB(QStringLiteral("/proc/meminfo"), { "Dirty", "Writeback" });
    }
    qint64 stickKiB() const { return fieldsKiB(bdiStats, { "BdiReclaimable", "BdiWriteback" }); }

    void setRate(qint64 bits) const
    {
        // Written whole and renamed into place, as the rate filter asks.
        QSaveFile f(rateFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray::number(bits) + '\n') < 0
            || !f.commit())
            qFatal("cannot write %s", qPrintable(rateFile));
    }

    QString target() const { return stickDir + QFileInfo(source).fileName(); }

    // Empties the stick and waits until that is on it, so each copy starts alike.
    void clear() const
    {
        QDir dir(stickDir);
        for (const QString& name :
             dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            dir.remove(name);
        const int fd = ::open(QFile::encodeName(stickDir).constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::syncfs(fd);
            ::close(fd);
        }
    }
};

// Reads come from the device, not from what an earlier step left cached.
void evict(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

QByteArray makeSource(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot create %s", qPrintable(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QList<quint32> words(1 << 20);
    QRandomGenerator gen(42);
    for (qint64 done = 0; done < size;) {
        gen.fillRange(words.data(), words.size());
        const qint64 n = qMin<qint64>(size - done, words.size() * 4);
        const QByteArrayView data(reinterpret_cast<const char*>(words.constData()), n);
        f.write(data.data(), n);
        hash.addData(data);
        done += n;
    }
    ::fsync(f.handle());
    return hash.result().toHex();
}

constexpr double none = std::numeric_limits<double>::quiet_NaN();

struct Run
{
    double seconds = 0;        // the whole run, as the parent sees it
    double writeSeconds = none; // until the read-back began (worker with read-back only)
    double tail = none;         // last progress report to finished() or to the read-back
    double verifySeconds = none;
    double peakMiB = 0;      // highest Dirty + Writeback above idle
    double stickPeakMiB = none; // the same, for the stick's device alone
    double idleMiB = 0;
};

// The drivers that run the worker, by name: "after" is this build; others are the same source
// built against an earlier worker. A tool is a driver's name, that name with "+v" for a copy
// read back, or "cp" (cp, then sync of the copy).
using Drivers = QMap<QString, QString>;

bool readsBack(const QString& tool)
{
    return tool.endsWith(QLatin1String("+v"));
}

QString driverOf(const QString& tool)
{
    return readsBack(tool) ? tool.chopped(2) : tool;
}

Run runCopy(const Bench& b, const QString& tool, const Drivers& drivers)
{
    b.clear();
    evict(b.source);
    b.setRate(b.profile.bits);
    QThread::msleep(300);
    // Idle: what the rest of the machine keeps dirty just now.
    double idleSum = 0, stickIdleSum = 0;
    int idleSamples = 0;
    for (QElapsedTimer idle; !idle.isValid() || idle.elapsed() < 500; QThread::msleep(10)) {
        if (!idle.isValid())
            idle.start();
        idleSum += b.dirtyKiB();
        stickIdleSum += b.stickKiB();
        ++idleSamples;
    }
    Run run;
    run.idleMiB = idleSum / idleSamples / 1024;
    const double stickIdle = stickIdleSum / idleSamples / 1024;

    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    b.setRate(b.profile.startBits);
    QElapsedTimer timer;
    timer.start();
    if (tool == QLatin1String("cp"))
        p.start("sh", { "-c", "cp \"$1\" \"$2\" && sync \"$2\"", "sh", b.source, b.target() });
    else
        p.start(drivers.value(driverOf(tool)),
                { "--child", b.stickDir, b.source, readsBack(tool) ? "1" : "0" });
    bool slowed = b.profile.startSeconds <= 0;
    qint64 peak = 0, stickPeak = 0;
    for (;;) {
        const bool done = p.state() == QProcess::NotRunning || p.waitForFinished(10);
        peak = qMax(peak, b.dirtyKiB());
        stickPeak = qMax(stickPeak, b.stickKiB());
        if (!slowed && timer.nsecsElapsed() / 1e9 >= b.profile.startSeconds) {
            b.setRate(b.profile.bits);
            slowed = true;
        }
        if (done)
            break;
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed (exit %d)", qPrintable(tool), p.exitCode());
    run.peakMiB = peak / 1024.0 - run.idleMiB;
    if (!b.bdiStats.isEmpty())
        run.stickPeakMiB = stickPeak / 1024.0 - stickIdle;
    if (tool != QLatin1String("cp")) {
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        const qint64 lastProgress = f.value(0).toLongLong(), firstVerify = f.value(1).toLongLong(),
                     lastVerify = f.value(2).toLongLong(), end = f.value(3).toLongLong();
        const bool verified = firstVerify >= 0;
        run.tail = ((verified ? firstVerify : end) - lastProgress) / 1e9;
        if (verified) {
            // Seen from here like cp, less what came after the copy itself.
            run.writeSeconds = run.seconds - (end - firstVerify) / 1e9;
            run.verifySeconds = (lastVerify - firstVerify) / 1e9;
        }
    }
    if (QFileInfo(b.target()).size() != QFileInfo(b.source).size())
        qFatal("%s left a copy of the wrong size", qPrintable(tool));
    return run;
}

// sha256sum of the copy on the stick, read from the device at the profile's lasting rate.
double runSha256sum(const Bench& b)
{
    b.setRate(b.profile.bits);
    evict(b.target());
    QThread::msleep(300);
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start("sha256sum", { b.target() });
    p.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (p.readAllStandardOutput().split(' ').value(0) != b.sourceHash)
        qFatal("the copy on the stick differs from its source");
    return seconds;
}

double median(QList<double> v)
{
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
    if (v.isEmpty())
        return none;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A figure, or a dash where the tool has none.
QByteArray cell(double value, const char* format)
{
    return std::isnan(value) ? QByteArray("-") : QString::asprintf(format, value).toLatin1();
}

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_slowstick --stick DIR --rate-file FILE --work DIR\n"
                 "         [--profile steady|fastslow] [--rounds N] [--mib SIZE]\n"
                 "         [--bdi STATSFILE] [--worker NAME=DRIVER ...] [--tools LIST]\n"
                 "LIST names tools: after (this build's worker), NAME (another build's),\n"
                 "either with +v (read back), and cp (cp, then sync); default\n"
                 "after,after+v,cp and every NAME.\n"
                 "Run it through bench/slowstick.sh, which sets up the stick.\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--child"))
        return copyChild(args.value(2), args.value(3), args.value(4) == QLatin1String("1"));

    Bench b;
    QString work, profileName = QStringLiteral("steady");
    Drivers drivers { { QStringLiteral("after"), QCoreApplication::applicationFilePath() } };
    QStringList tools;
    int rounds = 3;
    qint64 mib = 512;
    for (int i = 1; i < args.size(); i += 2) {
        const QString value = args.value(i + 1);
        if (value.isEmpty())
            usage();
        if (args[i] == QLatin1String("--stick"))
            b.stickDir = QDir::cleanPath(value) + QLatin1Char('/');
        else if (args[i] == QLatin1String("--rate-file"))
            b.rateFile = value;
        else if (args[i] == QLatin1String("--work"))
            work = value;
        else if (args[i] == QLatin1String("--profile"))
            profileName = value;
        else if (args[i] == QLatin1String("--rounds"))
            rounds = value.toInt();
        else if (args[i] == QLatin1String("--mib"))
            mib = value.toLongLong();
        else if (args[i] == QLatin1String("--bdi"))
            b.bdiStats = value;
        else if (args[i] == QLatin1String("--worker") && value.contains(QLatin1Char('=')))
            drivers.insert(value.section(QLatin1Char('='), 0, 0),
                           value.section(QLatin1Char('='), 1));
        else if (args[i] == QLatin1String("--tools"))
            tools = value.split(QLatin1Char(','));
        else
            usage();
    }
    const auto known = std::find_if(std::begin(profiles), std::end(profiles),
                                    [&](const Profile& p) { return profileName == p.name; });
    if (b.stickDir.isEmpty() || b.rateFile.isEmpty() || work.isEmpty() || rounds < 1
        || known == std::end(profiles))
        usage();
    b.profile = *known;
    if (tools.isEmpty()) {
        tools = QStringList { "after", "after+v", "cp" };
        for (const QString& name : drivers.keys())
            if (name != QLatin1String("after"))
                tools << name;
    }
    for (const QString& tool : tools)
        if (tool != QLatin1String("cp") && !drivers.contains(driverOf(tool)))
            usage();

    const qint64 size = mib << 20;
    b.source = work + QStringLiteral("/image.iso");
    if (QFileInfo(b.source).size() != size) {
        std::printf("making a %lld MiB source in %s\n", mib, qPrintable(work));
        b.sourceHash = makeSource(b.source, size);
    } else {
        QFile f(b.source);
        f.open(QIODevice::ReadOnly);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&f);
        b.sourceHash = hash.result().toHex();
    }
    std::printf("profile %s: %lld MiB, %d rounds, tools %s\n", b.profile.name, mib, rounds,
                qPrintable(tools.join(QLatin1Char(' '))));
    std::fflush(stdout);

    QMap<QString, QList<Run>> runs;
    QList<double> shaSeconds;
    for (int r = 0; r < rounds; ++r) {
        bool shaDone = false;
        for (int t = 0; t < tools.size(); ++t) {
            const QString tool = tools[(t + r) % tools.size()]; // rotate who goes first
            const Run run = runCopy(b, tool, drivers);
            runs[tool] << run;
            std::printf("round %d  %-10s %6.2f s %6.1f MB/s  tail %s s  peak %s MiB (stick %s, "
                        "idle %.1f)",
                        r + 1, qPrintable(tool), run.seconds, size / run.seconds / 1e6,
                        cell(run.tail, "%.2f").constData(), cell(run.peakMiB, "%.1f").constData(),
                        cell(run.stickPeakMiB, "%.1f").constData(), run.idleMiB);
            if (readsBack(tool)) {
                std::printf("  write %.2f s  read-back %.1f MB/s", run.writeSeconds,
                            size / run.verifySeconds / 1e6);
                // Once a round, on a copy that was just read back and found whole.
                if (!shaDone) {
                    shaSeconds << runSha256sum(b);
                    std::printf("  sha256sum %.1f MB/s", size / shaSeconds.last() / 1e6);
                    shaDone = true;
                }
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    b.clear();
    b.setRate(b.profile.bits);

    const auto med = [&](const QString& tool, double Run::*field) {
        QList<double> v;
        for (const Run& run : runs.value(tool))
            v << run.*field;
        return median(v);
    };
    const double cpSeconds = med("cp", &Run::seconds);
    std::printf("\nprofile %s, %lld MiB, medians of %d rounds\n", b.profile.name, mib, rounds);
    std::printf("%-10s %9s %9s %10s %11s %11s %11s %11s\n", "", "copy s", "MB/s", "vs cp+sync",
                "tail s", "peak MiB", "stick MiB", "read-back");
    for (const QString& tool : tools) {
        if (tool == QLatin1String("cp")) {
            std::printf("%-10s %9.2f %9.1f\n", "cp+sync", cpSeconds, size / cpSeconds / 1e6);
            continue;
        }
        // With read-back, the copy itself ends where the read-back begins.
        const double write = readsBack(tool) ? med(tool, &Run::writeSeconds)
                                             : med(tool, &Run::seconds);
        // Read-back against sha256sum of the same copy.
        const double readBack = readsBack(tool)
            ? median(shaSeconds) / med(tool, &Run::verifySeconds)
            : none;
        std::printf("%-10s %9.2f %9.1f %10s %11.2f %11.1f %11s %11s\n", qPrintable(tool), write,
                    size / write / 1e6, cell(cpSeconds / write, "%.3f").constData(),
                    med(tool, &Run::tail), med(tool, &Run::peakMiB),
                    cell(med(tool, &Run::stickPeakMiB), "%.1f").constData(),
                    cell(readBack, "%.3f").constData());
    }
    if (!shaSeconds.isEmpty())
        std::printf("sha256sum of the copy: %.1f MB/s\n", size / median(shaSeconds) / 1e6);
    std::printf("goals: tail <= 1 s, vs cp+sync >= 0.97, peak <= 16 MiB, read-back >= 0.9\n");
    return 0;
}
