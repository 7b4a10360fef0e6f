// Published checksums: the lines of GNU and BSD checksum files as distributions write them, and
// the files looked for beside an image, including one that cannot be read and two that disagree.
#include "common/testenv.h"
#include "copy/publishedsums.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray a256 = QByteArray(64, 'a');
const QByteArray b256 = QByteArray(64, 'b');
const QByteArray c512 = QByteArray(128, 'c');

} // namespace

class TestPublishedSums : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void beside_data();
    void beside();
    void given();
};

void TestPublishedSums::lines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("own"); // the file is the image's own (a.iso.sha256)
    QTest::addColumn<int>("state");
    QTest::addColumn<QByteArray>("hex");
    const int none = int(PublishedSum::State::None), listed = int(PublishedSum::State::Listed),
              conflict = int(PublishedSum::State::Conflicting);
    QTest::newRow("gnu text") << QByteArray(b256 + "  other.iso\n" + a256 + "  a.iso\n") << false
                              << listed << a256;
    QTest::newRow("gnu binary, crlf")
        << QByteArray(a256 + " *a.iso\r\n") << false << listed << a256;
    QTest::newRow("gnu path") << QByteArray(a256.toUpper() + "  ./iso/a.iso\n") << false << listed
                              << a256;
    QTest::newRow("bsd") << QByteArray("SHA256 (other.iso) = " + b256
                                       + "\nSHA256 (a.iso) = " + a256)
                         << false << listed << a256;
    QTest::newRow("bsd signed, as Fedora")
        << QByteArray("-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n# a.iso: 1 bytes\n"
                      "SHA256 (a.iso) = "
                      + a256 + "\n-----BEGIN PGP SIGNATURE-----\nxyz\n")
        << false << listed << a256;
    QTest::newRow("sha512 gnu") << QByteArray(c512 + "  a.iso\n") << false << listed << c512;
    QTest::newRow("sha512 bsd") << QByteArray("SHA512 (a.iso) = " + c512) << false << listed
                                << c512;
    QTest::newRow("sha256 beats sha512")
        << QByteArray(c512 + "  a.iso\n" + a256 + "  a.iso\n") << false << listed << a256;
    QTest::newRow("bsd kind and length disagree")
        << QByteArray("SHA512 (a.iso) = " + a256) << false << none << QByteArray();
    QTest::newRow("only others") << QByteArray(a256 + "  a.iso.zsync\n" + a256 + "  b.iso\n")
                                 << false << none << QByteArray();
    QTest::newRow("bare hash, own file") << QByteArray(a256 + "\n") << true << listed << a256;
    QTest::newRow("bare hash, shared file")
        << QByteArray(a256 + "\n") << false << none << QByteArray();
    QTest::newRow("short hash") << QByteArray(a256.left(40) + "  a.iso\n") << false << none
                                << QByteArray();
    QTest::newRow("twice alike") << QByteArray(a256 + "  a.iso\nSHA256 (a.iso) = " + a256) << false
                                 << listed << a256;
    QTest::newRow("twice different")
        << QByteArray(a256 + "  a.iso\n" + b256 + " *a.iso\n") << false << conflict << a256;
}

void TestPublishedSums::lines()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, own);
    QFETCH(int, state);
    QFETCH(QByteArray, hex);
    const PublishedSum sum
        = PublishedSums::read(text, QStringLiteral("a.iso"), QStringLiteral("SUMS"), own);
    QCOMPARE(int(sum.state), state);
    if (state != int(PublishedSum::State::None)) {
        QCOMPARE(sum.digest.toHex(), hex.toLower());
        QCOMPARE(sum.kind,
                 hex.size() == 64 ? PublishedSum::Kind::Sha256 : PublishedSum::Kind::Sha512);
        QCOMPARE(sum.file, QStringLiteral("SUMS"));
    }
}

