#include "library/isotreewidget.h"

#include <QDebug>
#include <QMimeData>
#include <QUrl>

isoTreeWidget::isoTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setAcceptDrops(true);
}

isoTreeWidget::~isoTreeWidget() = default;

QStringList isoTreeWidget::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
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

    QTreeWidgetItem *row = parent;
    if (row && row->data(0, Qt::UserRole) == QVariant(1))
        row = row->parent();
    // Only directory rows (flag 0) name a folder; a placeholder row is no place on the stick.
    if (row && row->data(0, Qt::UserRole) != QVariant(0))
        row = nullptr;

    QString destDir = QStringLiteral("/");
    for (; row; row = row->parent())
        destDir.prepend(QLatin1Char('/') + row->text(0));

    qDebug() << "Putting the following in" << destDir << ":";
    QStringList filenames;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        qDebug() << url;
        filenames.append(url.toLocalFile());
    }
    emit copyFiles(destDir, filenames);
    return true;
}
