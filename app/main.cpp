// Process entry: application identity, the one main window, the event loop.
#include "ui/discshelf.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Discshelf"));
    QApplication::setApplicationVersion(QStringLiteral("39"));
    QApplication::setOrganizationName(QStringLiteral("Quellor Makeworth"));
    discShelf window;
    window.show();
    return app.exec();
}
