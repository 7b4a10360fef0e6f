// End to end on a simulated discwand: finding it while running, choosing the image to load,
// fetching the selector program, and renaming and dragging images within the tree, each checked
// on the unplugged volume with fsck.fat and mtools.
#include "common/boxanswerer.h"
#include "common/nextdialog.h"
#include "common/testenv.h"
#include "e2echecks.h"
#include "fatimage.h"
#include "simstick.h"
#include "ui/discshelf.h"
#include "ui/isotreewidget.h"
#include "windowdriver.h"

#include <QAction>
#include <QHostAddress>
#include <QInputDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTreeWidget>

class TestE2eLibrary : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { qunsetenv("DISCSHELF_SYSROOT"); }

    void plugWhileRunning();
    void loadIso_data();
    void loadIso();
    void selectorProgramDownloaded();
    void renameAndDrag();
};

void TestE2eLibrary::initTestCase()
{
    E2E_INIT();
}

void TestE2eLibrary::plugWhileRunning()
{
    SimStick stick;
    REQUIRE_STICK(stick);
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady());
    QCOMPARE(app.rows(), QStringList{QStringLiteral("/<Waiting for a discwand to appear>")});

    QVERIFY2(stick.plug(), qPrintable(stick.error()));
    // The device's own config folder is no place for images and gets no row.
    const QStringList expected{QStringLiteral("/big.iso"),
                               QStringLiteral("/linux"),
                               QStringLiteral("/linux/debian-12-netinst.iso"),
                               QStringLiteral("/linux/ubuntu-24.04-desktop.iso"),
                               QStringLiteral("/linux/tools"),
                               QStringLiteral("/linux/tools/gparted-live.iso"),
                               QStringLiteral("/linux/tools/memtest86.iso"),
                               QStringLiteral("/windows"),
                               QStringLiteral("/windows/winpe-rescue.iso")};
    QVERIFY2(app.waitForRows(expected), qPrintable(app.rows().join(QLatin1Char(' '))));
    QVERIFY(app.waitForReady());
    // The second part of a split image and the selector program get no row.
    QVERIFY(!app.rows().contains(QStringLiteral("/big.iso.1")));
    QVERIFY(!app.rows().contains(QStringLiteral("/config/wandmenu.bin")));

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    QVERIFY(QTest::qWaitFor([&] {
        return app.rows() == QStringList{QStringLiteral("/<Waiting for a discwand to appear>")};
    }, 10000));
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eLibrary::loadIso_data()
{
    QTest::addColumn<QString>("before"); // chosen first, with the button
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QByteArray>("expected"); // null: the file must not exist
    // A shorter name after a longer one: nothing of the old choice may be left behind it.
    QTest::newRow("split image after a nested one, button")
        << "/linux/tools/memtest86.iso" << "/big.iso" << false << false << QByteArray("/big.iso");
    QTest::newRow("nested image, button")
        << "" << "/linux/tools/memtest86.iso" << false << false << QByteArray("/linux/tools/memtest86.iso");
    QTest::newRow("image, double-click")
        << "" << "/windows/winpe-rescue.iso" << true << false << QByteArray("/windows/winpe-rescue.iso");
    // Load ISO is off with the switch set; a double-click still hears why.
    QTest::newRow("read-only switch set")
        << "" << "/linux/debian-12-netinst.iso" << true << true << QByteArray();
}

