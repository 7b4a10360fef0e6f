// The program's SHA-256 against the standard's test messages and against sha256sum on a file
// fed in two pieces, as a split image is, the cut falling inside and on a 64-byte block; its
// SHA-512 against the standard's messages.
#include "common/testenv.h"
#include "copy/shadigest.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSha256 : public QObject
{
    Q_OBJECT
private slots:
    void vectors_data();
    void vectors();
    void againstSha256sum_data();
    void againstSha256sum();
    void sha512_data();
    void sha512();
};

void TestSha256::vectors_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("digest");
    QTest::newRow("empty")
        << QByteArray()
        << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    QTest::newRow("abc") << QByteArray(
        "abc") << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    QTest::newRow("448 bits")
        << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
        << QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    QTest::newRow("a million a") << QByteArray(
        1000000,
        'a') << QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

void TestSha256::vectors()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, digest);
    QCOMPARE(Sha256::hash(message).toHex(), digest);
    // Byte by byte where short, and again after a result: the hash starts over.
    Sha256 sha;
    sha.addData("left over", 9);
    sha.result();
    for (qsizetype at = 0; at < message.size(); at += 4099)
        sha.addData(message.constData() + at, qMin<qsizetype>(4099, message.size() - at));
    QCOMPARE(sha.result().toHex(), digest);
}

void TestSha256::againstSha256sum_data()
{
    QTest::addColumn<int>("cut"); // where the first piece ends
    constexpr int size = 6291456 + 1000;
    QTest::newRow("nothing first") << 0;
    QTest::newRow("inside a block") << 6291456 - 13;
    QTest::newRow("on a block") << 6291456;
    QTest::newRow("all first") << size;
}

void TestSha256::againstSha256sum()
{
    QFETCH(int, cut);
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("image.iso"));
    QVERIFY(TestEnv::writeFile(path, TestEnv::randomBytes(6291456 + 1000, 7)));
    QProcess sum;
    sum.start(QStringLiteral("sha256sum"), { path });
    if (!sum.waitForStarted())
        QSKIP("sha256sum is not available");
    QVERIFY(sum.waitForFinished());
    const QByteArray data = TestEnv::readFile(path);
    Sha256 sha;
    sha.addData(data.left(cut));
    sha.addData(data.mid(cut));
    QCOMPARE(sha.result().toHex(), sum.readAllStandardOutput().left(64));
}

void TestSha256::sha512_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("digest");
    QTest::newRow("empty") << QByteArray()
                           << QByteArray(
                                  "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36c"
                                  "e9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327a"
                                  "f927da3e");
    QTest::newRow("abc") << QByteArray("abc")
                         << QByteArray(
                                "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55"
                                "d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94f"
                                "a54ca49f");
}

void TestSha256::sha512()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, digest);
    Sha512 sha;
    sha.addData("left over", 9);
    sha.result();
    sha.addData(message);
    QCOMPARE(sha.result().toHex(), digest);
}

QTEST_GUILESS_MAIN(TestSha256)
#include "tst_sha256.moc"
