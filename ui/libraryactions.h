// The window's actions that keep the stick as a library: renaming (F2), moving (a drag within
// the tree, Cut and Paste), saving an image back to the computer (joined and verified), opening
// the stick in the file manager, and syncing a folder of images onto it after one question
// with the plan. It asks the questions and hands the work to the core's components.
#pragma once

#include "ui/stickactions.h"

#include <QObject>
#include <QStringList>

class QAction;

class LibraryActions : public QObject
{
    Q_OBJECT
public:
    LibraryActions(const StickActions::Parts &given, const StickActions *stickActions,
                   QObject *parent);

    // What the tree's menu offers of these.
    QList<QAction *> menuActions() const;

signals:
    // Images to copy into destDir, as a drop would be: the copies of a sync.
    void filesChosen(QString destDir, QStringList files);
    void stickChanged();

public slots:
    void rename();
    void cut();
    void paste();
    // Moves the rows at paths into the folder destDir; a drop within the tree.
    void move(const QStringList &paths, const QString &destDir);
    void saveCopy();
    void openInFileManager();
    void syncFolder();
    void updateActions();

private:
    QAction *makeAction(const QString &objectName, const QString &text, const QKeySequence &key,
                        void (LibraryActions::*slot)(), bool onTree);
    QString selectedPath() const;
    bool selectedIsFolder() const;
    // The folder the selection stands in (its own for a folder row), from the root.
    QString selectedFolder() const;
    // A copy waits or runs in folder (or below it); told to the user.
    bool copyPending(const QString &path);
    bool canWrite() { return StickActions::mayWrite(*parts.detector, parts.window); }
    void select(const QString &path);

    StickActions::Parts parts;
    const StickActions *stickActions;
    QAction *renameAction;
    QAction *cutAction;
    QAction *pasteAction;
    QAction *saveAction;
    QAction *openAction;
    QAction *syncAction;
    QStringList cutPaths;
};
