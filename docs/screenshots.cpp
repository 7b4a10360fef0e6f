// Shows the main window on a simulated discwand (and a second one beside it for the chooser),
// drives it into its main states and saves a PNG of each into the folder given on the command
// line. Run under Xvfb by docs/screenshots.sh.
#include "common/boxanswerer.h"
#include "common/nextdialog.h"
#include "common/testenv.h"
#include "simstick.h"
#include "ui/addressdialog.h"
#include "ui/discshelf.h"
#include "ui/isotreewidget.h"
#include "library/imagecheck.h"
#include "library/isolisting.h"
#include "library/translations.h"
#include "windowdriver.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QFileDialog>
#include <QHostAddress>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <functional>

namespace {

bool failed(const QString &why)
{
    QTextStream(stderr) << "screenshots: " << why << '\n';
    return false;
}

// The window and any box it shows, as a user sees them, on a transparent background.
bool shoot(discShelf &w, const QString &file)
{
    QTest::qWait(300); // let the last repaint reach the screen
    QList<QWidget *> shown{&w};
    if (QWidget *box = QApplication::activeModalWidget())
        shown << box;
    if (QWidget *menu = QApplication::activePopupWidget())
        shown << menu;
    QRect area;
    for (QWidget *widget : shown)
        area |= widget->frameGeometry();
    QPixmap canvas(area.size());
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    for (QWidget *widget : shown) {
        const QRect r = widget->frameGeometry();
        painter.drawPixmap(r.topLeft() - area.topLeft(),
                           w.screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()));
    }
    painter.end();
    if (!canvas.save(file))
        return failed(QStringLiteral("cannot save ") + file);
    QTextStream(stdout) << "wrote " << file << '\n';
    return true;
}

// Does what opens a modal dialog of type T (at once or a little later), and shoots the window
// with the dialog beside it; the dialog is then closed as with Escape.
template <typename T = QMessageBox>
bool showDialogBeside(discShelf &w, const QString &file, const std::function<void()> &open)
{
    bool shot = false;
    QTimer poll;
    poll.setInterval(250);
    QObject::connect(&poll, &QTimer::timeout, &w, [&] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || shot)
            return;
        // Without a window manager the dialog would cover the window: show it beside it.
        dialog->move(w.frameGeometry().right() + 12, w.y());
        shot = shoot(w, file);
        dialog->reject();
    });
    poll.start();
    open();
    (void)QTest::qWaitFor([&] { return shot; }, 10000);
    return shot;
}

