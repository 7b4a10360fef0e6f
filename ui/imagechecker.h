// The window's check of the stick's images: "Check Images" reads the selected image, or all of
// them, from the stick again with progress, speed and time left, and tells each one's verdict;
// damaged images join the stick's problems. The tree's menu offers an image's SHA-256 for the
// clipboard and a check against a checksum the user gives.
#pragma once

#include "library/imagecheck.h"
#include "library/stickcheck.h"

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;
class ScsiDriveDetector;
class isoTreeWidget;
struct PublishedSum;

class ImageChecker : public QObject
{
    Q_OBJECT
public:
    ImageChecker(QWidget *window, const ScsiDriveDetector *detector, isoTreeWidget *tree);

    QAction *checkAction() const { return action; }
    // The damaged images found by the last checks that the listing still holds.
    QList<StickProblem> problems(const IsoListing &listing) const;

public slots:
    // The selected image, or every image when none is selected.
    void checkImages();
    // Adds "Copy SHA-256" and "Check against a checksum…" for the image at this row path.
    void fillMenu(QMenu *menu, const QString &rowPath);

signals:
    // The record or the problems changed: the stick wants listing again.
    void stickChanged();

private:
    // Reads the images with a progress dialog; empty when it was cancelled.
    QList<ImageVerdict> run(const QStringList &paths, bool sha512);
    void checkAgainst(const QString &imagePath);
    void showResults(const QList<ImageVerdict> &verdicts);
    void save(const QList<ImageVerdict> &verdicts);

    QWidget *window;
    const ScsiDriveDetector *detector;
    isoTreeWidget *tree;
    QAction *action;
    QStringList damaged; // paths from the device root
};
