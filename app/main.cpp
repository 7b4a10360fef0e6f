// Process entry: application identity, translations, the command line, the one main window,
// the event loop.
#include "ui/discshelf.h"
#include "library/translations.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("Discshelf"));
    QCoreApplication::setApplicationVersion(QStringLiteral("39"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quellor Makeworth"));
}

// --help and --version must answer on a terminal without a display, so they are looked for
// before the window system is touched.
bool asksForTextOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--")
            break;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v"
            || arg == "--version")
            return true;
    }
    return false;
}

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QCoreApplication::translate(
        "main",
        "Manages the ISO images on a discwand USB stick: choose the image it boots, "
        "copy images to it."));
    parser.addHelpOption();
    parser.addVersionOption();
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        setIdentity();
        Translations::install();
        QCommandLineParser parser;
        describe(parser);
        parser.process(app);
        return 0; // not reached: process() exits after printing
    }

    QApplication app(argc, argv);
    setIdentity();
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quellor_makeworth.discshelf"));
    Translations::install();
    // Qt has taken its own options (-style, -platform ...) out by now; anything left over is
    // reported and ends the program.
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    discShelf window;
    window.show();
    return app.exec();
}
