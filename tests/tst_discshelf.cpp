// The main window: form, prepared boxes, geometry, and the scan cycle's transitions.
#include "common/boxanswerer.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/scsidrivedetector.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QState>
#include <QTest>

class TestDiscShelf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void init() { QSettings().clear(); }

    void titleAndForm();
    void initialVisibility_data();
    void initialVisibility();
    void preparedBoxes_data();
    void preparedBoxes();
    void geometryRoundTrip();
    void cycleRunsThroughToReady();
    void restartSignals_data();
    void restartSignals();
    void abortScanHidesAndFlags();
    void refreshFailureWayOut();
};

static QState *state(discShelf &w, const char *name)
{
    return w.scanCycle().findChild<QState *>(QLatin1String(name));
}

void TestDiscShelf::titleAndForm()
{
    SysFixture sys;
    discShelf w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Discshelf r39"));
    QCOMPARE(w.objectName(), QStringLiteral("discShelfClass"));
    QCOMPARE(w.size(), QSize(293, 333));
    auto *tree = w.findChild<isoTreeWidget *>();
    QVERIFY(tree);
    // The list sits above the Refresh / Load ISO row.
    auto *layout = w.centralWidget()->layout();
    QCOMPARE(layout->itemAt(0)->widget(), tree);
    QCOMPARE(tree->columnCount(), 2); // names and sizes
    QCOMPARE(w.findChild<QPushButton *>("btnRefresh")->text(), QStringLiteral("&Refresh"));
    QCOMPARE(w.findChild<QPushButton *>("btnLoadISO")->text(), QStringLiteral("&Load ISO"));
    QVERIFY(!w.findChild<QPushButton *>("btnLoadISO")->isEnabled());
    auto *slider = w.findChild<QSlider *>("horizontalSliderBrightness");
    QVERIFY(!slider->isEnabled());
    QCOMPARE(slider->maximum(), 100);
    QCOMPARE(slider->value(), 100);
    QCOMPARE(w.findChild<QLabel *>("label")->buddy(), slider);
    QCOMPARE(w.findChild<QLabel *>("lblScanning")->sizePolicy().horizontalPolicy(),
             QSizePolicy::Ignored);
    QCOMPARE(w.findChild<QPushButton *>("btnAbort")->text(), QStringLiteral("&Abort Scan"));
}

void TestDiscShelf::initialVisibility_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");
    for (const char *hidden : {"btnCancelAll", "btnCancelCurrentFile", "lblCurrentFile",
                               "lblOverallProgress", "progressBarOverall", "progressBarCurrentFile",
                               "btnAbort", "lblScanning", "label", "horizontalSliderBrightness"})
        QTest::newRow(hidden) << QString::fromLatin1(hidden) << false;
    QTest::newRow("btnRefresh") << QStringLiteral("btnRefresh") << true;
    QTest::newRow("btnLoadISO") << QStringLiteral("btnLoadISO") << true;
}

void TestDiscShelf::initialVisibility()
{
    QFETCH(QString, name);
    QFETCH(bool, visible);
    SysFixture sys;
    discShelf w;
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    auto *widget = w.findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->isVisible(), visible);
}

void TestDiscShelf::preparedBoxes_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("textStart");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::newRow("writeFailed") << "Couldn't write to discwand"
                                 << "Couldn't get write access to your discwand.\nPlease check "
                                    "that the read-only switch is in the read/write position.\nYou "
                                    "may need to replug the discwand for this to take effect.\n\n"
                                    "If this problem persists, contact support@quellor-makeworth.com"
                                 << int(QMessageBox::Warning) << int(QMessageBox::NoButton)
                                 << int(QMessageBox::NoButton);
    QTest::newRow("nonIso") << "Ignoring non-ISO files!"
                            << "You dropped some non-ISO files here.\nI'm only going to copy ISO "
                               "files, and ignore the others.\n\nIf that's not okay with you, hit "
                               "Abort and I won't do anything.\nOtherwise, hit Ok and I'll go ahead "
                               "and copy only the ISO files."
                            << int(QMessageBox::Information)
                            << int(QMessageBox::Ok | QMessageBox::Abort) << int(QMessageBox::Abort);
    QTest::newRow("deviceGone") << "discwand disappeared!"
                                << "The discwand disappeared, interrupting an ongoing operation.\n"
                                   "If you believe this message is in error, please contact "
                                   "support@quellor-makeworth.com"
                                << int(QMessageBox::Warning) << int(QMessageBox::NoButton)
                                << int(QMessageBox::NoButton);
}

void TestDiscShelf::preparedBoxes()
{
    QFETCH(QString, title);
    QFETCH(QString, textStart);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    SysFixture sys;
    discShelf w;
    QMessageBox *box = nullptr;
    for (QMessageBox *b : w.findChildren<QMessageBox *>())
        if (b->windowTitle() == title)
            box = b;
    QVERIFY(box);
    QCOMPARE(box->text(), textStart);
    QCOMPARE(int(box->icon()), icon);
    QVERIFY(box->isModal());
    QCOMPARE(box->parent(), &w);
    QCOMPARE(int(box->standardButtons()), buttons);
    if (defaultButton != QMessageBox::NoButton)
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::StandardButton(defaultButton)));
}