void writeSource(const QString &path, qint64 size)
{
    // Images that boot: the drop asks about any other.
    QByteArray bytes(int(size), 'i');
    TestEnv::stampBootable(bytes);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

bool run(const QString &out)
{
    const QString reason = SimStick::unavailableReason();
    if (!reason.isEmpty())
        return failed(QStringLiteral("no simulated discwand: ") + reason);
    // The size the simulator gives by default, as ./run.sh --simulate shows it.
    SimStick stick(SimStick::Options { 256 });
    if (!stick.isValid())
        return failed(stick.error());
    qputenv("DISCSHELF_SYSROOT", stick.sysroot().toLocal8Bit());

    discShelf w;
    w.move(40, 40);
    w.show();
    WindowDriver app(w);
    if (!app.waitForReady())
        return failed(QStringLiteral("the window never settled"));
    if (!shoot(w, out + QStringLiteral("/waiting.png")))
        return false;

    if (!stick.plug())
        return failed(stick.error());
    if (!app.waitForRows({QStringLiteral("/linux/tools/memtest86.iso")}) || !app.waitForReady())
        return failed(QStringLiteral("the stick's images never showed"));
    app.reveal(QStringLiteral("/linux/tools/memtest86.iso"));
    app.select(QStringLiteral("/linux/debian-12-netinst.iso"));
    if (!shoot(w, out + QStringLiteral("/stick.png")))
        return false;

    // The filter box narrowing the list, then cleared.
    auto *filter = w.findChild<QLineEdit *>(QStringLiteral("filterBox"));
    if (!filter)
        return failed(QStringLiteral("no filter box"));
    QTest::keyClicks(filter, QStringLiteral("tools"));
    if (!shoot(w, out + QStringLiteral("/filter.png")))
        return false;
    filter->clear();

    // Renaming an image (F2): the dialog with its name, cancelled.
    app.select(QStringLiteral("/linux/ubuntu-24.04-desktop.iso"));
    if (!showDialogBeside<QInputDialog>(w, out + QStringLiteral("/rename.png"), [&] {
            w.findChild<QAction *>(QStringLiteral("actionRename"))->trigger();
        }))
        return failed(QStringLiteral("the rename dialog never showed"));

    // Sync Folder: the plan for a folder of three images (one already on the stick), answered No.
    QTemporaryDir syncFolder;
    for (const QString &name : { QStringLiteral("alpine-3.20.iso"), QStringLiteral("systemrescue-11.iso") })
        writeSource(syncFolder.filePath(name), 2 * 1024 * 1024);
    QFile::copy(stick.deviceRoot() + QStringLiteral("linux/debian-12-netinst.iso"),
                syncFolder.filePath(QStringLiteral("debian-12-netinst.iso")));
    app.select(QStringLiteral("/linux/debian-12-netinst.iso"));
    // The folder dialog is answered with the folder, then the plan's question is shot.
    bool planShot = false;
    QTimer poll;
    poll.setInterval(250);
    QObject::connect(&poll, &QTimer::timeout, &w, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            dialog->setDirectory(syncFolder.path());
            static_cast<QDialog *>(dialog)->accept();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal); box && box->isVisible() && !planShot) {
            box->move(w.frameGeometry().right() + 12, w.y());
            planShot = shoot(w, out + QStringLiteral("/sync.png"));
            box->reject();
        }
    });
    poll.start();
    w.findChild<QAction *>(QStringLiteral("actionSyncFolder"))->trigger();
    poll.stop();
    if (!planShot)
        return failed(QStringLiteral("the sync plan never showed"));

    // The list's menu on a split image, then the question its Delete asks (answered No).
    const QString split = QStringLiteral("/big.iso");
    const QPoint at = app.reveal(split);
    QWidget *viewport = app.tree()->viewport();
    bool menuShot = false;
    QTimer::singleShot(500, &w, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menu->setActiveAction(w.findChild<QAction *>(QStringLiteral("actionDelete")));
        menuShot = shoot(w, out + QStringLiteral("/menu.png"));
        menu->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &click);
    if (!menuShot)
        return failed(QStringLiteral("the list's menu never showed"));
    if (!showDialogBeside(w, out + QStringLiteral("/delete.png"), [&] {
            w.findChild<QAction *>(QStringLiteral("actionDelete"))->trigger();
        }))
        return failed(QStringLiteral("the delete question never showed"));
    app.select(QStringLiteral("/linux/debian-12-netinst.iso"));

    // A drop of three images: the window shows both progress rows while the first is copied.
    QTemporaryDir sources;
    const QStringList names{QStringLiteral("fedora-40-live.iso"), QStringLiteral("kali-linux.iso"),
                            QStringLiteral("ubuntu-24.04-server.iso")};
    QStringList files;
    for (const QString &name : names) {
        files << sources.filePath(name);
        writeSource(files.last(), 48 * 1024 * 1024);
    }
    app.drop(QStringLiteral("/linux"), files);
    auto *bar = w.findChild<QProgressBar *>(QStringLiteral("progressBarCurrentFile"));
    if (!QTest::qWaitFor([&] { return bar->isVisible() && bar->value() >= 30; }, 60000))
        return failed(QStringLiteral("no copy got under way"));
    if (!shoot(w, out + QStringLiteral("/copying.png")))
        return false;
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnCancelAll")), Qt::LeftButton);
    if (!app.waitForBatchEnd())
        return failed(QStringLiteral("the copies did not stop"));

    // An image downloaded straight onto the stick as one more file of a batch, after a copy and
    // before another, arriving at a steady pace so that its speed shows.
    const QByteArray body(24 * 1024 * 1024, 'x');
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return failed(QStringLiteral("no server for the download"));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&body, socket] {
            if (!socket->readAll().startsWith("GET /releases/rescue-2.1.iso ")) {
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
                return;
            }
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                          + "\r\nConnection: close\r\n\r\n");
            auto *pace = new QTimer(socket);
            QObject::connect(pace, &QTimer::timeout, socket,
                             [&body, socket, sent = qint64(0)]() mutable {
                                 socket->write(body.mid(sent, 128 * 1024));
                                 sent += 128 * 1024;
                                 if (sent >= body.size())
                                     socket->disconnectFromHost();
                             });
            pace->start(40);
        });
    });
    app.drop(QStringLiteral("/linux"), { files.at(1) });
    if (!QTest::qWaitFor([&] { return bar->isVisible(); }, 30000))
        return failed(QStringLiteral("no copy before the download"));
    onNextDialog<AddressDialog>([&](AddressDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("address"))
            ->setText(QStringLiteral("http://127.0.0.1:%1/releases/rescue-2.1.iso")
                          .arg(server.serverPort()));
        dialog->findChild<QLineEdit *>(QStringLiteral("folder"))->setText(QStringLiteral("/linux/"));
        dialog->accept();
    });
    auto *address = w.findChild<QAction *>(QStringLiteral("actionGetFromAddress"));
    if (!address || !address->isEnabled())
        return failed(QStringLiteral("Get Image from Address is not offered"));
    address->trigger();
    app.drop(QStringLiteral("/linux"), { files.at(2) });
    auto *current = w.findChild<QLabel *>(QStringLiteral("lblCurrentFile"));
    if (!QTest::qWaitFor([&] { return current->text().startsWith(QLatin1String("rescue"))
                                   && bar->value() >= 30; }, 60000))
        return failed(QStringLiteral("no download got under way: file %1, bar at %2")
                          .arg(current->text())
                          .arg(bar->value()));
    const bool downloadShot = shoot(w, out + QStringLiteral("/download.png"));
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnCancelAll")), Qt::LeftButton);
    if (!downloadShot || !app.waitForBatchEnd())
        return failed(QStringLiteral("the download did not end"));

    // The read-only switch: what would write is off, and a double-click on an image says why.
    stick.setReadOnly(true);
    app.select(QStringLiteral("/linux/debian-12-netinst.iso"));
    auto *load = w.findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
    if (!QTest::qWaitFor([&] { return !load->isEnabled(); }, 5000))
        return failed(QStringLiteral("the read-only switch was not seen"));
    const bool shot = showDialogBeside(w, out + QStringLiteral("/read-only.png"), [&] {
        w.loadSelectedISO();
    });
    stick.setReadOnly(false);
    if (!shot)
        return failed(QStringLiteral("the read-only warning never showed"));

    // A second stick plugged in while the first copies: the chooser above the list, free
    // during the copy, opened on both.
    SimStick second(
        SimStick::Options { 64, true, true, QStringLiteral("CLASSROOM"), QStringLiteral("sdy") },
        stick);
    if (!second.isValid() || !second.plug())
        return failed(second.error());
    auto *chooser = w.findChild<QComboBox *>(QStringLiteral("stickChooser"));
    if (!QTest::qWaitFor([&] { return chooser->isVisible() && chooser->count() == 2; }, 10000)
        || !app.waitForReady())
        return failed(QStringLiteral("the chooser never showed"));
    app.drop(QStringLiteral("/linux"), { files.first() });
    if (!QTest::qWaitFor([&] { return bar->isVisible() && bar->value() >= 30; }, 60000))
        return failed(QStringLiteral("no copy got under way beside the second stick"));
    chooser->showPopup();
    chooser->view()->setCurrentIndex(chooser->model()->index(chooser->currentIndex(), 0));
    const bool chooserShot = shoot(w, out + QStringLiteral("/several.png"));
    chooser->hidePopup();
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnCancelCurrentFile")),
                      Qt::LeftButton);
    if (!app.waitForBatchEnd())
        return failed(QStringLiteral("the copy beside the second stick did not stop"));
    if (!chooserShot || !second.unplug()
        || !QTest::qWaitFor([&] { return chooser->isHidden(); }, 10000))
        return failed(QStringLiteral("the second stick did not go"));

    // Eject on a stick no disk service manages: written out, and the user told what is left.
    auto *eject = w.findChild<QPushButton *>(QStringLiteral("btnEject"));
    if (!app.waitForReady() || !QTest::qWaitFor([&] { return eject->isEnabled(); }, 10000))
        return failed(QStringLiteral("Eject never became available"));
    if (!showDialogBeside(w, out + QStringLiteral("/eject.png"), [&] {
            QTest::mouseClick(eject, Qt::LeftButton);
        }))
        return failed(QStringLiteral("the eject advice never showed"));

    // Problems: an image that will not boot and a split image missing a part, marked in the
    // list, and the menu saying what a click on each does.
    const QString root = stick.deviceRoot();
    QFile plain(root + QStringLiteral("linux/notes.iso"));
    if (!plain.open(QIODevice::WriteOnly) || plain.write(QByteArray(64 * 1024, 'n')) < 0)
        return failed(QStringLiteral("no image that will not boot"));
    plain.close();
    if (!QFile::copy(root + QStringLiteral("big.iso.0"), root + QStringLiteral("old.iso.0"))
        || !QFile::copy(root + QStringLiteral("big.iso.1"), root + QStringLiteral("old.iso.2")))
        return failed(QStringLiteral("no broken split image"));
    w.buildIsoList();
    if (!app.waitForRows({QStringLiteral("/linux/notes.iso"), QStringLiteral("/old.iso")}))
        return failed(QStringLiteral("the problems never showed"));
    app.reveal(QStringLiteral("/linux/notes.iso"));
    auto *problems = w.findChild<QToolButton *>(QStringLiteral("btnProblems"));
    bool problemsShot = false;
    QTimer::singleShot(500, &w, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menu->setActiveAction(menu->actions().value(1));
        problemsShot = shoot(w, out + QStringLiteral("/problems.png"));
        menu->close();
    });
    problems->showMenu();
    if (!problemsShot)
        return failed(QStringLiteral("the problems menu never showed"));
    if (!showDialogBeside(w, out + QStringLiteral("/keep.png"), [&] {
            problems->menu()->actions().value(0)->trigger();
        }))
        return failed(QStringLiteral("the question to delete or keep never showed"));

    // Check Images on a stick whose record knows its images, one of which lost a byte.
    {
        ImageCheck record(root);
        QList<ImageVerdict> verdicts;
        const std::atomic<bool> never { false };
        for (const QString &path : ImageCheck::everything(root, IsoListing::read(root)))
            verdicts << record.check(path, [](qint64) {}, never);
        record.save(verdicts);
    }
    QFile lost(root + QStringLiteral("linux/ubuntu-24.04-desktop.iso"));
    const QDateTime time = QFileInfo(lost).lastModified();
    if (!lost.open(QIODevice::ReadWrite) || !lost.seek(400000) || lost.write("?") != 1
        || !lost.setFileTime(time, QFileDevice::FileModificationTime))
        return failed(QStringLiteral("no byte lost"));
    lost.close();
    w.findChild<isoTreeWidget *>()->clearSelection();
    if (!showDialogBeside(w, out + QStringLiteral("/check.png"), [&] {
            w.findChild<QAction *>(QStringLiteral("actionCheckImages"))->trigger();
        }))
        return failed(QStringLiteral("the check's results never showed"));

    w.close();
    stick.unplug();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestEnv::isolate();
    Translations::install();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    // A box nobody expected would wait for a click forever.
    QTimer::singleShot(180000, &app, [] {
        failed(QStringLiteral("gave up after 3 minutes (an unexpected message box?)"));
        std::_Exit(1);
    });
    return run(out) ? 0 : 1;
}
