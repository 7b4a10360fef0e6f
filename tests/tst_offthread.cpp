// Work done off the GUI thread: the GUI thread's timers go on meanwhile (the window keeps
// painting and showing copies), and the work's result comes back.
#include "copy/offthread.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

class TestOffThread : public QObject
{
    Q_OBJECT
private slots:
    void eventsGoOn();
};

void TestOffThread::eventsGoOn()
{
    // The work ends only once a timer of the GUI thread has fired.
    QSemaphore timerFired;
    QTimer::singleShot(10, [&] { timerFired.release(); });
    const QString result = OffThread::wait([&] {
        return timerFired.tryAcquire(1, 5000) ? QStringLiteral("done") : QStringLiteral("frozen");
    });
    QCOMPARE(result, "done");
}

QTEST_GUILESS_MAIN(TestOffThread)
#include "tst_offthread.moc"
