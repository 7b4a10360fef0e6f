// Listing a large device (2,000 folders, 20,000 files, 5% of them images, all in the stick's
// record) into the window, as the window lists, timed beside `find` walking the same folders:
// the first listing (every image new or changed) and a relisting of the unchanged device.
#include "common/sysfixture.h"
#include "copy/imagerecord.h"
#include "ui/discshelf.h"
#include "ui/isotreewidget.h"

#include <QAbstractState>
#include <QApplication>
#include <QStateMachine>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int topFolders = 40;
constexpr int subFolders = 49; // per top folder: 40 + 40 * 49 = 2,000 folders
constexpr int filesPerFolder = 10;

QStringList images;
QStringList folders;

bool touch(const QString &path)
{
    QFile f(path);
    if (path.contains(QLatin1String(".iso")))
        images << path;
    return f.open(QIODevice::WriteOnly);
}

// A new modification time for every image file and every folder: to the program they are all
// new, as on a stick it has not listed before.
void changeImages(int round)
{
    const QDateTime when = QDateTime::currentDateTime().addSecs(-100 - round);
    for (const QString &path : images) {
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(when, QFileDevice::FileModificationTime))
            qFatal("cannot change %s", qPrintable(path));
    }
    for (const QString &path : folders) {
        const QByteArray name = QFile::encodeName(path);
        const timespec times[2] = { { 0, UTIME_OMIT }, { when.toSecsSinceEpoch(), 0 } };
        if (utimensat(AT_FDCWD, name.constData(), times, 0) != 0)
            qFatal("cannot change %s", name.constData());
    }
    // Written out before the listing starts: the writing of 3,000 dates is no part of it.
    sync();
}

// Every 20th file is an image; every other image is split in two parts.
bool layDevice(const QString &root)
{
    int n = 0;
    const auto fill = [&](const QString &dir) {
        for (int i = 0; i < filesPerFolder; ++i, ++n) {
            QString name;
            if (n % 40 == 0)
                name = QStringLiteral("image%1.iso").arg(n);
            else if (n % 40 == 20)
                name = QStringLiteral("split%1.iso.0").arg(n);
            else if (n % 40 == 21)
                name = QStringLiteral("split%1.iso.1").arg(n - 1);
            else
                name = QStringLiteral("file%1.dat").arg(n);
            if (!touch(dir + QLatin1Char('/') + name))
                return false;
        }
        return true;
    };
    for (int t = 0; t < topFolders; ++t) {
        const QString top = root + QStringLiteral("top%1").arg(t);
        if (!QDir().mkpath(top) || !fill(top))
            return false;
        folders << top;
        for (int s = 0; s < subFolders; ++s) {
            const QString sub = top + QStringLiteral("/sub%1").arg(s);
            if (!QDir().mkpath(sub) || !fill(sub))
                return false;
            folders << sub;
        }
    }
    return QDir().mkpath(root + QStringLiteral("config"))
        && touch(root + QStringLiteral("config/wandmenu.bin"));
}

// The record a stick gets from its copies: every image in it, so each listing matches its
// rows with a thousand entries.
bool recordImages(const QString &root)
{
    QList<RecordedImage> record;
    for (const QString &path : images) {
        if (path.endsWith(QLatin1String(".iso.1")))
            continue;
        RecordedImage image;
        image.path = path.mid(root.size() - 1);
        if (image.path.endsWith(QLatin1String(".0"))) {
            image.path.chop(2);
            image.parts = 2;
        }
        image.sha256 = QByteArray(64, 'a');
        image.verified = QDateTime::currentDateTimeUtc();
        record.append(image);
    }
    return ImageRecord::write(root, record);
}

int countRows(const QTreeWidget *tree)
{
    int rows = 0;
    QList<const QTreeWidgetItem *> todo;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        todo.append(tree->topLevelItem(i));
    while (!todo.isEmpty()) {
        const QTreeWidgetItem *item = todo.takeLast();
        ++rows;
        for (int i = 0; i < item->childCount(); ++i)
            todo.append(item->child(i));
    }
    return rows;
}

