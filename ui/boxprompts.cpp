#include "ui/boxprompts.h"

#include "detect/constants.h"

#include <QCoreApplication>
#include <QMessageBox>

void BoxPrompts::tooLarge(const QString &fileName)
{
    QMessageBox::information(
        window, QCoreApplication::translate("discShelf", "File too large!"),
        QCoreApplication::translate("discShelf",
                                    "The file '%1' is over the maximum limit of ~38GiB,\nit will "
                                    "not be copied. Sorry for any inconvenience.\n\nIf this is a "
                                    "serious problem, please contact ")
                .arg(fileName)
            + Discshelf::supportAddress);
}

bool BoxPrompts::overwrite(const QString &fileName)
{
    return QMessageBox::question(
               window, QCoreApplication::translate("discShelf", "File exists!"),
               QCoreApplication::translate("discShelf",
                                           "The file '%1' already exists on your discwand. "
                                           "Overwrite?")
                   .arg(fileName),
               QMessageBox::No | QMessageBox::Yes)
        == QMessageBox::Yes;
}

bool BoxPrompts::imagesOnly()
{
    return nonImages->exec() == QMessageBox::Ok;
}
