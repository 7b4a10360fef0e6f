// The WQL reader: which texts it accepts, what it reads from them, and how conditions and
// LIKE patterns decide whether an instance matches.
#include "detect/wqlquery.h"

#include <QTest>

class TestWql : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void condition_data();
    void condition();
    void like_data();
    void like();
};

void TestWql::read_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<QString>("expected"); // "kind|class|properties|key|key property|result class"
    QTest::newRow("select star") << "SELECT * FROM Win32_LogicalDisk" << "SELECT|Win32_LogicalDisk||||";
    QTest::newRow("select list, lower case") << "select name , access from win32_logicaldisk where name='x'"
                                             << "SELECT|win32_logicaldisk|name,access|||";
    QTest::newRow("associators with key property")
        << "associators of { Win32_DiskPartition.DeviceID = '/dev/sdb1' } where resultclass = Win32_LogicalDisk"
        << "ASSOCIATORS|Win32_DiskPartition||/dev/sdb1|DeviceID|Win32_LogicalDisk";
    QTest::newRow("associators, escaped key") << R"(ASSOCIATORS OF {Win32_LogicalDisk='/media/Bob\'s \\stick'})"
                                              << R"(ASSOCIATORS|Win32_LogicalDisk||/media/Bob's \stick||)";
    // Rejected texts.
    QTest::newRow("no FROM") << "SELECT DeviceID Win32_DiskDrive" << "";
    QTest::newRow("trailing comma") << "SELECT DeviceID, FROM Win32_DiskDrive" << "";
    QTest::newRow("unterminated string") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model = 'abc" << "";
    QTest::newRow("escape at the end") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model = 'abc\\" << "";
    QTest::newRow("unbalanced close") << "SELECT * FROM C WHERE a = 1)" << "";
    QTest::newRow("LIKE without string") << "SELECT * FROM C WHERE a LIKE b" << "";
    QTest::newRow("trailing words") << "SELECT * FROM C WHERE a = 1 b" << "";
    QTest::newRow("quote closed early by value")
        << "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='/media/Bob's stick'" << "";
    QTest::newRow("associators unquoted key") << "ASSOCIATORS OF {Win32_DiskDrive=x}" << "";
    QTest::newRow("other statement") << "DELETE FROM Win32_DiskDrive" << "";
    QTest::newRow("nested deeper than any query")
        << "SELECT * FROM C WHERE " + QString("NOT (").repeated(100000) + "a = 1" + QString(")").repeated(100000)
        << "";
}

void TestWql::read()
{
    QFETCH(QString, wql);
    const WqlQuery q = WqlQuery::parse(wql);
    const QStringList read = {q.kind() == WqlQuery::Select ? "SELECT" : "ASSOCIATORS", q.className(),
                              q.properties().join(','), q.objectKey(), q.keyProperty(), q.resultClass()};
    QTEST(q.isValid() ? read.join('|') : QString(), "expected"); // empty: rejected
}

void TestWql::condition_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("expected");
    // The instance: Name "/mnt/a b", Model "QUELLOR DISCWAND FLASH", Access 3, FileSystem null.
    QTest::newRow("equal is exact about case") << "Name = '/MNT/A B'" << false;
    QTest::newRow("not equal") << "Name <> '/mnt/a b'" << false;
    QTest::newRow("number") << "Access = 3" << true;
    QTest::newRow("number as text") << "Access = '3'" << true;
    QTest::newRow("number order") << "Access < 4 AND Access >= 3 AND NOT Access > 3" << true;
    QTest::newRow("not like") << "Model NOT LIKE 'QUELLOR WAND%'" << true;
    QTest::newRow("and binds tighter than or") << "Access = 3 OR Access = 1 AND Name = '/x'" << true;
    QTest::newRow("parentheses") << "(Access = 3 OR Access = 1) AND Name = '/x'" << false;
    QTest::newRow("not over parentheses") << "NOT (Access = 3 OR Access = 1)" << false;
    QTest::newRow("keywords in any case") << "access = 3 and not name = '/x' Or Access = 9" << true;
    QTest::newRow("null compares false") << "FileSystem = 'FAT32'" << false;
    QTest::newRow("null not equal is false too") << "FileSystem <> 'FAT32'" << false;
    QTest::newRow("is null") << "FileSystem IS NULL AND Name IS NOT NULL" << true;
}

void TestWql::condition()
{
    QFETCH(QString, where);
    QFETCH(bool, expected);
    const WqlQuery q = WqlQuery::parse(QStringLiteral("SELECT * FROM Win32_LogicalDisk WHERE ") + where);
    QVERIFY(q.isValid());
    const QVariantMap instance = {{"name", "/mnt/a b"},
                                  {"model", "QUELLOR DISCWAND FLASH"},
                                  {"access", qlonglong(3)},
                                  {"filesystem", QVariant()}};
    QCOMPARE(q.matches([&](const QString &p) { return instance.value(p.toLower()); }), expected);
}

void TestWql::like_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("miss");
    QTest::newRow("letter case ignored") << "quellor discwand flash%" << "QUELLOR DISCWAND FLASH 1.0" << "QUELLOR";
    QTest::newRow("percent in the middle") << "a%c" << "a-long-c" << "abcd";
    QTest::newRow("several percents") << "%a%b%c" << "xaybzc" << "xaybz";
    QTest::newRow("underscore") << "a_c" << "abc" << "ac";
    QTest::newRow("set") << "[abc]" << "b" << "d";
    QTest::newRow("range") << "[a-z]" << "m" << "5";
    QTest::newRow("negated set") << "[^a-z]" << "5" << "q";
    QTest::newRow("percent inside set is literal") << "[%]" << "%" << "x";
    QTest::newRow("unclosed bracket is literal") << "a[b" << "a[b" << "ab";
    QTest::newRow("empty pattern") << "" << "" << "a";
    QTest::newRow("percent takes more after a partial match") << "%aab" << "aaab" << "aaba";
    QTest::newRow("set after percent") << "%[ab]c" << "xxbc" << "xxbd";
    QTest::newRow("trailing percents match nothing") << "abc%%" << "abc" << "ab";
    QTest::newRow("many percents, long near miss")
        << QString("%a").repeated(12) + "%b" << QString("a").repeated(12) + "b" << QString("a").repeated(300);
}

void TestWql::like()
{
    QFETCH(QString, pattern);
    QFETCH(QString, match);
    QFETCH(QString, miss);
    QVERIFY(WqlQuery::like(match, pattern));
    QVERIFY(!WqlQuery::like(miss, pattern));
}

QTEST_APPLESS_MAIN(TestWql)
#include "tst_wql.moc"
