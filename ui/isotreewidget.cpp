#include "ui/isotreewidget.h"

#include "copy/copyprogress.h"
#include "detect/devicefolder.h"
#include "ui/log.h"
#include "ui/plaintip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

// The disc with a green "play" mark in its corner: the image the stick starts.
QIcon bootIconFrom(const QIcon &disc)
{
    QPixmap pixmap = disc.pixmap(48, 48);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(0x2e, 0xa0, 0x43));
    painter.drawPolygon(QPolygonF({ QPointF(24, 22), QPointF(46, 34), QPointF(24, 46) }));
    return QIcon(pixmap);
}

// The disc with a warning sign in its corner: an image with a problem.
QIcon problemIconFrom(const QIcon &disc, const QIcon &warning)
{
    QPixmap pixmap = disc.pixmap(48, 48);
    QPainter painter(&pixmap);
    painter.drawPixmap(20, 20, warning.pixmap(28, 28));
    return QIcon(pixmap);
}

// A row of the tree. What its tooltip is made of is kept beside the item's data, where setting
// it tells the view of no change it would show, and the tooltip is put together when it is
// asked for: made at every listing for thousands of rows, most never hovered, the tooltips and
// their notices cost more than the rows themselves.
class RowItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    QString tip; // the name of a folder; for an image, what is known of it
    QString problem; // an image's, for people
    QString label; // an image's ISO volume label
    QString bootPath; // an image's path as the boot choice names it

    QVariant data(int column, int role) const override
    {
        if (column != isoTreeWidget::NameColumn)
            return QTreeWidgetItem::data(column, role);
        if (role == isoTreeWidget::LabelRole)
            return label;
        if (role != Qt::ToolTipRole)
            return QTreeWidgetItem::data(column, role);
        QString shown = tip;
        if (!problem.isEmpty())
            shown += QLatin1Char('\n') + problem;
        if (isoTreeWidget::isImageRow(this) && font(column).bold())
            shown += QLatin1Char('\n')
                + QCoreApplication::translate("isoTreeWidget", "Loads when the discwand boots");
        return PlainTip::of(shown);
    }
};

// Every row but a placeholder is a RowItem.
RowItem *rowItem(QTreeWidgetItem *item)
{
    return static_cast<RowItem *>(item);
}

// An image row's tooltip and label, from what is known of the image.
void describeImage(RowItem *item, const IsoRow &row)
{
    QStringList tip { row.displayName() };
    if (row.isSplit())
        tip << QCoreApplication::translate("isoTreeWidget", "Split file: %n parts", nullptr, row.parts);
    if (row.info.iso9660) {
        if (!row.info.label.isEmpty())
            tip << QCoreApplication::translate("isoTreeWidget", "Volume label: %1").arg(row.info.label);
        if (row.info.created.isValid())
            tip << QCoreApplication::translate("isoTreeWidget", "Made: %1")
                       .arg(QLocale().toString(row.info.created.date(), QLocale::ShortFormat));
    }
    if (row.headerRead && !row.info.bootable)
        tip << QCoreApplication::translate("isoTreeWidget", "Will not boot");
    if (!row.sha256.isEmpty())
        tip << QCoreApplication::translate("isoTreeWidget", "SHA-256: %1")
                   .arg(QString::fromLatin1(row.sha256));
    if (!row.matches.isEmpty())
        tip << QCoreApplication::translate("isoTreeWidget", "matches %1").arg(row.matches);
    item->tip = tip.join(QLatin1Char('\n'));
    item->label = row.info.label;
}

void forEachRow(QTreeWidgetItem *parent, const std::function<void(QTreeWidgetItem *)> &visit)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        visit(parent->child(i));
        forEachRow(parent->child(i), visit);
    }
}

// The same rows but for what their images' headers say.
bool sameButHeaders(const QList<IsoRow> &a, const QList<IsoRow> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const IsoRow &x, const IsoRow &y) { return x.sameButHeader(y); });
}

} // namespace

const QString isoTreeWidget::rowsFormat = QStringLiteral("application/x-discshelf-rows");

isoTreeWidget::isoTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
    , isoIcon(QStringLiteral(":/icons/blank_cd.png"))
    , bootIcon(bootIconFrom(isoIcon))
    , problemIcon(problemIconFrom(isoIcon, style()->standardIcon(QStyle::SP_MessageBoxWarning)))
    , folderIcon(QFileIconProvider().icon(QFileIconProvider::Folder))
{
    setColumnCount(2);
    setHeaderLabels({ QCoreApplication::translate("isoTreeWidget", "Name"),
                      QCoreApplication::translate("isoTreeWidget", "Size") });
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
    setAcceptDrops(true);
    setDragEnabled(true);
}

