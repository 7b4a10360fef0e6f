// The WQL reader: which texts it accepts, what it reads from them, and how conditions and
// LIKE patterns decide whether an instance matches.
#include "detect/wqlquery.h"

#include <QTest>

class TestWql : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void rejects_data();
    void rejects();
    void condition_data();
    void condition();
    void like_data();
    void like();
};

void TestWql::parse_data()
{
    QTest::addColumn<QString>("wql");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("keyProperty");
    QTest::addColumn<QString>("resultClass");

    QTest::newRow("select one") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model LIKE 'Q D%'"
                                << int(WqlQuery::Select) << "Win32_DiskDrive"
                                << QStringList("DeviceID") << "" << "" << "";
    QTest::newRow("select star") << "SELECT * FROM Win32_LogicalDisk" << int(WqlQuery::Select)
                                 << "Win32_LogicalDisk" << QStringList() << "" << "" << "";
    QTest::newRow("select list, lower case") << "select name , access from win32_logicaldisk where name='x'"
                                             << int(WqlQuery::Select) << "win32_logicaldisk"
                                             << QStringList({"name", "access"}) << "" << "" << "";
    QTest::newRow("associators") << "ASSOCIATORS OF {Win32_DiskDrive='/dev/sdb'} WHERE ResultClass=Win32_DiskPartition"
                                 << int(WqlQuery::Associators) << "Win32_DiskDrive" << QStringList()
                                 << "/dev/sdb" << "" << "Win32_DiskPartition";
    QTest::newRow("associators with key property")
        << "associators of { Win32_DiskPartition.DeviceID = '/dev/sdb1' } where resultclass = Win32_LogicalDisk"
        << int(WqlQuery::Associators) << "Win32_DiskPartition" << QStringList() << "/dev/sdb1"
        << "DeviceID" << "Win32_LogicalDisk";
    QTest::newRow("associators, escaped key")
        << R"(ASSOCIATORS OF {Win32_LogicalDisk='/media/Bob\'s \\stick'})" << int(WqlQuery::Associators)
        << "Win32_LogicalDisk" << QStringList() << R"(/media/Bob's \stick)" << "" << "";
    QTest::newRow("associators, double quotes")
        << R"(ASSOCIATORS OF {Win32_DiskDrive="a'b"} WHERE ResultClass=Win32_DiskPartition)"
        << int(WqlQuery::Associators) << "Win32_DiskDrive" << QStringList() << "a'b" << ""
        << "Win32_DiskPartition";
}

void TestWql::parse()
{
    QFETCH(QString, wql);
    const WqlQuery q = WqlQuery::parse(wql);
    QVERIFY(q.isValid());
    QTEST(int(q.kind()), "kind");
    QTEST(q.className(), "cls");
    QTEST(q.properties(), "properties");
    QTEST(q.objectKey(), "key");
    QTEST(q.keyProperty(), "keyProperty");
    QTEST(q.resultClass(), "resultClass");
}

void TestWql::rejects_data()
{
    QTest::addColumn<QString>("wql");
    QTest::newRow("empty") << "";
    QTest::newRow("no properties") << "SELECT FROM Win32_DiskDrive";
    QTest::newRow("no FROM") << "SELECT DeviceID Win32_DiskDrive";
    QTest::newRow("no class") << "SELECT DeviceID FROM";
    QTest::newRow("trailing comma") << "SELECT DeviceID, FROM Win32_DiskDrive";
    QTest::newRow("unterminated string") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model = 'abc";
    QTest::newRow("escape at the end") << "SELECT DeviceID FROM Win32_DiskDrive WHERE Model = 'abc\\";
    QTest::newRow("empty WHERE") << "SELECT DeviceID FROM Win32_DiskDrive WHERE";
    QTest::newRow("dangling AND") << "SELECT * FROM C WHERE a = 1 AND";
    QTest::newRow("unbalanced open") << "SELECT * FROM C WHERE (a = 1";
    QTest::newRow("unbalanced close") << "SELECT * FROM C WHERE a = 1)";
    QTest::newRow("missing operator") << "SELECT * FROM C WHERE a 1";
    QTest::newRow("LIKE without string") << "SELECT * FROM C WHERE a LIKE b";
    QTest::newRow("trailing words") << "SELECT * FROM C WHERE a = 1 b";
    QTest::newRow("stray character") << "SELECT * FROM C WHERE a = 1;";
    QTest::newRow("keyword as property") << "SELECT FROM FROM C";
    QTest::newRow("quote closed early by value")
        << "SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='/media/Bob's stick'";
    QTest::newRow("associators without braces") << "ASSOCIATORS OF Win32_DiskDrive='x'";
    QTest::newRow("associators unquoted key") << "ASSOCIATORS OF {Win32_DiskDrive=x}";
    QTest::newRow("associators unknown qualifier") << "ASSOCIATORS OF {C='x'} WHERE Colour=Red";
    QTest::newRow("associators condition") << "ASSOCIATORS OF {C='x'} WHERE a = 1";
    QTest::newRow("associators twice") << "ASSOCIATORS OF {C='x'} WHERE ResultClass=A ResultClass=B";
    QTest::newRow("other statement") << "DELETE FROM Win32_DiskDrive";
}

