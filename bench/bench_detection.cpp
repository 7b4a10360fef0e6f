// Time of one detection pass, and of one write-access probe, over a system of 64 disks with
// four mounted partitions each; the discwand is the last disk, with four FAT32 volumes.
// Wall time suffers on a busy machine, so the process's CPU time is printed beside it.
#include "common/sysfixture.h"
#include "detect/scsidrivedetector.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

template<typename F>
void measure(const char *what, int runs, F run)
{
    QElapsedTimer wall;
    const double cpu = cpuMs();
    wall.start();
    for (int i = 0; i < runs; ++i)
        run();
    std::printf("%s: %.3f ms wall, %.3f ms CPU each\n", what, wall.nsecsElapsed() / 1e6 / runs,
                (cpuMs() - cpu) / runs);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    SysFixture fx;
    for (int d = 0; d < 64; ++d) {
        const QString disk = QStringLiteral("sd%1%2").arg(QChar('a' + d / 26)).arg(QChar('a' + d % 26));
        const bool wand = d == 63;
        fx.addDisk(disk, wand ? QStringLiteral("QUELLOR") : QStringLiteral("ATA"),
                   wand ? QStringLiteral("DISCWAND FLASH") : QStringLiteral("DISK %1").arg(d));
        for (int p = 1; p <= 4; ++p) {
            const QString part = disk + QString::number(p);
            fx.addPartition(disk, part);
            fx.setFilesystem(part, QStringLiteral("vfat"), QStringLiteral("FAT32"));
            fx.mount(part);
        }
    }

    ScsiDriveDetector detector(QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"), nullptr);
    detector.forceRefresh();
    if (detector.drivePath().isEmpty()) {
        std::fprintf(stderr, "the discwand was not found\n");
        return 1;
    }
    std::printf("64 disks x 4 mounted partitions (target: a pass under 5 ms)\n");
    measure("detection pass", 300, [&] { detector.forceRefresh(); });
    measure("write-access probe", 300, [&] { detector.isWritable(); });
    return 0;
}