isoTreeWidget::~isoTreeWidget() = default;

QTreeWidgetItem *isoTreeWidget::makeRow(const IsoRow &row) const
{
    const bool folder = row.kind == IsoRow::Kind::Folder;
    auto *item = new RowItem(QTreeWidgetItem::Type);
    item->setText(NameColumn, row.displayName());
    item->setData(NameColumn, KindRole, folder ? FolderRow : ImageRow);
    item->setData(NameColumn, PathRole, row.devicePath);
    if (folder) {
        item->setIcon(NameColumn, folderIcon);
        item->tip = row.name;
        return item;
    }
    item->setText(SizeColumn, CopyProgress::sizeText(row.size));
    item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->bootPath = row.imagePath();
    describeImage(item, row);
    return item;
}

void isoTreeWidget::styleImageRow(QTreeWidgetItem *item, bool boots) const
{
    QFont font = item->font(NameColumn);
    font.setBold(boots);
    item->setFont(NameColumn, font);
    const QString &problem = rowItem(item)->problem;
    item->setIcon(NameColumn, !problem.isEmpty() ? problemIcon : boots ? bootIcon : isoIcon);
}

void isoTreeWidget::markBootImage(const QString &bootImage)
{
    shownBoot = bootImage;
    forEachRow(invisibleRootItem(), [&](QTreeWidgetItem *item) {
        if (isImageRow(item))
            styleImageRow(item,
                          rowItem(item)->bootPath.compare(bootImage, Qt::CaseInsensitive) == 0);
    });
}

void isoTreeWidget::markProblems(const QHash<QString, QString> &problems)
{
    if (problems == shownProblems)
        return;
    shownProblems = problems;
    forEachRow(invisibleRootItem(), [&](QTreeWidgetItem *item) {
        if (!isImageRow(item))
            return;
        const QString problem = problems.value(item->data(NameColumn, PathRole).toString());
        if (problem == rowItem(item)->problem)
            return;
        rowItem(item)->problem = problem;
        styleImageRow(item, item->font(NameColumn).bold());
    });
}

isoTreeWidget::Place isoTreeWidget::currentPlace() const
{
    Place place;
    if (!listed)
        return place;
    place.selected = selectedPath();
    place.scrolled = verticalScrollBar()->value();
    place.stick = shownStick;
    place.known = true;
    forEachRow(invisibleRootItem(), [&](QTreeWidgetItem *item) {
        if (item->isExpanded())
            place.open.insert(item->data(NameColumn, PathRole).toString());
    });
    return place;
}

