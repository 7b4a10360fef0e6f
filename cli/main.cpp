// Entry of the command-line program: identity, translations, then the subcommand. No display
// is needed, nor any widget: only the core library is linked.
#include "cli/dispatcher.h"
#include "library/translations.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    // The components' debug lines would mix with what the commands say; QT_LOGGING_RULES
    // still turns them on.
    QLoggingCategory::setFilterRules(QStringLiteral("discshelf.*.debug=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("discshelf-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("39"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quellor Makeworth"));
    Translations::install();
    return Dispatcher().run(QCoreApplication::arguments());
}
