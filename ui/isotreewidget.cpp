#include "ui/isotreewidget.h"

#include "detect/devicefolder.h"
#include "ui/log.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QMimeData>
#include <QUrl>

isoTreeWidget::isoTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
    , isoIcon(QStringLiteral(":/icons/blank_cd.png"))
    , folderIcon(QFileIconProvider().icon(QFileIconProvider::Folder))
{
    setColumnCount(1);
    setHeaderHidden(true);
    setAcceptDrops(true);
}

isoTreeWidget::~isoTreeWidget() = default;

QTreeWidgetItem *isoTreeWidget::makeRow(const IsoRow &row) const
{
    const bool folder = row.kind == IsoRow::Kind::Folder;
    auto *item = new QTreeWidgetItem(QTreeWidgetItem::Type);
    item->setText(0, row.name);
    item->setIcon(0, folder ? folderIcon : isoIcon);
    item->setToolTip(0, row.isSplit()
                            ? row.name + QCoreApplication::translate("discShelf", " (Split file)")
                            : row.name);
    item->setData(0, KindRole, folder ? FolderRow : ImageRow);
    item->setData(0, PathRole, row.devicePath);
    return item;
}

void isoTreeWidget::showRows(const QList<IsoRow> &rows)
{
    clear();
    // Rows are put together off the tree and shown in one go: every row added to a live tree
    // costs a round of model and view notifications.
    QList<QTreeWidgetItem *> topLevel;
    QList<QTreeWidgetItem *> parents; // the folder row at each depth above the current row
    for (const IsoRow &row : rows) {
        QTreeWidgetItem *item = makeRow(row);
        parents.resize(row.depth);
        if (parents.isEmpty())
            topLevel.append(item);
        else
            parents.last()->addChild(item);
        if (row.kind == IsoRow::Kind::Folder)
            parents.append(item);
    }
    addTopLevelItems(topLevel);
}

void isoTreeWidget::showPlaceholder(const QString &text)
{
    clear();
    addTopLevelItem(new QTreeWidgetItem(QStringList(text)));
}

bool isoTreeWidget::isImageRow(const QTreeWidgetItem *row)
{
    return row && row->data(0, KindRole) == QVariant(ImageRow);
}

QString isoTreeWidget::selectedImage() const
{
    const QList<QTreeWidgetItem *> rows = selectedItems();
    if (rows.isEmpty() || !isImageRow(rows.first()))
        return {};
    return rows.first()->data(0, PathRole).toString();
}

QStringList isoTreeWidget::mimeTypes() const
{
    return { QStringLiteral("text/uri-list") };
}

Qt::DropActions isoTreeWidget::supportedDropActions() const
{
    return Qt::CopyAction;
}

bool isoTreeWidget::dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *data,
                                 Qt::DropAction action)
{
    Q_UNUSED(index);
    Q_UNUSED(action);

    // A drop on an image goes to its folder; only folder rows name a place on the device, so a
    // placeholder row stands for the root.
    QTreeWidgetItem *row = parent;
    if (isImageRow(row))
        row = row->parent();
    const bool folder = row && row->data(0, KindRole) == QVariant(FolderRow);
    const QString destDir = DeviceFolder(folder ? row->data(0, PathRole).toString() : QString()).path();

    qCDebug(lcUi) << "Putting the following in" << destDir << ":";
    QStringList filenames;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        qCDebug(lcUi) << url;
        filenames.append(url.toLocalFile());
    }
    emit copyFiles(destDir, filenames);
    return true;
}
