// The device's folders and images as a tree that takes file drops and names their destination.
// It marks the image the device boots and keeps its expanded folders, selection and scroll
// position when the rows are listed anew.
#pragma once

#include "library/isolisting.h"

#include <QHash>
#include <QIcon>
#include <QSet>
#include <QTreeWidget>

class isoTreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    // What a row carries in column 0 besides its text, set when the rows are made (an image's
    // label again when its header comes).
    enum Role {
        KindRole = Qt::UserRole, // FolderRow or ImageRow; placeholder rows carry none
        PathRole, // the row's path from the device root, "/linux/a.iso"
        LabelRole = Qt::UserRole + 16, // an image's ISO volume label, for the filter
    };
    // What rows dragged from the tree carry: their paths, one a line.
    static const QString rowsFormat;
    enum RowKind { FolderRow = 0, ImageRow = 1 };
    enum Column { NameColumn, SizeColumn };

    explicit isoTreeWidget(QWidget *parent);
    ~isoTreeWidget() override;

    // Replaces every row with the listing's, marking the image bootImage names ("/linux/a.iso",
    // a split image without ".0"); folders open, the selection and the scroll position stay
    // where they were, by path. stick tells one stick from another (its volume's serial): a
    // listing of the stick last listed takes up the place it had before placeholders came
    // between (a Refresh, a replug, another stick shown). A stick listed afresh opens the folders
    // above the image it boots and scrolls to it. The rows shown already are kept as they are,
    // and told in place what the headers of their images say when only those changed.
    void showRows(const QList<IsoRow> &rows, const QString &bootImage = {},
                  const QString &stick = {});
    // One row that is no place on the device.
    void showPlaceholder(const QString &text);
    void markBootImage(const QString &bootImage);
    // Marks the rows of images with a problem, the problem's text in their tooltip; by row path.
    void markProblems(const QHash<QString, QString> &problems);

    static bool isImageRow(const QTreeWidgetItem *row);
    // The selected image's path on the device; empty when no image row is selected.
    QString selectedImage() const;
    // The selected row's path, or "" (folders and images alike).
    QString selectedPath() const;

    // The device root of the rows shown: rows dragged out carry their files' addresses.
    void setDeviceRoot(const QString &root) { deviceRoot = root; }

signals:
    void copyFiles(QString destDir, QStringList filenames);
    // Rows of the tree dropped on a folder of it (paths as PathRole has them).
    void moveRows(QStringList paths, QString destDir);
    // The rows were made anew (a listing or a placeholder), or their images' headers came.
    void rowsShown();

protected:
    QStringList mimeTypes() const override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *data,
                      Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    // Dragged rows are only ever copied out: a move within the tree is the stick's to make.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    // Where the user was in a listing, by path.
    struct Place {
        QSet<QString> open;
        QString selected;
        int scrolled = 0;
        QString stick;
        bool known = false; // taken from a listing
    };
    Place currentPlace() const;

    QTreeWidgetItem *makeRow(const IsoRow &row) const;
    void styleImageRow(QTreeWidgetItem *item, bool boots) const;

    QIcon isoIcon;
    QIcon bootIcon;
    QIcon problemIcon;
    QIcon folderIcon;
    bool listed = false; // rows of a listing, not a placeholder, are shown
    QString shownStick;  // the stick whose rows are shown, or were last
    // The place in each stick's last listing, while a placeholder or another stick is shown.
    QHash<QString, Place> kept;
    QList<IsoRow> shownRows; // while listed
    QString shownBoot;
    QHash<QString, QString> shownProblems;
    QString deviceRoot;
};
