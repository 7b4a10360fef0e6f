// The window in the user's language: texts of the form, the code and Qt's standard buttons
// follow the locale the translations were installed for; English needs a catalogue only for
// its plural forms.
#include "common/sysfixture.h"
#include "common/testenv.h"
#include "ui/isotreewidget.h"
#include "ui/discshelf.h"
#include "library/translations.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnv::isolate(); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void windowSpeaksLocale_data();
    void windowSpeaksLocale();
};

void TestTranslations::windowSpeaksLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("ours");
    QTest::addColumn<QString>("refresh");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("abort");
    QTest::newRow("German") << "de_DE" << true << "&Aktualisieren"
                            << "<Warte auf einen discwand>"
                            << "Andere Dateien als ISO werden übergangen!"
                            << "Abbrechen";
    QTest::newRow("Austrian German") << "de_AT" << true << "&Aktualisieren"
                                     << "<Warte auf einen discwand>"
                                     << "Andere Dateien als ISO werden übergangen!"
                                     << "Abbrechen";
    QTest::newRow("English after German") << "en_US" << false << "&Refresh"
                                          << "<Waiting for a discwand to appear>"
                                          << "Ignoring non-ISO files!"
                                          << "Abort";
    QTest::newRow("no catalogue") << "fr_FR" << false << "&Refresh"
                                  << "<Waiting for a discwand to appear>"
                                  << "Ignoring non-ISO files!"
                                  << "Abort";
}

void TestTranslations::windowSpeaksLocale()
{
    QFETCH(QString, locale);
    QFETCH(bool, ours);
    QFETCH(QString, refresh);
    QFETCH(QString, waiting);
    QFETCH(QString, boxTitle);
    QFETCH(QString, abort);
    // Rows run in order, so each one replaces what the row before installed.
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(Translations::install(), ours);

    SysFixture sys;
    discShelf w;
    w.show();
    QVERIFY(TestEnv::waitForReady(w.scanCycle()));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("btnRefresh"))->text(), refresh);
    QCOMPARE(w.findChild<isoTreeWidget *>()->topLevelItem(0)->text(0), waiting);
    QMessageBox *box = nullptr;
    for (QMessageBox *b : w.findChildren<QMessageBox *>())
        if (b->buttons().size() == 2)
            box = b;
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), boxTitle);
    QCOMPARE(box->button(QMessageBox::Abort)->text(), abort);
    QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    // Plurals come from a catalogue in English too: "1 part", not "1 parts".
    const QString onePart = QCoreApplication::translate("isoTreeWidget", "Split file: %n parts",
                                                        nullptr, 1);
    QCOMPARE(onePart, ours ? "Geteilte Datei: 1 Teil" : "Split file: 1 part");
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