void TestDiscShelf::geometryRoundTrip()
{
    SysFixture sys;
    QRect saved;
    {
        discShelf w;
        w.show();
        w.setGeometry(40, 50, 420, 380);
        QTest::qWait(20);
        saved = w.geometry();
        QVERIFY(w.close());
    }
    QVERIFY(QSettings().contains(QStringLiteral("geom")));
    discShelf again;
    QCOMPARE(again.size(), saved.size());
    QCOMPARE(again.geometry().topLeft(), saved.topLeft());
}

void TestDiscShelf::cycleRunsThroughToReady()
{
    SysFixture sys;
    discShelf w;
    QStringList entered;
    for (const char *name : {"locatingState", "checkingState", "listingState", "readyState"})
        connect(state(w, name), &QState::entered, this,
                [&entered, name] { entered << QString::fromLatin1(name); });
    auto *tree = w.findChild<isoTreeWidget *>();
    QStringList treeDuringChecking;
    connect(state(w, "checkingState"), &QState::entered, this,
            [&] { treeDuringChecking << tree->topLevelItem(0)->text(0); });
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(entered, QStringList({"locatingState", "checkingState", "listingState", "readyState"}));
    QCOMPARE(treeDuringChecking, QStringList("<Searching for your discwand>"));
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("<Waiting for an discwand to appear>"));
}

void TestDiscShelf::restartSignals_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("busy"); // sent while checking, else once ready
    QTest::addColumn<int>("cycles");
    QTest::newRow("T1 refresh click") << "refresh" << false << 2;
    QTest::newRow("T2 driveDisappeared") << "disappeared" << false << 2;
    QTest::newRow("T3 driveDisappeared while busy starts over") << "disappeared" << true << 2;
    QTest::newRow("T4 youShouldRefreshNow") << "refreshNow" << false << 2;
    QTest::newRow("youShouldRefreshNow ignored while busy") << "refreshNow" << true << 1;
    QTest::newRow("Refresh ignored while busy") << "refresh" << true << 1;
}

void TestDiscShelf::restartSignals()
{
    QFETCH(QString, trigger);
    QFETCH(bool, busy);
    QFETCH(int, cycles);
    SysFixture sys;
    discShelf w;
    auto *detector = w.findChild<ScsiDriveDetector *>();
    auto *refresh = w.findChild<QPushButton *>("btnRefresh");
    const auto send = [&] {
        if (trigger == "refresh" && busy)
            emit refresh->clicked();
        else if (trigger == "refresh")
            QTest::mouseClick(refresh, Qt::LeftButton);
        else if (trigger == "disappeared")
            emit detector->driveDisappeared();
        else
            emit detector->youShouldRefreshNow();
    };
    int checking = 0;
    connect(state(w, "checkingState"), &QState::entered, this, [&] {
        if (++checking == 1 && busy)
            send();
    });
    QSignalSpy locating(state(w, "locatingState"), &QState::entered);
    QSignalSpy busyEntered(state(w, "busyState"), &QState::entered);
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    if (!busy) {
        send();
        QTRY_COMPARE(locating.count(), 2);
        QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    }
    QTest::qWait(50);
    QCOMPARE(locating.count(), cycles);
    QCOMPARE(busyEntered.count(), cycles);
    QCOMPARE(checking, cycles);
}

void TestDiscShelf::abortScanHidesAndFlags()
{
    SysFixture sys;
    discShelf w;
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    auto *abort = w.findChild<QPushButton *>("btnAbort");
    auto *scanning = w.findChild<QLabel *>("lblScanning");
    abort->show();
    scanning->show();
    QTest::mouseClick(abort, Qt::LeftButton);
    QVERIFY(!abort->isVisible());
    QVERIFY(!scanning->isVisible());
    // The flag is observable through the drop scan: the next examined drop is abandoned at once.
}

void TestDiscShelf::refreshFailureWayOut()
{
    SysFixture sys;
    const QString root = sys.addDiscwand();
    // With its selector program installed the stick brings no question.
    QDir(root).mkpath(QStringLiteral("config"));
    QFile(root + QStringLiteral("config/wandmenu.bin")).open(QIODevice::WriteOnly);
    discShelf w;
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    // The system's description of its disks goes away: the next pass cannot look.
    sys.vanish(QStringLiteral("sys/block"));
    QSignalSpy locating(state(w, "locatingState"), &QState::entered);
    QTest::mouseClick(w.findChild<QPushButton *>("btnRefresh"), Qt::LeftButton);
    QVERIFY(locating.count() == 1 || locating.wait(2000));
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QVERIFY(w.findChild<QPushButton *>("btnRefresh")->isVisible());
    QVERIFY(w.findChild<QPushButton *>("btnLoadISO")->isVisible());
    auto *tree = w.findChild<isoTreeWidget *>();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0),
             QStringLiteral("<Couldn't look for your discwand. Click Refresh to try again.>"));
    QCOMPARE(w.findChild<ScsiDriveDetector *>()->drivePath(), QString());
}

QTEST_MAIN(TestDiscShelf)
#include "tst_discshelf.moc"
