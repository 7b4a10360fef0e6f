// discshelf-cli verify --all over a stick of images (a folder of DIR described as a discwand)
// beside sha256sum of the same files, the files' pages dropped from the cache before each run.
// Usage: bench_verify [--dir DIR] [--rounds N] [--mib TOTAL] [--cli PATH]
#include "benchoptions.h"
#include "common/sysfixture.h"
#include "copy/filesync.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int images = 4;

void dropPages(const QStringList &files)
{
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            FileSync::dropCache(file);
    }
}

// Seconds the program took, or -1 when it failed.
double timed(const QString &program, const QStringList &args, const QList<int> &okStatuses)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit
        || !okStatuses.contains(p.exitCode()))
        return -1;
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString cli = QDir(app.applicationDirPath() + QStringLiteral("/.."))
                      .filePath(QStringLiteral("discshelf-cli"));
    const BenchOptions options(app.arguments(), 2048);
    const QString dir = options.dir;
    const int rounds = options.rounds;
    const qint64 mib = options.mib;
    cli = options.other.value(QStringLiteral("--cli"), cli);
    // The fixture's mount point, where the images lie, is made in DIR.
    qputenv("TMPDIR", QFile::encodeName(dir));
    SysFixture sys;
    const QString root = sys.addDiscwand();
    QStringList files;
    const qint64 each = mib * 1048576 / images;
    QByteArray block(16 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
    for (int i = 0; i < images; ++i) {
        files << root + QStringLiteral("image-%1.iso").arg(i);
        QFile out(files.last());
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        for (qint64 done = 0; done < each; done += block.size()) {
            block[0] = char(i);
            std::copy_n(reinterpret_cast<const char *>(&done), sizeof done, block.data() + 1);
            out.write(block.constData(), qMin<qint64>(block.size(), each - done));
        }
        out.flush();
        FileSync::syncFile(out);
    }
    QTextStream say(stdout);
    say << "verify --all over " << images << " images, " << mib << " MiB in " << root
        << ", pages dropped before each run\n";
    QList<double> verify, sum;
    for (int r = 0; r < rounds; ++r) {
        // Taken in turns, so that neither always runs on a cooler or warmer disk.
        for (int turn = 0; turn < 2; ++turn) {
            dropPages(files);
            const bool ours = (r + turn) % 2 == 0;
            const double s = ours ? timed(cli, { "verify", "--all" }, { 0, 11 })
                                  : timed(QStringLiteral("sha256sum"), files, { 0 });
            if (s < 0) {
                say << (ours ? "discshelf-cli verify" : "sha256sum") << " failed\n";
                return 1;
            }
            (ours ? verify : sum) << s;
        }
    }
    std::sort(verify.begin(), verify.end());
    std::sort(sum.begin(), sum.end());
    const double mb = mib * 1048576 / 1e6;
    const double v = verify[verify.size() / 2], s = sum[sum.size() / 2];
    say << QStringLiteral("discshelf-cli verify --all: %1 s, %2 MB/s (median of %3)\n")
               .arg(v, 0, 'f', 2)
               .arg(mb / v, 0, 'f', 0)
               .arg(rounds);
    say << QStringLiteral("sha256sum:                  %1 s, %2 MB/s\n")
               .arg(s, 0, 'f', 2)
               .arg(mb / s, 0, 'f', 0);
    say << QStringLiteral("speed of verify / sha256sum: %1 (goal >= 0.95)\n").arg(s / v, 0, 'f', 3);
    return 0;
}
