// The main window: the view that wires the detector, the scan cycle, the tree, the copy queue,
// the drop admission and the selector download together and shows what they report.
#pragma once

#include "copy/copyqueue.h"
#include "copy/dropadmission.h"
#include "library/imagechoice.h"
#include "library/isolisting.h"
#include "library/stickcheck.h"
#include "library/stickstatus.h"
#include "ui_discshelf.h"

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

class QNetworkReply;
class QProgressBar;
class QStateMachine;
class QTreeWidgetItem;
class ScanCycle;
class StickOverview;
class ScsiDriveDetector;
class StickActions;
class StickCopies;
class ImageChecker;
class WandmenuFetch;
class isoTreeWidget;

class discShelf : public QMainWindow
{
    Q_OBJECT
public:
    explicit discShelf(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~discShelf() override;

    // Where the selector program is fetched from; tests point it at a local server.
    void setDownloadUrl(const QUrl &url);
    // The scan cycle, for observers that need to know which state is active.
    const QStateMachine &scanCycle() const;

signals:
    void wandmenuDownloaded();
    void listingComplete();
    void startFileCopy(QString destDir, QString sourceFile);

public slots:
    void showLocating();
    void buildIsoList();
    void checkWandmenu();
    void namFinished(QNetworkReply *reply);
    void loadClickedISO(QTreeWidgetItem *item, int);
    void loadSelectedISO();
    void updateLoadIsoButton();
    void cancelScan();
    void fileCopyDone();
    void cancelFileCopy();
    void cancelAllFileCopies();
    void updateFileProgress(int value, int total);
    // Shows the failure's box; the numbers are CopyError's.
    void fileCopyFailed(int code);
    void queueFilesToCopy(QString destDir, QStringList filenames);
    // An image from the web straight onto the stick, as one more file of the stick's copies.
    void downloadFromAddress(QString destDir, QUrl url, QByteArray sha256, QUrl sums);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // A drop goes to the stick shown when it was dropped, whichever is shown once it is
    // examined.
    struct Drop {
        DeviceFolder dest;
        QStringList files;
        QString root;
        QString stick; // its serial
    };

    void makeBoxes();
    void saveWindowPlace() const;
    void restoreWindowPlace();
    void startSelectorDownload();
    void wireScanCycle();
    void wireCopies();
    void examineNextDrop();
    void dropExamined(const DropAdmission::Plan &plan);
    // Hands admitted entries to a stick's queue (null: the stick went away).
    void startCopies(CopyQueue *queue, const QList<CopyEntry> &entries);
    void copiesStopped(CopyQueue::Stop why);
    void showCopyFailure(int code, const QString &name, const QString &why);
    // Another stick's copies are shown: the bars take up where its queue is.
    void showOtherCopies();
    void updateCopyWidgets();
    void showDownloadRow(bool shown);
    static void showProgress(QProgressBar *bar, int value, int total);
    void showRefreshFailed();
    QString stickSerial() const; // the volume's, which tells one stick from another
    // A listing's rows and the stick's problems found with it, in the tree and the overview.
    void showListing(const IsoListing &listed, const QList<StickProblem> &problems);
    // A modal box whose text is shown as it is: file names are never read as markup.
    int plainBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    Ui::discShelfClass ui;
    bool closing = false;
    ScsiDriveDetector *detector;
    ScanCycle *cycle;
    isoTreeWidget *isoTree;
    QMessageBox *writeFailedBox = nullptr;
    QMessageBox *nonIsoBox = nullptr;
    QMessageBox *deviceGoneBox = nullptr;
    StickCopies *copies;
    DropAdmission *admission;
    WandmenuFetch *fetch;
    StickActions *actions;
    ImageChoice choice;
    // Drops wait here to be examined one after the other.
    QList<Drop> drops;
    Drop examined; // the drop being examined or decided
    // The questions of an examined drop are being asked.
    bool deciding = false;
    StickOverview *overview = nullptr;
    ImageChecker *checker = nullptr;
    // The stick as last listed.
    StickStatus stick;
    bool stickReadOnly = false; // as the stick's line shows it
    // A listing is being read, and another was asked for meanwhile.
    bool listing = false;
    bool listAgain = false;
    // The question about the missing selector program was asked for the stick plugged now.
    bool selectorAsked = false;
};
