// The time left of a copy over both its stages, writing and reading back, from the byte counts
// the copy reports and when it reports them.
#include "copy/copyprogress.h"

#include <QTest>

class TestCopyProgress : public QObject
{
    Q_OBJECT
private slots:
    void secondsLeft_data();
    void secondsLeft();
};

void TestCopyProgress::secondsLeft_data()
{
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QStringList>("reports"); // "write|check MB@ms", a copy of 100 MB
    QTest::addColumn<qint64>("left");
    QTest::addColumn<QString>("text"); // how the line starts
    QTest::newRow("written only") << false << QStringList { "write 50@5000" } << qint64(5)
                                  << "50.0 MB of 100.0 MB, 10.0 MB/s";
    QTest::newRow("the read-back to come, at the writing speed")
        << true << QStringList { "write 50@5000" } << qint64(15) << "50.0 MB of 100.0 MB";
    QTest::newRow("the read-back timed afresh")
        << true << QStringList { "write 100@10000", "check 0@10000", "check 40@12000" } << qint64(3)
        << "checking the copy: 40.0 MB of 100.0 MB, 20.0 MB/s";
    QTest::newRow("the read-back not timed yet")
        << true << QStringList { "write 100@10000", "check 0@10000" } << qint64(-1)
        << "checking the copy: ";
}

void TestCopyProgress::secondsLeft()
{
    QFETCH(bool, readBack);
    QFETCH(QStringList, reports);
    QFETCH(qint64, left);
    QFETCH(QString, text);
    CopyProgress progress;
    progress.start(100'000'000, 0, readBack);
    for (const QString &report : reports) {
        const qint64 bytes = report.section(' ', 1).section('@', 0, 0).toLongLong() * 1'000'000;
        const qint64 ms = report.section('@', 1).toLongLong();
        if (report.startsWith("write"))
            progress.update(bytes, ms);
        else
            progress.check(bytes, ms);
    }
    QCOMPARE(progress.secondsLeft(), left);
    QVERIFY2(progress.text().startsWith(text), qPrintable(progress.text()));
}

QTEST_GUILESS_MAIN(TestCopyProgress)
#include "tst_copyprogress.moc"