void TestWql::rejects()
{
    QFETCH(QString, wql);
    QVERIFY(!WqlQuery::parse(wql).isValid());
}

void TestWql::condition_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("expected");
    // The instance: Name "/mnt/a b", Model "QUELLOR DISCWAND FLASH", Access 3, FileSystem null.
    QTest::newRow("equal") << "Name = '/mnt/a b'" << true;
    QTest::newRow("equal is exact about case") << "Name = '/MNT/A B'" << false;
    QTest::newRow("property name in any case") << "nAmE='/mnt/a b'" << true;
    QTest::newRow("not equal") << "Name <> '/mnt/a b'" << false;
    QTest::newRow("not equal, bang") << "Name != '/x'" << true;
    QTest::newRow("number") << "Access = 3" << true;
    QTest::newRow("number as text") << "Access = '3'" << true;
    QTest::newRow("number less") << "Access < 4 AND Access >= 3" << true;
    QTest::newRow("number greater") << "Access > 3" << false;
    QTest::newRow("literal first") << "3 = Access" << true;
    QTest::newRow("like prefix") << "Model LIKE 'QUELLOR DISCWAND FLASH%'" << true;
    QTest::newRow("like other") << "Model LIKE 'QUELLOR WAND%'" << false;
    QTest::newRow("not like") << "Model NOT LIKE 'QUELLOR WAND%'" << true;
    QTest::newRow("and") << "Access = 3 AND Name = '/x'" << false;
    QTest::newRow("or") << "Access = 1 OR Name = '/mnt/a b'" << true;
    QTest::newRow("and binds tighter than or") << "Access = 3 OR Access = 1 AND Name = '/x'" << true;
    QTest::newRow("parentheses") << "(Access = 3 OR Access = 1) AND Name = '/x'" << false;
    QTest::newRow("not") << "NOT Access = 1" << true;
    QTest::newRow("not over parentheses") << "NOT (Access = 3 OR Access = 1)" << false;
    QTest::newRow("double not") << "not not Access = 3" << true;
    QTest::newRow("keywords in any case") << "access = 3 and not name = '/x' Or Access = 9" << true;
    QTest::newRow("null compares false") << "FileSystem = 'FAT32'" << false;
    QTest::newRow("null not equal is false too") << "FileSystem <> 'FAT32'" << false;
    QTest::newRow("is null") << "FileSystem IS NULL" << true;
    QTest::newRow("is not null") << "Name IS NOT NULL" << true;
    QTest::newRow("escaped quote in literal") << "Name <> 'it\\'s'" << true;
    QTest::newRow("double-quoted literal") << "Name = \"/mnt/a b\"" << true;
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
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    QTest::newRow("exact") << "abc" << "abc" << true;
    QTest::newRow("letter case ignored") << "QUELLOR DISCWAND FLASH 1.0" << "quellor discwand flash%" << true;
    QTest::newRow("shorter text") << "QUELLOR" << "QUELLOR DISCWAND FLASH%" << false;
    QTest::newRow("percent matches nothing") << "abc" << "abc%" << true;
    QTest::newRow("percent in the middle") << "a-long-c" << "a%c" << true;
    QTest::newRow("percent must reach the end") << "abcd" << "a%c" << false;
    QTest::newRow("several percents") << "xaybzc" << "%a%b%c" << true;
    QTest::newRow("underscore one char") << "abc" << "a_c" << true;
    QTest::newRow("underscore needs a char") << "ac" << "a_c" << false;
    QTest::newRow("set") << "b" << "[abc]" << true;
    QTest::newRow("set miss") << "d" << "[abc]" << false;
    QTest::newRow("range") << "m" << "[a-z]" << true;
    QTest::newRow("range miss") << "5" << "[a-z]" << false;
    QTest::newRow("negated set") << "5" << "[^a-z]" << true;
    QTest::newRow("negated set miss") << "q" << "[^a-z]" << false;
    QTest::newRow("percent inside set is literal") << "%" << "[%]" << true;
    QTest::newRow("set then percent") << "sdb1" << "sd[a-c]%" << true;
    QTest::newRow("unclosed bracket is literal") << "a[b" << "a[b" << true;
    QTest::newRow("empty pattern") << "" << "" << true;
    QTest::newRow("empty pattern, text") << "a" << "" << false;
}

void TestWql::like()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QTEST(WqlQuery::like(text, pattern), "expected");
}

QTEST_APPLESS_MAIN(TestWql)
#include "tst_wql.moc"
