#include "library/newfolder.h"

#include "copy/filesync.h"
#include "detect/devicefolder.h"
#include "library/log.h"

#include <QDir>

#include <algorithm>

NewFolder::Problem NewFolder::check(const QString &name)
{
    if (name.isEmpty())
        return Problem::Empty;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return Problem::Dots;
    const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    if (std::any_of(name.begin(), name.end(),
                    [&](QChar c) { return c.unicode() < 0x20 || forbidden.contains(c); }))
        return Problem::ForbiddenCharacter;
    // Windows drops them, so the same folder would not be found again under its name.
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return Problem::TrailingDotOrSpace;
    // FAT's long names count UTF-16 units, as QString does.
    if (name.size() > 255)
        return Problem::TooLong;
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
