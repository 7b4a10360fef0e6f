// Downloads onto a folder standing for the stick, from a real HTTP(S) server on loopback: resumes
// after drops, a file that changed, stalls, wrong lengths and checksums, redirects and TLS; and
// the split of a stream into parts as it arrives.
#include "common/httptestserver.h"
#include "common/testenv.h"
#include "copy/copycommit.h"
#include "copy/imagedownload.h"
#include "copy/imageset.h"
#include "copy/partwriter.h"
#include "copy/shadigest.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using Response = HttpTestServer::Response;
using Outcome = ImageDownload::Outcome;
Q_DECLARE_METATYPE(Response)

class TestImageDownload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void download_data();
    void download();
    void redirectsAndTls_data();
    void redirectsAndTls();
    void splitsWhileArriving_data();
    void splitsWhileArriving();
};

namespace {

constexpr qint64 MB = 1024 * 1024;

QByteArray sumsFor(const QByteArray &body, const QString &name)
{
    return Sha256::hash(body).toHex() + "  " + name.toUtf8() + '\n';
}

} // namespace

void TestImageDownload::download_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Response>("response");
    // "good" or "bad" SHA256SUMS beside the image, or none.
    QTest::addColumn<QString>("sums");
    // The server's file is replaced by another after the first drop.
    QTest::addColumn<bool>("changes");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QStringList>("ranges"); // of the image's requests
    QTest::addColumn<QString>("name");

    const QByteArray body = TestEnv::randomBytes(int(12 * MB));
    Response resumable { 200, body };
    resumable.etag = "\"v1\"";
    resumable.ranges = true;

    Response drops = resumable;
    drops.dropAfter = { 3 * MB + 5, 4 * MB - 2 };
    QTest::newRow("two drops, one resume each")
        << "/img.iso" << drops << "good" << false << Outcome::Done
        << QStringList { "", "bytes=3145733-", "bytes=7340035-" } << "img.iso";
    Response once = resumable;
    once.dropAfter = { 4 * MB };
    QTest::newRow("file changed: starts over") << "/img.iso" << once << "" << true << Outcome::Done
                                               << QStringList { "", "bytes=4194304-" } << "img.iso";
    Response noRanges = once;
    noRanges.ranges = false;
    QTest::newRow("no ranges: starts over")
        << "/img.iso" << noRanges << "" << false << Outcome::Done
        << QStringList { "", "bytes=4194304-" } << "img.iso";
    Response named = resumable;
    named.disposition = "attachment; filename=\"told.iso\"";
    QTest::newRow("Content-Disposition")
        << "/get?id=5" << named << "" << false << Outcome::Done << QStringList { "" } << "told.iso";

    Response stall = resumable;
    stall.holdAt = MB;
    QTest::newRow("stall") << "/img.iso" << stall << "" << false << Outcome::Failed
                           << QStringList { "", "bytes=1048576-", "bytes=1048576-",
                                            "bytes=1048576-", "bytes=1048576-" }
                           << "img.iso";
    QTest::newRow("wrong checksum") << "/img.iso" << resumable << "bad" << false
                                    << Outcome::Mismatch << QStringList { "" } << "img.iso";
    Response longer { 200, body, 2 * body.size() };
    QTest::newRow("wrong length") << "/img.iso" << longer << "" << false << Outcome::Failed
                                  << QStringList(5, QString()) << "img.iso";
    Response huge { 200, body, qint64(1) << 52 };
    QTest::newRow("no room") << "/img.iso" << huge << "" << false << Outcome::NoRoom
                             << QStringList { "" } << "img.iso";
    QTest::newRow("name there already") << "/old.iso" << resumable << "" << false
                                        << Outcome::Refused << QStringList { "" } << "old.iso";
}