void TestE2eLibrary::loadIso()
{
    QFETCH(QString, before);
    QFETCH(QString, row);
    QFETCH(bool, doubleClick);
    QFETCH(bool, readOnly);
    QFETCH(QByteArray, expected);
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    QVERIFY(stick.setReadOnly(readOnly));
    BoxAnswerer boxes;
    discShelf w;
    WindowDriver app(w);
    QVERIFY2(app.waitForRows({row}), qPrintable(app.rows().join(QLatin1Char(' '))));
    QVERIFY(app.waitForReady());
    auto *button = w.findChild<QPushButton *>(QStringLiteral("btnLoadISO"));
    if (!before.isEmpty()) {
        QVERIFY(app.select(before));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(app.waitForReady());
    }
    QVERIFY(app.select(row));
    if (readOnly)
        boxes.answer(QMessageBox::Ok);
    if (doubleClick) {
        app.doubleClick(row);
    } else {
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QVERIFY(QTest::qWaitFor([&] { return boxes.pending() == 0; }, 10000));
    QCOMPARE(boxes.titles(),
             readOnly ? QStringList{QStringLiteral("Couldn't write to discwand")} : QStringList());

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    if (expected.isNull()) {
        QVERIFY(!fat.contains(QStringLiteral("/config/iso_filename.txt")));
    } else {
        QCOMPARE(fat.read(QStringLiteral("/config/iso_filename.txt")), expected);
    }
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

void TestE2eLibrary::selectorProgramDownloaded()
{
    // A body of several chunks, so the download really streams.
    QByteArray body;
    for (int i = 0; i < 20000; ++i)
        body += QByteArray::number(i * 7919 % 100003) + '\n';
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    int requests = 0;
    connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
            if (!socket->readAll().contains("GET /wandmenu.bin "))
                return;
            ++requests;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          "Content-Length: " + QByteArray::number(body.size())
                          + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });

    SimStick::Options options;
    options.wandmenu = false;
    SimStick stick(options);
    REQUIRE_STICK(stick);
    BoxAnswerer boxes;
    discShelf w;
    w.setDownloadUrl(QUrl(QStringLiteral("http://127.0.0.1:%1/wandmenu.bin").arg(server.serverPort())));
    WindowDriver app(w);
    QVERIFY(app.waitForReady());
    boxes.answer(QMessageBox::Yes);
    QVERIFY(stick.plug());
    QVERIFY(app.waitForReady({QStringLiteral("/linux/tools/memtest86.iso")}));
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("wandmenu is missing!")});
    // The download runs beside the cycle, which lists the stick without waiting for it.
    QTRY_COMPARE(requests, 1);
    QTRY_VERIFY(w.findChild<QWidget *>(QStringLiteral("lblDownload"))->isHidden());

    QVERIFY2(stick.unplug(), qPrintable(stick.error()));
    FatImage fat(stick.image());
    QCOMPARE(fat.read(QStringLiteral("/config/wandmenu.bin")), body);
    VERIFY_CLEAN(stick);
    VERIFY_NO_STRAY_BOX(app);
}

// F2 renames the split boot image, the choice following; a drag moves an image to a folder.
void TestE2eLibrary::renameAndDrag()
{
    SimStick stick;
    REQUIRE_STICK(stick);
    QVERIFY(stick.plug());
    QVERIFY(TestEnv::writeFile(stick.deviceRoot() + "config/iso_filename.txt", "/big.iso"));
    const QByteArray memtest = TestEnv::readFile(stick.deviceRoot() + "linux/tools/memtest86.iso");
    discShelf w;
    WindowDriver app(w);
    QVERIFY(app.waitForReady({ "/big.iso" }));

    QVERIFY(app.select("/big.iso"));
    onNextDialog<QInputDialog>([](QInputDialog *dialog) {
        dialog->setTextValue("Rescue.iso");
        dialog->accept();
    });
    w.findChild<QAction *>("actionRename")->trigger();
    QVERIFY(app.waitForReady({ "/Rescue.iso" }));
    app.dragRow("/linux/tools/memtest86.iso", "/windows");
    QVERIFY(app.waitForReady({ "/windows/memtest86.iso" }));
    VERIFY_NO_STRAY_BOX(app);
    w.close();

    QVERIFY(stick.unplug());
    VERIFY_CLEAN(stick);
    FatImage fat(stick.image());
    QCOMPARE(fat.read("/config/iso_filename.txt"), QByteArray("/Rescue.iso"));
    QVERIFY(!fat.read("/Rescue.iso.1").isEmpty());
    QCOMPARE(fat.read("/windows/memtest86.iso"), memtest);
    QVERIFY(!fat.entries().join(' ').contains("big.iso"));
}

QTEST_MAIN(TestE2eLibrary)
#include "tst_e2e_library.moc"
