#include "library/stickmove.h"

#include "copy/copycommit.h"
#include "copy/imageset.h"
#include "detect/discwand.h"
#include "library/imagechoice.h"
#include "library/stickstatus.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

QString parentOf(const QString &path)
{
    const QString parent = path.section(QLatin1Char('/'), 0, -2);
    return parent.isEmpty() ? QStringLiteral("/") : parent;
}

QString nameOf(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

// A path with one "/" in front and none at the end or doubled.
QString normal(const QString &path)
{
    return QLatin1Char('/')
        + path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

bool isConfig(const QString &path)
{
    return path.section(QLatin1Char('/'), 1, 1)
               .compare(QLatin1String("config"), Qt::CaseInsensitive)
        == 0;
}

bool copyUnderWay(const QString &dir, bool below)
{
    if (!CopyCommit::find(dir).busy.isEmpty())
        return true;
    if (!below)
        return false;
    QDirIterator it(dir, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        if (!CopyCommit::find(it.next()).busy.isEmpty())
            return true;
    return false;
}

} // namespace

StickMove::Plan StickMove::renamePlan(const QString &root, const QString &path,
                                      const QString &newName)
{
    Plan refused;
    refused.nameProblem = FatName::check(newName);
    if (refused.nameProblem != FatName::Problem::None) {
        refused.problem = Problem::BadName;
        return refused;
    }
    const QString parent = parentOf(normal(path));
    return plan(root, path,
                (parent == QLatin1String("/") ? QString() : parent) + QLatin1Char('/') + newName);
}

StickMove::Plan StickMove::movePlan(const QString &root, const QString &path, const QString &into)
{
    const QString folder = normal(into);
    const QString name = nameOf(ImageChoice::bootName(normal(path)));
    const QString image = normal(path);
    // A folder keeps its name; an image's row may be its part 0.
    const bool isFolder = QFileInfo(QDir::cleanPath(root + image)).isDir();
    return plan(root, path,
                (folder == QLatin1String("/") ? QString() : folder) + QLatin1Char('/')
                    + (isFolder ? nameOf(image) : name));
}

StickMove::Plan StickMove::plan(const QString &root, const QString &path, const QString &newPath)
{
    Plan plan;
    const auto refuse = [&plan](Problem problem) {
        plan.problem = problem;
        return plan;
    };
    QString from = normal(path);
    const QString to = normal(newPath);
    plan.to = to;
    if (!Discwand::isStickPath(from) || !Discwand::isStickPath(to) || from == QLatin1String("/")
        || to == QLatin1String("/"))
        return refuse(Problem::NotFound);
    for (const QString &name : to.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        plan.nameProblem = FatName::check(name);
        if (plan.nameProblem != FatName::Problem::None)
            return refuse(Problem::BadName);
    }
    if (isConfig(from) || isConfig(to) || nameOf(to).startsWith(QLatin1Char('.')))
        return refuse(Problem::Config);

    plan.folder = QFileInfo(QDir::cleanPath(root + from)).isDir();
    const QString fromDir = QDir::cleanPath(root + parentOf(from));
    const QString toDir = QDir::cleanPath(root + parentOf(to));
    if (!QFileInfo(toDir).isDir())
        return refuse(Problem::NoFolder);

    QStringList moving, arriving;
    if (plan.folder) {
        if (to.startsWith(from + QLatin1Char('/'), Qt::CaseInsensitive))
            return refuse(Problem::IntoItself);
        moving << nameOf(from);
        arriving << nameOf(to);
    } else {
        from = ImageChoice::bootName(from);
        if (!nameOf(to).endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
            return refuse(Problem::NotIsoName);
        const ImageSet set = ImageSet::read(fromDir, nameOf(from));
        if (set.files().isEmpty())
            return refuse(Problem::NotFound);
        moving = set.files();
        // Each file keeps what follows the image's name: its part number.
        for (const QString &file : std::as_const(moving))
            arriving << nameOf(to) + file.mid(set.name.size());
    }
    if (from.compare(to, Qt::CaseSensitive) == 0)
        return refuse(Problem::Exists);

    // Taken names in the folder moved into, the moving entries' own aside (a change of case).
    const bool sameFolder = fromDir.compare(toDir, Qt::CaseInsensitive) == 0;
    const QStringList present = QDir(toDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                      | QDir::NoDotAndDotDot);
    for (const QString &name : present) {
        if (sameFolder && moving.contains(name, Qt::CaseInsensitive))
            continue;
        if (arriving.contains(name, Qt::CaseInsensitive))
            return refuse(Problem::Exists);
        // Another image's parts, or a single file, of the new name.
        int part = -1;
        if (!plan.folder
            && ImageSet::imageOf(name, &part).compare(nameOf(to), Qt::CaseInsensitive) == 0)
            return refuse(Problem::Exists);
    }
    if (copyUnderWay(fromDir, false) || copyUnderWay(toDir, false)
        || (plan.folder && copyUnderWay(QDir::cleanPath(root + from), true)))
        return refuse(Problem::Busy);

    // The boot choice names the image, or a path through the folder.
    const QString boot = StickStatus::readBootImage(root);
    if (!boot.isEmpty()) {
        if (!plan.folder && boot.compare(from, Qt::CaseInsensitive) == 0)
            plan.journal.boot = to;
        else if (plan.folder && boot.startsWith(from + QLatin1Char('/'), Qt::CaseInsensitive))
            plan.journal.boot = to + boot.mid(from.size());
        if (!FatName::isLatin1(plan.journal.boot))
            return refuse(Problem::NotLatin1);
    }
    const QString fromFolder = parentOf(from) == QLatin1String("/") ? QString() : parentOf(from);
    const QString toFolder = parentOf(to) == QLatin1String("/") ? QString() : parentOf(to);
    // A change of letter case alone: a folder's in one rename; an image's files each pass
    // through a name of the journal's, since not every driver renames a file onto its own name
    // in another case. Any other folder move is made of its files' renames (folderSteps).
    plan.journal.path = MoveJournal::newPath(root);
    if (from.compare(to, Qt::CaseInsensitive) == 0) {
        for (qsizetype i = 0; i < moving.size(); ++i) {
            const QString at = fromFolder + QLatin1Char('/');
            if (plan.folder) {
                plan.journal.steps.append({ at + moving.at(i), at + arriving.at(i) });
                continue;
            }
            const QString via = at + MoveJournal::passingName(plan.journal.path, int(i));
            plan.journal.steps.append({ at + moving.at(i), via });
            plan.journal.steps.append({ via, at + arriving.at(i) });
        }
        return plan;
    }
    if (!plan.folder) {
        for (qsizetype i = 0; i < moving.size(); ++i)
            plan.journal.steps.append({ fromFolder + QLatin1Char('/') + moving.at(i),
                                        toFolder + QLatin1Char('/') + arriving.at(i) });
        return plan;
    }
    folderSteps(root, from, to, &plan.journal.steps);
    return plan;
}

void StickMove::folderSteps(const QString &root, const QString &from, const QString &to,
                            QList<MoveJournal::Step> *steps)
{
    const QString source = from;
    const QString top = QDir::cleanPath(root + from);
    QStringList folders { QString() };
    QDirIterator dirs(top, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (dirs.hasNext())
        folders << dirs.next().mid(top.size());
    std::sort(folders.begin(), folders.end());
    for (const QString &folder : std::as_const(folders)) {
        steps->append({ QString(), to + folder });
        const QStringList files
            = QDir(top + folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &file : files)
            steps->append({ source + folder + QLatin1Char('/') + file,
                            to + folder + QLatin1Char('/') + file });
    }
    // Deepest first: each is empty by its turn.
    for (auto it = folders.crbegin(); it != folders.crend(); ++it)
        steps->append({ source + *it, QString() });
}

StickMove::Problem StickMove::run(const QString &root, const Plan &plan)
{
    if (plan.problem != Problem::None)
        return plan.problem;
    return plan.journal.run(root) ? Problem::None : Problem::Failed;
}

QString StickMove::reason(const Plan &plan)
{
    switch (plan.problem) {
    case Problem::None:
        break;
    case Problem::BadName:
        return FatName::reason(plan.nameProblem);
    case Problem::NotIsoName:
        return tr("an image's name must end in .iso");
    case Problem::NotFound:
        return tr("there is no such image or folder on the discwand");
    case Problem::NoFolder:
        return tr("the folder to move into is not on the discwand");
    case Problem::Exists:
        return tr("there is something of that name there already (the discwand does not tell "
                  "capital from small letters)");
    case Problem::IntoItself:
        return tr("a folder cannot go into itself");
    case Problem::Config:
        return tr("the discwand's config folder and hidden names are its own");
    case Problem::Busy:
        return tr("an image is being copied there; try again once the copy is done");
    case Problem::NotLatin1:
        return tr("the discwand boots this image, and could not be told its new path (%1 has a "
                  "character beyond Latin-1)")
            .arg(FatName::firstNotLatin1(plan.journal.boot));
    case Problem::Failed:
        return tr("the discwand refused the change; everything keeps its name");
    }
    return {};
}
