// Choosing the image the device loads: its path goes into config/iso_filename.txt.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMessageBox>

namespace {

QTreeWidgetItem *selectedRow(const QTreeWidget *tree)
{
    const QList<QTreeWidgetItem *> rows = tree->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

// Placeholder rows carry no flag and are no image either.
bool isImageRow(const QTreeWidgetItem *row)
{
    return row && row->data(0, Qt::UserRole) == QVariant(1);
}

QString relativePath(const QTreeWidgetItem *row)
{
    QString path;
    for (; row; row = row->parent())
        path.prepend(QLatin1Char('/') + row->text(0));
    return path;
}

} // namespace

void discShelf::updateLoadIsoButton()
{
    ui.btnLoadISO->setEnabled(cycleIsReady() && !detector->drivePath().isEmpty()
                              && isImageRow(selectedRow(isoTree)));
}

void discShelf::loadClickedISO(QTreeWidgetItem *item, int)
{
    Q_UNUSED(item);
    if (cycleIsReady())
        loadSelectedISO();
}

void discShelf::loadSelectedISO()
{
    const QTreeWidgetItem *row = selectedRow(isoTree);
    if (!isImageRow(row))
        return;
    const QString root = detector->drivePath();
    if (root.isEmpty())
        return;
    if (!detector->isWritable()) {
        writeFailedBox->exec();
        return;
    }

    // The device names a split image without its part suffix.
    QString path = relativePath(row);
    if (path.endsWith(QLatin1String(".0")))
        path.chop(2);
    qDebug() << "Loading ISO:" << path;

    QDir rootDir(root);
    if (!rootDir.exists(QStringLiteral("config")) && !rootDir.mkdir(QStringLiteral("config"))) {
        writeFailedBox->exec();
        return;
    }
    QFile file(root + QStringLiteral("config/iso_filename.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        writeFailedBox->exec();
        return;
    }
    // The device reads one byte per character and no line ending.
    if (file.write(path.toLatin1()) != path.length()) {
        writeFailedBox->exec();
        return;
    }
    file.flush();
    file.close();
}
