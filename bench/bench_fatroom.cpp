// Time of counting a FAT32 volume's free room in its FAT (what a stick whose driver tells no
// sizes costs each time its room is asked), on volume images of the simulator's default size
// and larger, with 512-byte clusters as the simulator makes them (the most FAT per byte).
#include "detect/fatroom.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", { "/usr/sbin", "/sbin" });
    QTemporaryDir dir;
    if (mkfs.isEmpty() || !dir.isValid()) {
        std::fprintf(stderr, "needs mkfs.vfat and a temporary folder\n");
        return 1;
    }
    for (const int megabytes : { 256, 1024, 4096 }) {
        const QString image = dir.filePath(QStringLiteral("v%1.img").arg(megabytes));
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(megabytes) << 20))
            return 1;
        file.close();
        if (QProcess::execute(mkfs, { "-F", "32", "-S", "512", "-s", "1", image }) != 0)
            return 1;
        std::vector<double> ms;
        std::optional<FatRoom> room;
        for (int run = 0; run < 9; ++run) {
            QElapsedTimer clock;
            clock.start();
            room = FatRoom::read(image);
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        if (!room)
            return 1;
        std::printf("%5d MB volume, %9lld clusters (FAT %6.1f MB): median %.2f ms, worst %.2f ms\n",
                    megabytes, room->capacity / room->cluster,
                    double(room->capacity / room->cluster * 4) / 1e6, ms[ms.size() / 2], ms.back());
        QFile::remove(image);
    }
    return 0;
}
