// The window's actions on the stick besides choosing an image and dropping files: adding images
// through a file dialog, deleting, making a folder and ejecting, with their buttons, keys and
// the tree's context menu, and the keys that reach the rest of the window. It asks the
// questions and hands the work to the core's components.
#pragma once

#include "library/ejector.h"
#include "ui_discshelf.h"

#include <QMenu>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

class StickCopies;
class DeviceFolder;
class QAction;
class QTreeWidgetItem;
class ScanCycle;
class ScsiDriveDetector;
class isoTreeWidget;

class StickActions : public QObject
{
    Q_OBJECT
public:
    // The device is there and takes changes; tells the user when not. Asked before each
    // change the window makes to the stick.
    static bool mayWrite(const ScsiDriveDetector &detector, QWidget *window);
    // What the actions work on; all of it belongs to the window and outlives them.
    struct Parts {
        QWidget *window;
        Ui::discShelfClass *form;
        isoTreeWidget *tree;
        const ScsiDriveDetector *detector;
        const StickCopies *copies;
        const ScanCycle *cycle;
    };

    StickActions(const Parts &given, QObject *parent);

signals:
    // Files chosen in the dialog, for the same admission as a drop onto destDir.
    void filesChosen(QString destDir, QStringList files);
    // An image to download into destDir (a folder on the stick), with its checksum or the
    // address of a checksum file when the user gave one.
    void addressChosen(QString destDir, QUrl url, QByteArray sha256, QUrl sums);
    // A deletion or a new folder changed what the stick holds, or an ejection did not happen.
    void stickChanged();
    // The tree's menu is about to open on the image at this row path ("/big.iso.0"; "" for
    // none): others may add their entries to it.
    void menuShown(QMenu *menu, const QString &imagePath);
    // Which actions make sense was looked at anew (a selection, the stick, its switch, copies).
    void actionsUpdated();

public slots:
    void addImages();
    void getFromAddress();
    void deleteSelected();
    void newFolder();
    void eject();
    void updateActions();
    // Asks, then deletes the image at this row path; the Delete key's and menu's path.
    void deleteImage(const QString &path);
    // The read-only switch was seen set or cleared: what would write is off meanwhile.
    void setReadOnly(bool on);

    // Why what writes is off, for its tooltip.
    static QString readOnlyReason();
    // More actions for the tree's menu, shown after these while enabled.
    void addMenuActions(const QList<QAction *> &more) { menuActions << more; }
    // The stick takes writes now: plugged in, listed, not read-only, not being ejected.
    bool writesAllowed() const { return addAction->isEnabled(); }

private:
    QAction *makeAction(const QString &objectName, const QString &text,
                        const QList<QKeySequence> &keys, void (StickActions::*slot)());
    void wireKeys();
    void showMenu(const QPoint &pos);
    void pressEnter();
    void ejected(Ejector::Outcome outcome, const QString &detail);
    void cycleRested();
    void deleteFolder(const QString &path);
    // The selected row, or none for a placeholder row or no selection.
    QTreeWidgetItem *selectedRow() const;
    // Where new things go: the selected folder, the selected image's folder, else the top.
    DeviceFolder targetFolder() const;
    bool isPending(const QString &path, bool inside) const;
    bool canWrite() { return mayWrite(*parts.detector, parts.window); }

    Parts parts;
    Ejector *ejector;
    QAction *addAction;
    QAction *ejectAction;
    QAction *deleteAction;
    QAction *folderAction;
    QAction *addressAction;
    bool readOnly = false;
    QList<QAction *> menuActions;
    // The device root of a stick ejected since it was last listed.
    QString ejectedRoot;
};
