// The choice among several discwands plugged in at once: a list above the tree (label, size,
// serial), shown only while there is more than one, the choice remembered by serial. Each
// stick's copies go on whichever is shown.
#pragma once

#include <QObject>

class QBoxLayout;
class QComboBox;
class ScanCycle;
class ScsiDriveDetector;

class StickChooser : public QObject
{
    Q_OBJECT
public:
    // The list goes at the top of layout. The detector takes the stick remembered, or the
    // first there is while that one is away.
    StickChooser(QBoxLayout *layout, ScsiDriveDetector *detector, ScanCycle *cycle,
                 QObject *parent);

private:
    void refill();
    void choose(int index);
    // Hands the stick to show to the detector.
    void follow();

    QComboBox *box;
    ScsiDriveDetector *detector;
    ScanCycle *cycle;
    // The serial of the stick shown (or remembered): kept while it is plugged in.
    QString pinned;
};
