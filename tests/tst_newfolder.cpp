// New folders on the stick: the names a FAT volume cannot hold are refused with their reason,
// and a name already there in any letter case is not made twice.
#include "detect/devicefolder.h"
#include "library/newfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(NewFolder::Problem)

class TestNewFolder : public QObject
{
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void make();
};

void TestNewFolder::check_data()
{
    using P = NewFolder::Problem;
    QTest::addColumn<QString>("name");
    QTest::addColumn<NewFolder::Problem>("problem");
    QTest::newRow("plain") << "Linux ISOs" << P::None;
    QTest::newRow("letters beyond ASCII") << "Größe – 日本" << P::None;
    QTest::newRow("leading space, inner dots") << " a.b.c" << P::None;
    QTest::newRow("255 characters") << QString(255, 'x') << P::None;
    QTest::newRow("256 characters") << QString(256, 'x') << P::TooLong;
    QTest::newRow("empty") << "" << P::Empty;
    QTest::newRow("dot") << "." << P::Dots;
    QTest::newRow("dot dot") << ".." << P::Dots;
    QTest::newRow("trailing dot") << "old." << P::TrailingDotOrSpace;
    QTest::newRow("trailing space") << "old " << P::TrailingDotOrSpace;
    QTest::newRow("control character") << QString("a\tb") << P::ForbiddenCharacter;
    // Windows opens a device for these, with any extension.
    QTest::newRow("reserved") << "CON" << P::Reserved;
    QTest::newRow("reserved, any case, extension") << "nul.txt" << P::Reserved;
    QTest::newRow("reserved numbered") << "Lpt9" << P::Reserved;
    QTest::newRow("reserved, the others") << "aux.iso" << P::Reserved;
    QTest::newRow("reserved, the others 2") << "Prn" << P::Reserved;
    QTest::newRow("reserved, the others 3") << "cOM1 .iso" << P::Reserved;
    QTest::newRow("reserved as a part only") << "CONSOLE" << P::None;
    QTest::newRow("COM0 is no device") << "com0.iso" << P::None;
    for (const char c : QByteArray("\\/:*?\"<>|"))
        QTest::addRow("%c", c) << QString("a%1b").arg(QLatin1Char(c)) << P::ForbiddenCharacter;
}

void TestNewFolder::check()
{
    QFETCH(QString, name);
    QFETCH(NewFolder::Problem, problem);
    QCOMPARE(NewFolder::check(name), problem);
    QCOMPARE(NewFolder::reason(problem).isEmpty(), problem == NewFolder::Problem::None);
}

void TestNewFolder::make()
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    QVERIFY(QDir(root).mkpath("linux/Tools"));
    const DeviceFolder folder("/linux/");
    QCOMPARE(NewFolder::make(root, folder, "tools"), NewFolder::Problem::Exists);
    QCOMPARE(NewFolder::make(root, folder, "a:b"), NewFolder::Problem::ForbiddenCharacter);
    QCOMPARE(NewFolder::make(root, folder, "rescue"), NewFolder::Problem::None);
    QCOMPARE(QDir(root + "linux").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList { "rescue", "Tools" }));
}

QTEST_MAIN(TestNewFolder)
#include "tst_newfolder.moc"