void TestImageDownload::download()
{
    QFETCH(QString, path);
    QFETCH(Response, response);
    QFETCH(QString, sums);
    QFETCH(bool, changes);
    QFETCH(Outcome, outcome);
    QFETCH(QStringList, ranges);
    QFETCH(QString, name);

    QTemporaryDir stick;
    QVERIFY(TestEnv::writeFile(stick.filePath("old.iso"), "kept"));
    const QStringList before = TestEnv::entriesBelow(stick.path());

    HttpTestServer server;
    server.setResponse(Response { 404 });
    // The image comes from elsewhere and is redirected to.
    Response redirect { 302 };
    redirect.location = path.toUtf8();
    server.setResponse("/latest", redirect);
    server.setResponse(path, response);
    const QByteArray published = sums == "good" ? response.body : QByteArray("other");
    if (!sums.isEmpty())
        server.setResponse("/SHA256SUMS", Response { 200, sumsFor(published, name) });
    const QByteArray replaced = TestEnv::randomBytes(int(5 * MB), 7);

    ImageDownload download;
    download.setStallTimeout(300);
    download.setRetryDelay(5);
    // Parts of 5 MB: a download of 12 MB is split twice while it arrives, across the drops.
    download.setPartBytes(5 * MB);
    QStringList notes;
    connect(&download, &ImageDownload::note, this, [&](const QString &text) {
        notes << text;
        if (changes && notes.size() == 1) {
            Response other = response;
            other.body = replaced;
            other.etag = "\"v2\"";
            other.dropAfter.clear();
            server.setResponse(path, other);
        }
    });
    download.start(server.url("/latest"), stick.path());
    QVERIFY(QTest::qWaitFor([&] { return download.outcome() != Outcome::Running; }, 30000));
    QCOMPARE(download.outcome(), outcome);

    QStringList imageRanges;
    for (int i = 0; i < server.requests().size(); ++i)
        if (server.requests()[i].contains(QUrl(path).path()))
            imageRanges << server.ranges()[i];
    QCOMPARE(imageRanges, ranges);
    if (outcome != Outcome::Done) {
        QCOMPARE(TestEnv::entriesBelow(stick.path()), before);
        QCOMPARE(TestEnv::readFile(stick.filePath("old.iso")), QByteArray("kept"));
        return;
    }
    QCOMPARE(download.name(), name);
    const QByteArray expected = changes ? replaced : response.body;
    const ImageSet set = ImageSet::read(stick.path(), name);
    QByteArray got;
    for (const QString &file : set.files())
        got += TestEnv::readFile(stick.filePath(file));
    QCOMPARE(set.files().size(), int((expected.size() + 5 * MB - 1) / (5 * MB)));
    QVERIFY(got == expected);
    QCOMPARE(download.checkedAgainst(), sums == "good" ? QString("SHA256SUMS") : QString());
    QCOMPARE(notes.join('\n').contains("starts over"), changes || !response.ranges);
    QCOMPARE(TestEnv::entriesBelow(stick.path()).size(), before.size() + set.files().size());
}

void TestImageDownload::redirectsAndTls_data()
{
    QTest::addColumn<bool>("https");
    QTest::addColumn<bool>("trusted"); // the server's certificate, by this process
    QTest::addColumn<int>("hops"); // redirects before the image
    QTest::addColumn<bool>("toHttp"); // the last one to a plain HTTP server's copy of the image
    QTest::addColumn<QString>("error"); // part of the message; empty: the download is done

    QTest::newRow("five redirects") << false << false << 5 << false << "";
    QTest::newRow("six redirects") << false << false << 6 << false << "Too many redirects";
    QTest::newRow("https trusted") << true << true << 1 << false << "";
    QTest::newRow("https not trusted") << true << false << 0 << false << "self-signed";
    QTest::newRow("https to http") << true << true << 1 << true << "not secure";
}

void TestImageDownload::redirectsAndTls()
{
    QFETCH(bool, https);
    QFETCH(bool, trusted);
    QFETCH(int, hops);
    QFETCH(bool, toHttp);
    QFETCH(QString, error);

    QTemporaryDir stick, keys;
    QVERIFY(TestEnv::writeFile(stick.filePath("old.iso"), "kept"));
    const QStringList before = TestEnv::entriesBelow(stick.path());
    const QSslConfiguration tls
        = https ? HttpTestServer::selfSigned(keys.path()) : QSslConfiguration();
    if (https && tls.localCertificate().isNull())
        QSKIP("No openssl command to make a certificate with");
    const QSslConfiguration plainDefault = QSslConfiguration::defaultConfiguration();
    const auto restore
        = qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(plainDefault); });
    if (trusted) {
        QSslConfiguration trusting = plainDefault;
        trusting.addCaCertificate(tls.localCertificate());
        QSslConfiguration::setDefaultConfiguration(trusting);
    }

    const QByteArray body = TestEnv::randomBytes(int(3 * MB));
    HttpTestServer server(tls), plain;
    server.setResponse(Response { 404 });
    server.setResponse("/img.iso", Response { 200, body });
    plain.setResponse(Response { 404 });
    plain.setResponse("/img.iso", Response { 200, body });
    for (int hop = 0; hop < hops; ++hop) {
        Response redirect { 302 };
        redirect.location = hop + 1 < hops ? "/hop" + QByteArray::number(hop + 1)
            : toHttp                       ? plain.url("/img.iso").toEncoded()
                                           : "/img.iso";
        server.setResponse("/hop" + QString::number(hop), redirect);
    }

    ImageDownload download;
    download.start(server.url(hops > 0 ? "/hop0" : "/img.iso"), stick.path());
    QVERIFY(QTest::qWaitFor([&] { return download.outcome() != Outcome::Running; }, 30000));
    QVERIFY2(download.errorString().contains(error), qPrintable(download.errorString()));
    if (!error.isEmpty()) {
        QCOMPARE(download.outcome(), Outcome::Failed);
        QCOMPARE(TestEnv::entriesBelow(stick.path()), before);
        QCOMPARE(TestEnv::readFile(stick.filePath("old.iso")), QByteArray("kept"));
        QCOMPARE(plain.requests(), QStringList());
        return;
    }
    QCOMPARE(download.outcome(), Outcome::Done);
    QVERIFY(TestEnv::readFile(stick.filePath("img.iso")) == body);
}

