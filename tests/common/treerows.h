// Reading the rows of the device tree in tests: find a row by its names from the top level
// down, or render the whole tree as indented lines ("name/" for folder rows).
#pragma once

#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace TreeRows {

QTreeWidgetItem *find(const QTreeWidget *tree, const QStringList &names);

// One line per row in display order, two blanks of indent per level; rows whose ISO flag is 0
// end in "/", rows without a flag are shown in angle brackets as they are.
QStringList dump(const QTreeWidget *tree);

// Builds files and folders below root: "dir/" makes a folder, "a/b.iso" a file (with its
// folders), "p.iso|fifo" a named pipe, "l.iso->target" a symbolic link. False on failure.
bool lay(const QString &root, const QStringList &entries);

} // namespace TreeRows
