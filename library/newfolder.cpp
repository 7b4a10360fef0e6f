#include "library/newfolder.h"

#include "copy/fatname.h"
#include "copy/filesync.h"
#include "detect/devicefolder.h"
#include "library/log.h"

#include <QDir>
#include <QFileInfo>

NewFolder::Problem NewFolder::check(const QString &name)
{
    switch (FatName::check(name)) {
    case FatName::Problem::None:
        break;
    case FatName::Problem::Empty:
        return Problem::Empty;
    case FatName::Problem::Dots:
        return Problem::Dots;
    case FatName::Problem::ForbiddenCharacter:
        return Problem::ForbiddenCharacter;
    case FatName::Problem::TrailingDotOrSpace:
        return Problem::TrailingDotOrSpace;
    case FatName::Problem::TooLong:
        return Problem::TooLong;
    case FatName::Problem::Reserved:
        return Problem::Reserved;
    }
    return Problem::None;
}

QString NewFolder::reason(Problem problem)
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Empty:
        return tr("A folder needs a name.");
    case Problem::Dots:
        return tr("\".\" and \"..\" cannot name a new folder.");
    case Problem::ForbiddenCharacter:
        return tr("A folder name on the discwand cannot hold any of \\ / : * ? \" < > | (nor "
                  "control characters).");
    case Problem::TrailingDotOrSpace:
        return tr("A folder name on the discwand cannot end in a dot or a space.");
    case Problem::TooLong:
        return tr("A folder name on the discwand can be 255 characters long at most.");
    case Problem::Reserved:
        return tr("Windows keeps this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 "
                  "to LPT9), so the folder could not be opened there.");
    case Problem::Exists:
        return tr("There is something of that name there already (the discwand does not tell "
                  "capital from small letters).");
    case Problem::NotMade:
        return tr("The discwand did not let the folder be made.");
    }
    return {};
}

NewFolder::Problem NewFolder::make(const QString &deviceRoot, const DeviceFolder &parent,
                                   const QString &name)
{
    const Problem problem = check(name);
    if (problem != Problem::None)
        return problem;
    QDir dir(parent.under(deviceRoot));
    const QStringList present = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                              | QDir::NoDotAndDotDot);
    if (present.contains(name, Qt::CaseInsensitive))
        return Problem::Exists;
    if (!dir.mkdir(name))
        return Problem::NotMade;
    qCDebug(lcLibrary) << "Made folder" << parent.filePath(name);
    FileSync::syncDirectory(dir.path());
    return Problem::None;
}

NewFolder::Problem NewFolder::makePath(const QString &deviceRoot, const DeviceFolder &folder)
{
    const QStringList names = folder.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : names)
        if (const Problem problem = check(name); problem != Problem::None)
            return problem;
    DeviceFolder at;
    for (const QString &name : names) {
        const QFileInfo there(at.child(name).under(deviceRoot));
        if (!there.exists()) {
            if (const Problem problem = make(deviceRoot, at, name); problem != Problem::None)
                return problem;
        } else if (!there.isDir()) {
            return Problem::Exists;
        }
        at = at.child(name);
    }
    return Problem::None;
}
