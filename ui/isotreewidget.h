// The device's folders and images as a tree that takes file drops and names their destination.
#pragma once

#include "library/isolisting.h"

#include <QIcon>
#include <QTreeWidget>

class isoTreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    // What a row carries in column 0 besides its text, set once when the rows are made.
    enum Role {
        KindRole = Qt::UserRole, // FolderRow or ImageRow; placeholder rows carry none
        PathRole,                // the row's path from the device root, "/linux/a.iso"
    };
    enum RowKind { FolderRow = 0, ImageRow = 1 };

    explicit isoTreeWidget(QWidget *parent);
    ~isoTreeWidget() override;

    // Replaces every row: the listing's rows, or one placeholder row that is no place on the
    // device.
    void showRows(const QList<IsoRow> &rows);
    void showPlaceholder(const QString &text);

    static bool isImageRow(const QTreeWidgetItem *row);
    // The selected image's path on the device; empty when no image row is selected.
    QString selectedImage() const;

signals:
    void copyFiles(QString destDir, QStringList filenames);

protected:
    QStringList mimeTypes() const override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *data,
                      Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;

private:
    QTreeWidgetItem *makeRow(const IsoRow &row) const;

    QIcon isoIcon;
    QIcon folderIcon;
};