void isoTreeWidget::showRows(const QList<IsoRow> &rows, const QString &bootImage,
                             const QString &stick)
{
    // A relisting of an unchanged stick: rebuilding thousands of rows would change nothing.
    if (listed && stick == shownStick && rows == shownRows) {
        if (bootImage != shownBoot)
            markBootImage(bootImage);
        return;
    }
    // The same rows but for their images' headers: the rows are told what is new, in place. A
    // header still to be read leaves the row as it is shown until it comes.
    if (listed && stick == shownStick && sameButHeaders(rows, shownRows)) {
        QSet<qsizetype> changed;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            IsoRow &shown = shownRows[i];
            const IsoRow &row = rows.at(i);
            if (!row.headerRead || (shown.headerRead && row.info == shown.info))
                continue;
            shown = row;
            changed.insert(i);
        }
        if (!changed.isEmpty()) {
            qsizetype at = 0; // the tree's rows were made from shownRows, one for one
            forEachRow(invisibleRootItem(), [&](QTreeWidgetItem *item) {
                if (changed.contains(at))
                    describeImage(rowItem(item), shownRows.at(at));
                ++at;
            });
            emit rowsShown(); // labels to filter by may have come
        }
        if (bootImage != shownBoot)
            markBootImage(bootImage);
        return;
    }
    // Where the user was, by path, so that a new listing does not lose it; placeholders shown
    // meanwhile (the scan cycle's, a stick pulled and plugged back) do not count, and another
    // stick shown meanwhile keeps its own place.
    if (listed)
        kept.insert(shownStick, currentPlace());
    const Place was = kept.take(stick);
    const QSet<QString> &open = was.open;
    const QString &selected = was.selected;
    const int scrolled = was.scrolled;
    shownStick = stick;

    clear();
    shownRows = rows;
    shownBoot = bootImage;
    shownProblems.clear();
    // Rows are put together off the tree and shown in one go: every row added to a live tree
    // costs a round of model and view notifications.
    QList<QTreeWidgetItem *> topLevel;
    QList<QTreeWidgetItem *> parents; // the folder row at each depth above the current row
    QTreeWidgetItem *select = nullptr;
    QTreeWidgetItem *boots = nullptr;
    for (const IsoRow &row : rows) {
        QTreeWidgetItem *item = makeRow(row);
        if (row.kind == IsoRow::Kind::Image) {
            styleImageRow(item, row.isBootImage(bootImage));
            if (row.isBootImage(bootImage))
                boots = item;
        }
        parents.resize(row.depth);
        if (parents.isEmpty())
            topLevel.append(item);
        else
            parents.last()->addChild(item);
        if (row.kind == IsoRow::Kind::Folder)
            parents.append(item);
        if (!selected.isEmpty() && row.devicePath == selected)
            select = item;
    }
    addTopLevelItems(topLevel);
    listed = true;
    if (!open.isEmpty())
        forEachRow(invisibleRootItem(), [&](QTreeWidgetItem *item) {
            item->setExpanded(open.contains(item->data(NameColumn, PathRole).toString()));
        });
    if (select)
        setCurrentItem(select);
    verticalScrollBar()->setValue(scrolled);
    // Which image boots is the first thing to see on a stick.
    if (!was.known && boots) {
        for (QTreeWidgetItem *up = boots->parent(); up; up = up->parent())
            up->setExpanded(true);
        scrollToItem(boots);
    }
    emit rowsShown();
}

void isoTreeWidget::showPlaceholder(const QString &text)
{
    if (listed)
        kept.insert(shownStick, currentPlace());
    clear();
    listed = false;
    shownRows.clear();
    shownProblems.clear();
    addTopLevelItem(new QTreeWidgetItem(QStringList(text)));
    emit rowsShown();
}

bool isoTreeWidget::isImageRow(const QTreeWidgetItem *row)
{
    return row && row->data(NameColumn, KindRole) == QVariant(ImageRow);
}

QString isoTreeWidget::selectedImage() const
{
    const QList<QTreeWidgetItem *> rows = selectedItems();
    if (rows.isEmpty() || !isImageRow(rows.first()))
        return {};
    return rows.first()->data(NameColumn, PathRole).toString();
}

QString isoTreeWidget::selectedPath() const
{
    const QList<QTreeWidgetItem *> rows = selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->data(NameColumn, PathRole).toString();
}

QStringList isoTreeWidget::mimeTypes() const
{
    return { QStringLiteral("text/uri-list"), rowsFormat };
}

Qt::DropActions isoTreeWidget::supportedDropActions() const
{
    return Qt::CopyAction;
}

QMimeData *isoTreeWidget::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    QStringList paths;
    QList<QUrl> urls;
    for (const QTreeWidgetItem *item : items) {
        if (item->data(NameColumn, KindRole).isNull())
            continue;
        const QString path = item->data(NameColumn, PathRole).toString();
        paths << path;
        // A file manager takes an image in one file as it is; a split one is joined by Save a
        // Copy.
        if (isImageRow(item) && !path.endsWith(QLatin1String(".0")) && !deviceRoot.isEmpty())
            urls << QUrl::fromLocalFile(QDir::cleanPath(deviceRoot + path));
    }
    if (paths.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(rowsFormat, paths.join(QLatin1Char('\n')).toUtf8());
    data->setUrls(urls);
    return data;
}

void isoTreeWidget::startDrag(Qt::DropActions)
{
    QTreeWidget::startDrag(Qt::CopyAction);
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
    const bool folder = row && row->data(NameColumn, KindRole) == QVariant(FolderRow);
    const QString destDir
        = DeviceFolder(folder ? row->data(NameColumn, PathRole).toString() : QString()).path();

    // Rows of this tree move on the stick; their files' addresses are not copied back onto it.
    if (data->hasFormat(rowsFormat)) {
        const QStringList paths = QString::fromUtf8(data->data(rowsFormat))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        emit moveRows(paths, destDir);
        return false;
    }
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