void TestPublishedSums::beside_data()
{
    // name=content files beside a.iso; a content of "/" makes a folder, which cannot be read.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("file");
    const int none = int(PublishedSum::State::None), listed = int(PublishedSum::State::Listed);
    QTest::newRow("SHA256SUMS") << QStringList { "SHA256SUMS=" + a256 + "  a.iso" } << listed
                                << "SHA256SUMS";
    QTest::newRow("SHA256SUMS.txt")
        << QStringList { "SHA256SUMS.txt=" + a256 + " *a.iso" } << listed << "SHA256SUMS.txt";
    QTest::newRow("sha256sum.txt")
        << QStringList { "sha256sum.txt=" + a256 + "  a.iso" } << listed << "sha256sum.txt";
    QTest::newRow("own .sha256") << QStringList { "a.iso.sha256=" + a256 } << listed
                                 << "a.iso.sha256";
    QTest::newRow("own .sha256sum")
        << QStringList { "a.iso.sha256sum=" + a256 + "  a.iso" } << listed << "a.iso.sha256sum";
    QTest::newRow("CHECKSUM") << QStringList { "CHECKSUM=SHA256 (a.iso) = " + a256 } << listed
                              << "CHECKSUM";
    QTest::newRow("release CHECKSUM")
        << QStringList { "Fedora-39-x86_64-CHECKSUM=SHA256 (a.iso) = " + a256 } << listed
        << "Fedora-39-x86_64-CHECKSUM";
    QTest::newRow("another image's own") << QStringList { "b.iso.sha256=" + a256 } << none << "";
    QTest::newRow("none") << QStringList { "README=" + a256 + "  a.iso" } << none << "";
    QTest::newRow("unreadable") << QStringList { "SHA256SUMS=/", "a.iso.sha256=" + a256 }
                                << int(PublishedSum::State::Unreadable) << "SHA256SUMS";
    QTest::newRow("files disagree")
        << QStringList { "SHA256SUMS=" + a256 + "  a.iso", "a.iso.sha256=" + b256 }
        << int(PublishedSum::State::Conflicting) << "SHA256SUMS, a.iso.sha256";
    QTest::newRow("files agree") << QStringList { "SHA256SUMS=" + a256 + "  a.iso",
                                                  "a.iso.sha256=" + a256 }
                                 << listed << "SHA256SUMS";
}

void TestPublishedSums::beside()
{
    QFETCH(QStringList, files);
    QFETCH(int, state);
    QFETCH(QString, file);
    QTemporaryDir tmp;
    QVERIFY(TestEnv::writeFile(tmp.filePath(QStringLiteral("a.iso")), "image"));
    for (const QString &entry : files) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        const QString content = entry.section(QLatin1Char('='), 1);
        if (content == QLatin1String("/"))
            QVERIFY(QDir(tmp.path()).mkdir(name));
        else
            QVERIFY(TestEnv::writeFile(tmp.filePath(name), content.toUtf8() + '\n'));
    }
    const PublishedSum sum = PublishedSums::find(tmp.filePath(QStringLiteral("a.iso")));
    QCOMPARE(int(sum.state), state);
    QCOMPARE(sum.file, file);
    if (sum.isListed())
        QCOMPARE(sum.digest.toHex(), a256);
}

void TestPublishedSums::given()
{
    QVERIFY(
        PublishedSums::fromHex(QString::fromLatin1(" sha256:" + a256.toUpper() + "\n")).isListed());
    QCOMPARE(PublishedSums::fromHex(QString::fromLatin1(c512)).kind, PublishedSum::Kind::Sha512);
    QVERIFY(!PublishedSums::fromHex(QString::fromLatin1(a256.left(63) + "g")).isListed());
    QVERIFY(!PublishedSums::fromHex(QString::fromLatin1(a256.left(62))).isListed());
}

QTEST_GUILESS_MAIN(TestPublishedSums)
#include "tst_publishedsums.moc"
