// The main window: its prepared question, geometry, and the scan cycle's transitions.
#include "common/boxanswerer.h"
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "detect/scsidrivedetector.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QState>
#include <QTest>

class TestDiscShelf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void init() { QSettings().clear(); }

    void nonImageQuestionDefaultsToAbort();
    void geometryRoundTrip();
    void cycleRunsThroughToReady();
    void restartSignals_data();
    void restartSignals();
    void refreshFailureWayOut();
};

static QState *state(discShelf &w, const char *name)
{
    return w.scanCycle().findChild<QState *>(QLatin1String(name));
}

// Enter on the question about files that are no images must copy nothing.
void TestDiscShelf::nonImageQuestionDefaultsToAbort()
{
    SysFixture sys;
    discShelf w;
    for (QMessageBox *box : w.findChildren<QMessageBox *>())
        if (box->windowTitle() == QLatin1String("Ignoring non-ISO files!")) {
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Abort));
            return;
        }
    QFAIL("no question about files that are no images");
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
    QVERIFY(QSettings().contains(QStringLiteral("windowSize")));
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
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("<Waiting for a discwand to appear>"));
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

void TestDiscShelf::refreshFailureWayOut()
{
    SysFixture sys;
    const QString root = sys.addDiscwand();
    // With its selector program installed the stick brings no question.
    QVERIFY(TestEnv::writeFile(root + QStringLiteral("config/wandmenu.bin"), {}));
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
