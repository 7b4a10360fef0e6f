// What is wrong with a stick, and what its images say of themselves: real ISO 9660 images made by
// xorriso, with and without a boot record, among leftovers, broken split images and a boot
// choice naming an image that is gone; and the repairs that remove what is left or broken.
#include "common/testenv.h"
#include "common/treerows.h"
#include "copy/copylock.h"
#include "library/isolisting.h"
#include "library/stickcheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <list>

class TestStickCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void problems_data();
    void problems();
    void repairs_data();
    void repairs();
    void keptImages();

private:
    // Lays entries below root; "name.iso=boot" and "name.iso=plain" copy the images made here,
    // "name=text:TEXT" holds TEXT, and "name=locked" is locked as a running copy locks it.
    bool lay(const QString &root, const QStringList &entries);

    QTemporaryDir made;
    std::list<CopyLock> locks;
};

void TestStickCheck::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xorriso")).isEmpty())
        QSKIP("xorriso is not installed (tools/ensure-packages.sh installs it)");
    const QString tree = made.filePath(QStringLiteral("tree"));
    QVERIFY(TreeRows::lay(tree, { "readme.txt" }));
    QVERIFY(TestEnv::writeFile(tree + "/boot.img", QByteArray(2048, '\xeb')));
    const auto make = [&](const QString &out, const QStringList &extra) {
        QProcess p;
        p.start(QStringLiteral("xorriso"),
                QStringList { "-as", "mkisofs", "-quiet", "-o", made.filePath(out) } + extra
                    + QStringList { tree });
        return p.waitForFinished(60000) && p.exitCode() == 0;
    };
    QVERIFY(make("boot.iso", { "-V", "INSTALL_2026", "-b", "boot.img", "-no-emul-boot" }));
    QVERIFY(make("plain.iso", { "-V", "Just Data" }));
}

bool TestStickCheck::lay(const QString &root, const QStringList &entries)
{
    locks.clear();
    QStringList plain;
    for (const QString &entry : entries) {
        if (!entry.contains('=')) {
            plain << entry;
            continue;
        }
        const QString target = root + '/' + entry.section('=', 0, 0), what = entry.section('=', 1);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            return false;
        if (what.startsWith("text:")) {
            if (!TestEnv::writeFile(target, what.mid(5).toUtf8()))
                return false;
        } else if (what == "locked") {
            if (!locks.emplace_back().take(target))
                return false;
        } else if (!QFile::copy(made.filePath(what + ".iso"), target)) {
            return false;
        }
    }
    return TreeRows::lay(root, plain);
}

void TestStickCheck::problems_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("bootImage");
    QTest::addColumn<bool>("selector");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<bool>("mountReadOnly");
    QTest::newRow("all well") << QStringList { "a.iso=boot", "d/b.iso=boot" } << "/d/b.iso" << true
                              << QStringList() << false;
    QTest::newRow("no choice yet") << QStringList { "a.iso=boot" } << "" << true << QStringList() << false;
    QTest::newRow("will not boot")
        << QStringList { "a.iso=plain", "empty.iso", "b.iso=boot" } << "/b.iso" << true
        << QStringList { "will-not-boot /a.iso: /a.iso has no boot record: it will not boot",
                         "will-not-boot /empty.iso: /empty.iso is no ISO 9660 image: it will not boot" } << false;
    QTest::newRow("choice gone, selector missing")
        << QStringList { "a.iso=boot" } << "/old.iso" << false
        << QStringList { "boot-missing /old.iso: The discwand is set to boot /old.iso, which is not on it",
                         "selector-missing /config/wandmenu.bin: The selector program config/wandmenu.bin is missing" } << false;
    QTest::newRow("leftovers")
        << QStringList { "a.iso=boot", "old.iso.temp", "d/.discshelf-0badf00d.0" } << "/a.iso" << true
        << QStringList { "leftover /d/.discshelf-0badf00d.0: /d/.discshelf-0badf00d.0 was left by an interrupted copy",
                         "leftover /old.iso.temp: /old.iso.temp was left by an interrupted copy" } << false;
    // A running copy holds a lock on its part 0; its files are no leftovers.
    QTest::newRow("a copy under way")
        << QStringList { "a.iso=boot", "d/.discshelf-0badf00d.0=locked", "d/.discshelf-0badf00d.1" }
        << "/a.iso" << true
        << QStringList { "busy /d/.discshelf-0badf00d.0: /d/.discshelf-0badf00d.0: a copy is under way",
                         "busy /d/.discshelf-0badf00d.1: /d/.discshelf-0badf00d.1: a copy is under way" } << false;
    // One-byte parts: a part missing, a middle one longer than the first.
    QTest::newRow("broken split images")
        << QStringList { "a.iso.0", "a.iso.2", "b.iso.0", "b.iso.1=boot", "b.iso.2" } << "/a.iso"
        << true
        << QStringList { "broken /a.iso.0: Parts of /a.iso missing: a.iso.1",
                         "broken /b.iso.0: Parts of /b.iso of the wrong size: b.iso.1" } << false;
    // FAT finds the choice in any letter case; one name as a file and as parts is a problem.
    QTest::newRow("choice in another case, a name held twice")
        << QStringList { "d/Tools.iso=boot", "d/tools.iso.0=boot", "d/TOOLS.ISO.1" }
        << "/D/TOOLS.ISO" << true
        << QStringList { "doubled /d/tools.iso: /d/tools.iso is stored both as one file and as "
                         "numbered parts; delete the one that is not wanted" } << false;
    // The record names images as FAT does, letter case aside, a split one without its number.
    const QString entry = QString(64, 'a') + "\t1\t1\t0\t2026-01-01T00:00:00Z\t\t";
    QTest::newRow("recorded image gone")
        << QStringList { "a.iso=boot", "d/b.iso.0=boot", "d/b.iso.1",
                         "config/.image-record.txt=text:discshelf-images 1\n" + entry + "/A.ISO\n"
                             + entry + "/d/b.iso\n" + entry + "/d/gone.iso\n" }
        << "/a.iso" << true
        << QStringList { "recorded-gone /d/gone.iso: /d/gone.iso is in the record of verified "
                         "images, but not on the discwand" } << false;
    QTest::newRow("made read-only after errors")
        << QStringList { "a.iso=boot" } << "/a.iso" << true
        << QStringList { "file-system-errors /: The discwand's file system has errors, so the "
                         "system made it read-only: unmount it and repair it with fsck.fat" }
        << true;
}

