#include "ui/boxprompts.h"

#include "copy/copyprogress.h"
#include "detect/constants.h"

#include <QCoreApplication>

// The window has always asked these under its own name; translations keep that context.
int BoxPrompts::ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                    const QString &text, QMessageBox::StandardButtons buttons,
                    QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

void BoxPrompts::tooLarge(const QString &fileName)
{
    ask(window, QMessageBox::Information,
        QCoreApplication::translate("discShelf", "File too large!"),
        QCoreApplication::translate("discShelf",
                                    "The file '%1' is over the maximum limit of ~38GiB,\nit will "
                                    "not be copied. Sorry for any inconvenience.\n\nIf this is a "
                                    "serious problem, please contact ")
                .arg(fileName)
            + Discshelf::supportAddress,
        QMessageBox::Ok);
}

void BoxPrompts::refused(const QStringList &reasons)
{
    ask(window, QMessageBox::Warning,
        QCoreApplication::translate("discShelf", "Names the discwand cannot take"),
        QCoreApplication::translate("discShelf",
                                    "The discwand cannot take these names, so these images are "
                                    "left out. Rename the files and drop them again.\n\n%1")
            .arg(reasons.join(QLatin1Char('\n'))),
        QMessageBox::Ok);
}

bool BoxPrompts::willNotBoot(const QString &fileName, bool iso9660)
{
    const QString why = iso9660
        ? QCoreApplication::translate("discShelf", "'%1' has no boot record.")
        : QCoreApplication::translate("discShelf", "'%1' is no ISO 9660 image.");
    return ask(window, QMessageBox::Question,
               QCoreApplication::translate("discShelf", "Image will not boot"),
               why.arg(fileName) + QLatin1Char(' ')
                   + QCoreApplication::translate("discShelf",
                                                 "The discwand cannot start a computer from "
                                                 "it.\n\nCopy it anyway?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

// Enter must not replace an image by accident: No is the default.
bool BoxPrompts::overwrite(const QString &fileName, bool removeFirst)
{
    QString text = QCoreApplication::translate("discShelf",
                                               "The file '%1' already exists on your discwand. "
                                               "Overwrite?")
                       .arg(fileName);
    if (removeFirst)
        text += QLatin1String("\n\n")
            + QCoreApplication::translate("discShelf",
                                          "There is no room for both: the old image is removed "
                                          "before the new one is copied, so stopping the copy "
                                          "leaves neither.");
    return ask(window, QMessageBox::Question, QCoreApplication::translate("discShelf", "File exists!"),
               text, QMessageBox::No | QMessageBox::Yes, QMessageBox::No)
        == QMessageBox::Yes;
}

bool BoxPrompts::copyWhatFits(const QStringList &fileNames, qint64 freeBytes)
{
    return ask(window, QMessageBox::Warning,
               QCoreApplication::translate("discShelf", "Not enough room!"),
               QCoreApplication::translate("discShelf",
                                           "These images do not fit in the %1 left on your "
                                           "discwand:\n%2\n\nCopy the others?")
                   .arg(CopyProgress::sizeText(freeBytes), fileNames.join(QLatin1Char('\n'))),
               QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void BoxPrompts::notRegular(const QString &fileName)
{
    ask(window, QMessageBox::Information,
        QCoreApplication::translate("discShelf", "Not a file!"),
        QCoreApplication::translate("discShelf",
                                    "'%1' is not an ordinary file (it may be a pipe or a device) "
                                    "and will not be copied.")
            .arg(fileName),
        QMessageBox::Ok);
}

bool BoxPrompts::imagesOnly()
{
    return nonImages->exec() == QMessageBox::Ok;
}
