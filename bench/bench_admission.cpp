// How fast a dropped folder tree is examined, from the drop to the end of the check: folders
// expanded, every file looked at and each image's header read. Prints items per second.
#include "common/testenv.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // An empty system description: no real disk is looked at.
    QTemporaryDir sysroot;
    QDir(sysroot.path()).mkpath(QStringLiteral("proc/self"));
    QDir(sysroot.path()).mkpath(QStringLiteral("sys/block"));
    QFile(sysroot.filePath(QStringLiteral("proc/self/mountinfo"))).open(QIODevice::WriteOnly);
    qputenv("DISCSHELF_SYSROOT", sysroot.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    const int folders = 40;
    const int perFolder = 250;
    QTemporaryDir tree;
    for (int f = 0; f < folders; ++f) {
        const QString dir = tree.filePath(QStringLiteral("drop/d%1/sub").arg(f));
        QDir().mkpath(dir);
        for (int i = 0; i < perFolder; ++i)
            TestEnv::writeBootable(QStringLiteral("%1/image%2.iso").arg(dir).arg(i));
    }

    discShelf window;
    // No discwand here: the batch ends at its first file with a box, closed at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->reject();
    });
    closer.start(5);

    // CPU time too, of every thread: it stays meaningful on a machine busy with other work.
    const auto cpuMs = [] {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
            + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    };
    const double cpu = cpuMs();
    QElapsedTimer clock;
    clock.start();
    emit window.findChild<isoTreeWidget *>()->copyFiles(QStringLiteral("/"),
                                                        { tree.filePath(QStringLiteral("drop")) });
    const QWidget *scanning = window.findChild<QWidget *>(QStringLiteral("lblScanning"));
    if (!QTest::qWaitFor([&] { return scanning->isHidden(); }, 120000))
        return 1;
    const qint64 ms = qMax<qint64>(1, clock.elapsed());
    const double used = qMax(1.0, cpuMs() - cpu);
    const int items = folders * (perFolder + 2) + 1;
    std::printf("examined %d items in %lld ms: %.0f items/s (cpu %.0f ms: %.0f items/cpu s)\n",
                items, ms, items * 1000.0 / ms, used, items * 1000.0 / used);
    return 0;
}
