#include "common/treerows.h"

#include "common/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

#include <sys/stat.h>

namespace TreeRows {

QTreeWidgetItem *find(const QTreeWidget *tree, const QStringList &names)
{
    QTreeWidgetItem *item = nullptr;
    for (const QString &name : names) {
        QTreeWidgetItem *next = nullptr;
        const int n = item ? item->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem *c = item ? item->child(i) : tree->topLevelItem(i);
            if (c->text(0) == name)
                next = c;
        }
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

static void dumpRow(const QTreeWidgetItem *row, int depth, QStringList &out)
{
    const bool folder = row->data(0, Qt::UserRole) == QVariant(0);
    out.append(QString(depth * 2, QLatin1Char(' ')) + row->text(0)
               + (folder ? QStringLiteral("/") : QString()));
    for (int i = 0; i < row->childCount(); ++i)
        dumpRow(row->child(i), depth + 1, out);
}

QStringList dump(const QTreeWidget *tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        dumpRow(tree->topLevelItem(i), 0, out);
    return out;
}

bool lay(const QString &root, const QStringList &entries)
{
    const QDir dir(root);
    for (const QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('/'))) {
            if (!dir.mkpath(entry))
                return false;
            continue;
        }
        const int arrow = entry.indexOf(QLatin1String("->"));
        const QString name = arrow >= 0 ? entry.left(arrow) : entry.section(QLatin1Char('|'), 0, 0);
        const QString path = dir.filePath(name);
        if (!dir.mkpath(QFileInfo(name).path()))
            return false;
        if (arrow >= 0) {
            if (!QFile::link(entry.mid(arrow + 2), path))
                return false;
        } else if (entry.endsWith(QLatin1String("|fifo"))) {
#ifdef Q_OS_UNIX
            if (mkfifo(QFile::encodeName(path).constData(), 0644) != 0)
                return false;
#else
            return false; // no named pipes: rows that lay one are kept to Unix
#endif
        } else if (!TestEnv::writeFile(path, "x")) {
            return false;
        }
    }
    return true;
}

} // namespace TreeRows