void TestStickCheck::problems()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, bootImage);
    QFETCH(bool, selector);
    QFETCH(QStringList, problems);
    QFETCH(bool, mountReadOnly);
    QTemporaryDir device;
    QVERIFY(lay(device.path(), entries));
    StickStatus status;
    status.present = true;
    status.root = device.path() + '/';
    status.bootImage = bootImage;
    status.selectorPresent = selector;
    status.readOnly = status.mountReadOnly = mountReadOnly;
    static const char *const kinds[] = { "leftover", "broken", "boot-missing", "will-not-boot",
                                         "selector-missing", "doubled", "busy", "file-system-errors",
                                         "recorded-gone" };
    const IsoListing listing = IsoListing::read(status.root);
    // What the images say of themselves: xorriso's label and a creation date of today.
    for (const IsoRow &row : listing.rows)
        if (row.info.bootable)
            QVERIFY(row.info.label == "INSTALL_2026"
                    && qAbs(row.info.created.secsTo(QDateTime::currentDateTimeUtc())) < 600);
    QStringList found;
    for (const StickProblem &p : StickCheck::find(listing, status))
        found << QStringLiteral("%1 %2: %3").arg(kinds[int(p.kind)], p.path, p.text);
    found.sort();
    QCOMPARE(found, problems);
}

void TestStickCheck::repairs_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("leftovers go, images stay")
        << QStringList { "a.iso=boot", "a.iso.temp", "d/.discshelf-0badf00d.0", "d/.discshelf-0badf00d.1" }
        << QStringList { "a.iso", "d" };
    QTest::newRow("a journal naming what FAT cannot hold goes with its parts")
        << QStringList { "a.iso=boot", "d/.discshelf-0badf00d.0",
                         "d/.discshelf-0badf00d.commit=text:1\nwhat?.iso\n" }
        << QStringList { "a.iso", "d" };
    QTest::newRow("a broken image goes with all its parts, in any case")
        << QStringList { "x.iso.0", "X.ISO.1", "x.iso.3", "keep.iso=boot" } << QStringList { "keep.iso" };
    // A running copy's files stay; journals no copy writes (a count no image needs, empty, a
    // name leaving its folder) mean the copy never committed, and its parts go.
    QTest::newRow("a copy under way stays, journals that cannot be carried out go")
        << QStringList { "keep.iso=boot", "d/.discshelf-0badf00d.0=locked", "d/.discshelf-0badf00d.1",
                         "e/.discshelf-00000001.commit=text:2147483647\nx.iso\n",
                         "e/.discshelf-00000001.0", "e/.discshelf-00000002.commit=text:",
                         "e/.discshelf-00000002.0", "e/.discshelf-00000003.commit=text:1\n../x.iso\n",
                         "e/.discshelf-00000003.0" }
        << QStringList { "d", "d/.discshelf-0badf00d.0", "d/.discshelf-0badf00d.1", "e", "keep.iso" };
    // The parts go; the good image of the same name stays, and so does a doubled one.
    QTest::newRow("a broken set beside a whole image, a doubled image")
        << QStringList { "rescue.iso=boot", "rescue.iso.0", "Rescue.iso.2", "t.iso=boot",
                         "t.iso.0=boot" }
        << QStringList { "rescue.iso", "t.iso", "t.iso.0" };
    QTest::newRow("an image that will not boot stays")
        << QStringList { "plain.iso=plain" } << QStringList { "plain.iso" };
}

void TestStickCheck::repairs()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, left);
    QTemporaryDir device;
    QVERIFY(lay(device.path(), entries));
    const QString root = device.path() + '/';
    StickStatus status;
    status.root = root;
    for (const StickProblem &p : StickCheck::find(IsoListing::read(root), status))
        QCOMPARE(StickCheck::remove(root, p), p.canRemove());
    QCOMPARE(TestEnv::entriesBelow(root), left);
}

// An image the user chose to keep though it will not boot is no problem any more, in any case;
// one whose header is still to be read is not yet said to be one.
void TestStickCheck::keptImages()
{
    QTemporaryDir device;
    QVERIFY(lay(device.path(), { "d/a.iso=plain", "b.iso=plain" }));
    IsoListing listing = IsoListing::read(device.path(), IsoListing::Headers::Later);
    QVERIFY(StickCheck::find(listing, StickStatus(), { "/D/A.ISO" }).isEmpty());
    listing.readHeaders();
    const QList<StickProblem> found = StickCheck::find(listing, StickStatus(), { "/D/A.ISO" });
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().path, "/b.iso");
}

QTEST_GUILESS_MAIN(TestStickCheck)
#include "tst_stickcheck.moc"
