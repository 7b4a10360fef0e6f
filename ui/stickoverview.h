// The stick at a glance above its tree: its label, file system, capacity, free room and
// read-only state on one line, kept up to date with the read-only switch, the image it boots on
// a line of its own, and its problems in a menu that offers each one's repair.
#pragma once

#include "library/stickcheck.h"
#include "library/stickstatus.h"

#include <QObject>
#include <QTimer>

class QAction;
class QLabel;
class QToolButton;
class QWidget;
class ScsiDriveDetector;

class StickOverview : public QObject
{
    Q_OBJECT
public:
    StickOverview(QLabel *summary, QToolButton *problems, const ScsiDriveDetector *detector,
                  QWidget *window);

    void show(const StickStatus &status, const QList<StickProblem> &problems);
    void showReadOnly(bool readOnly);
    // Offered below the problems: reading the images again to find those the flash damaged.
    void setCheckAction(QAction *action);
    // Images the user chose to keep though they will not boot: no problem any more.
    static QStringList keptImages();

signals:
    // A repair changed the stick: it wants listing again.
    void relistWanted();
    void downloadWanted();
    // The user chose to delete the image at this row path; the deletion asks its own question.
    void deleteWanted(const QString &path);
    // Whether a stick is shown with its read-only switch set; said on every change of the line.
    void readOnlyChanged(bool readOnly);

private:
    void updateLine();
    qsizetype menuSize(const QList<StickProblem> &found) const; // its entries, when it shows found
    void repair(const StickProblem &problem);
    void deleteOrKeep(const StickProblem &problem);
    // What a click on the problem's entry does, "" for nothing.
    static QString actionText(StickProblem::Kind kind);
    void checkSwitch();

    QLabel *summary;
    QToolButton *problems;
    const ScsiDriveDetector *detector;
    QWidget *window;
    QAction *checkAction = nullptr;
    StickStatus status;
    QList<StickProblem> shownProblems; // in the menu
    // The read-only switch can change at any time; it is looked at once a second.
    QTimer switchWatch;
};