void TestImageDownload::splitsWhileArriving_data()
{
    QTest::addColumn<qint64>("partBytes");
    QTest::addColumn<QList<qint64>>("pieces");
    QTest::addColumn<QList<qint64>>("parts");
    // A byte of the first chunk changed where it is stored, once the chunk was written and
    // before the chunks after it (negative: none).
    QTest::addColumn<qint64>("changeAt");

    QTest::newRow("within one part")
        << qint64(1000) << QList<qint64> { 300, 700 } << QList<qint64> { 1000 } << qint64(-1);
    QTest::newRow("one byte over")
        << qint64(1000) << QList<qint64> { 1001 } << QList<qint64> { 1000, 1 } << qint64(-1);
    QTest::newRow("pieces across boundaries") << qint64(1000) << QList<qint64> { 999, 2, 1500 }
                                              << QList<qint64> { 1000, 1000, 501 } << qint64(-1);
    QTest::newRow("a chunk larger than a part")
        << qint64(4 * MB) << QList<qint64> { 6 * MB + 10 } << QList<qint64> { 4 * MB, 2 * MB + 10 }
        << qint64(-1);
    // Read back while the later chunks are written.
    QTest::newRow("a byte stored wrong is caught")
        << qint64(64 * MB) << QList<qint64> { 6 * MB, 30 * MB } << QList<qint64> { 36 * MB }
        << qint64(100);
    // The real limit: a known length within it is one file, anything else splits at the copy's
    // full part, which readers take whatever the last part's length.
    QTest::newRow("limit: length within") << PartWriter::partBytesFor(ImageSet::partLimit)
                                          << QList<qint64>() << QList<qint64> { 0 } << qint64(-1);
    QCOMPARE(PartWriter::partBytesFor(ImageSet::partLimit), ImageSet::partLimit);
    QCOMPARE(PartWriter::partBytesFor(ImageSet::partLimit + 1), ImageSet::fullPart);
    QCOMPARE(PartWriter::partBytesFor(-1), ImageSet::fullPart);
}

void TestImageDownload::splitsWhileArriving()
{
    QFETCH(qint64, partBytes);
    QFETCH(QList<qint64>, pieces);
    QFETCH(QList<qint64>, parts);
    QFETCH(qint64, changeAt);

    QTemporaryDir stick;
    PartWriter writer(stick.path(), partBytes);
    QCOMPARE(writer.open(), 0);
    QByteArray all;
    for (const qint64 size : pieces) {
        const QByteArray piece = TestEnv::randomBytes(int(size), quint32(all.size() + 1));
        QCOMPARE(writer.append(piece.constData(), size), 0);
        all += piece;
        QFile part(stick.filePath(CopyCommit::partName(writer.base(), 0)));
        if (changeAt >= 0 && all.size() == piece.size())
            QVERIFY(part.open(QIODevice::ReadWrite) && part.seek(changeAt) && part.write("!") == 1);
    }
    QCOMPARE(writer.finish(), 0);
    const QByteArray written = writer.hash();
    QCOMPARE(written, Sha256::hash(all));
    const std::atomic<bool> cancel { false };
    const QByteArray readBack = writer.readBack(cancel, [](int) {});
    QCOMPARE(readBack == written, changeAt < 0);
    if (changeAt >= 0)
        return;
    QCOMPARE(writer.commit("a.iso"), 0);
    const ImageSet set = ImageSet::read(stick.path(), "a.iso");
    QList<qint64> sizes;
    QByteArray back;
    for (const QString &file : set.files()) {
        sizes << QFileInfo(stick.filePath(file)).size();
        back += TestEnv::readFile(stick.filePath(file));
    }
    QCOMPARE(sizes, parts);
    QVERIFY(back == all);
    QVERIFY(!set.isBroken());
}

QTEST_GUILESS_MAIN(TestImageDownload)
#include "tst_imagedownload.moc"
