// How fast a dropped folder tree is examined, from the drop to the end of the check: folders
// expanded, every file looked at and each image's header read. Prints items per second, each
// round's and the median (--rounds N, default 3).
#include "benchoptions.h"
#include "common/testenv.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <sys/resource.h>

namespace {

// Calls shown when a message box shows, and closes the box.
struct ShownBoxes : QObject
{
    std::function<void()> shown;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched)) {
                if (shown)
                    shown();
                QTimer::singleShot(0, box, &QMessageBox::reject);
            }
        }
        return false;
    }
};

} // namespace

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

    const BenchOptions options(app.arguments(), 0);
    const int folders = 40;
    const int perFolder = 250;
    QTemporaryDir tree;
    QStringList images;
    for (int f = 0; f < folders; ++f) {
        const QString dir = tree.filePath(QStringLiteral("drop/d%1/sub").arg(f));
        QDir().mkpath(dir);
        for (int i = 0; i < perFolder; ++i) {
            images << QStringLiteral("%1/image%2.iso").arg(dir).arg(i);
            TestEnv::writeBootable(images.last());
        }
    }

    discShelf window;
    // No discwand here: the batch ends at its first file with a box. The box shown is the end
    // of the check; it is closed at once. Caught as it shows, not polled for: a poll would add
    // its own interval to every round.
    ShownBoxes boxes;
    app.installEventFilter(&boxes);

    // CPU time too, of every thread: it stays meaningful on a machine busy with other work.
    const auto cpuMs = [] {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
            + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    };
    const int items = folders * (perFolder + 2) + 1;
    QList<double> walls, cpus;
    for (int round = 0; round < options.rounds; ++round) {
        // Every image new to the program's cache of headers, as a drop of new images is.
        const QDateTime when = QDateTime::currentDateTime().addSecs(-100 - round);
        for (const QString &path : images) {
            QFile f(path);
            if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)
                || !f.setFileTime(when, QFileDevice::FileModificationTime))
                return 1;
        }
        QEventLoop loop;
        QElapsedTimer clock;
        double cpuEnd = 0;
        qint64 nsEnd = 0;
        boxes.shown = [&] {
            if (nsEnd != 0)
                return; // the batch's first box ends the check
            nsEnd = clock.nsecsElapsed();
            cpuEnd = cpuMs();
            loop.quit();
        };
        QTimer::singleShot(120000, &loop, [&] { loop.exit(1); });
        const double cpu = cpuMs();
        clock.start();
        emit window.findChild<isoTreeWidget *>()->copyFiles(
            QStringLiteral("/"), { tree.filePath(QStringLiteral("drop")) });
        if (loop.exec() != 0)
            return 1;
        const QWidget *scanning = window.findChild<QWidget *>(QStringLiteral("lblScanning"));
        if (!QTest::qWaitFor([&] { return scanning->isHidden(); }, 120000))
            return 1;
        walls.append(nsEnd / 1e6);
        cpus.append(qMax(0.001, cpuEnd - cpu));
        std::printf("round %d: %d items in %.1f ms: %.0f items/s (cpu %.1f ms: %.0f items/cpu s)\n",
                    round + 1, items, walls.last(), items * 1000.0 / walls.last(), cpus.last(),
                    items * 1000.0 / cpus.last());
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    const double ms = walls.at(walls.size() / 2), used = cpus.at(cpus.size() / 2);
    std::printf("examined %d items in %.1f ms: %.0f items/s (cpu %.1f ms: %.0f items/cpu s); "
                "median of %d rounds\n",
                items, ms, items * 1000.0 / ms, used, items * 1000.0 / used, int(walls.size()));
    return 0;
}