double cpuMs(int who)
{
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
        + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}


double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtMessageHandler quiet = [](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    };
    qInstallMessageHandler(quiet);
    // Never the user's own settings.
    QTemporaryDir settings;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    SysFixture sys;
    const QString root = sys.addDiscwand();
    if (!layDevice(root) || !recordImages(root)) {
        std::fprintf(stderr, "could not lay out the device under %s\n", qPrintable(root));
        return 1;
    }

    discShelf window;
    const bool ready = QTest::qWaitFor(
        [&] {
            for (const QAbstractState *s : window.scanCycle().configuration())
                if (s->objectName() == QLatin1String("readyState"))
                    return true;
            return false;
        },
        30000);
    auto *tree = window.findChild<isoTreeWidget *>();
    const int rows = countRows(tree);
    // 2,000 folders and 1,000 images; the device's own config folder is not listed.
    if (!ready || rows != 3000) {
        std::fprintf(stderr, "the window did not list the device (%d rows); is detection in?\n",
                     rows);
        return 1;
    }

    // Wall time, and CPU time, which stays meaningful on a machine busy with other work: the
    // whole process's, since the window lists in a thread of its own. A first listing counts
    // until its rows show; the headers of its images come after them, timed apart. find runs
    // in each round beside the listings, so that a machine whose speed drifts weighs on both.
    QList<double> first, firstCpu, headers, listing, listingCpu, find, findCpu;
    QElapsedTimer t;
    double cpuAtStart = 0, shownAt = -1, shownCpu = -1;
    QObject::connect(tree, &isoTreeWidget::rowsShown, [&] {
        if (shownAt < 0) {
            shownAt = t.nsecsElapsed() / 1e6;
            shownCpu = cpuMs(RUSAGE_SELF) - cpuAtStart;
        }
    });
    for (int i = 0; i < runs; ++i) {
        changeImages(i);
        // As when the stick is plugged in: the tree waits for it, and its rows are made anew.
        tree->showPlaceholder(QStringLiteral("<Searching for your discwand>"));
        shownAt = shownCpu = -1;
        cpuAtStart = cpuMs(RUSAGE_SELF);
        t.start();
        window.buildIsoList();
        const double all = t.nsecsElapsed() / 1e6;
        if (shownAt < 0)
            qFatal("a first listing showed no rows");
        first.append(shownAt);
        firstCpu.append(shownCpu);
        headers.append(all);

        cpuAtStart = cpuMs(RUSAGE_SELF);
        t.start();
        window.buildIsoList();
        listing.append(t.nsecsElapsed() / 1e6);
        listingCpu.append(cpuMs(RUSAGE_SELF) - cpuAtStart);

        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        const double cpu = cpuMs(RUSAGE_CHILDREN);
        t.start();
        p.start(QStringLiteral("find"), {root});
        p.waitForFinished(-1);
        find.append(t.nsecsElapsed() / 1e6);
        findCpu.append(cpuMs(RUSAGE_CHILDREN) - cpu);
        if (p.exitCode() != 0)
            return 1;
    }

    const double l0 = median(first), l0c = median(firstCpu);
    const double l = median(listing), lc = median(listingCpu);
    const double f = median(find), fc = median(findCpu);
    std::printf("device: 2,000 folders, 20,000 files (1,000 images), %d rows; median of %d runs\n",
                rows, runs);
    std::printf("                     wall ms    cpu ms\n");
    std::printf("first listing:      %8.2f  %8.2f   (until its rows show)\n", l0, l0c);
    std::printf("  with its headers: %8.2f\n", median(headers));
    std::printf("relisting:          %8.2f  %8.2f\n", l, lc);
    std::printf("find:               %8.2f  %8.2f\n", f, fc);
    std::printf("first / find:       %8.2f  %8.2f   (goal: 1.30 or less)\n", l0 / f, l0c / fc);
    std::printf("relisting / find:   %8.2f  %8.2f   (goal: 0.50 or less)\n", l / f, lc / fc);
    return 0;
}
