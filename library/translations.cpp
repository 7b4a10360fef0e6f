// Finding and installing the catalogues: ours are compiled in (":/i18n"), Qt's come from the
// system (qtbase, for the standard buttons and the command-line help).
#include "library/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const QString installedName = QStringLiteral("discshelfTranslator");

void add(QTranslator *translator)
{
    translator->setObjectName(installedName);
    QCoreApplication::installTranslator(translator);
}

} // namespace

bool Translations::install(const QLocale &locale)
{
    QCoreApplication *app = QCoreApplication::instance();
    for (QTranslator *old :
         app->findChildren<QTranslator *>(installedName, Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    // English plural forms ("1 part", "2 parts") under every language: a language of ours
    // installed after it has its own, and one without a catalogue falls back to English.
    auto *plurals = new QTranslator(app);
    if (plurals->load(QStringLiteral(":/i18n/discshelf_en")))
        add(plurals);
    else
        delete plurals;
    // QTranslator::load(QLocale, ...) would skip an English entry and take a later language,
    // showing German to someone who listed English first.
    for (const QString &language : locale.uiLanguages()) {
        const QLocale wanted(language);
        if (wanted.language() == QLocale::English || wanted.language() == QLocale::C)
            return false;
        auto *own = new QTranslator(app);
        if (!own->load(wanted, QStringLiteral("discshelf"), QStringLiteral("_"),
                       QStringLiteral(":/i18n"))) {
            delete own;
            continue;
        }
        auto *qt = new QTranslator(app);
        if (qt->load(wanted, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            add(qt);
        else
            delete qt;
        add(own);
        return true;
    }
    return false;
}
