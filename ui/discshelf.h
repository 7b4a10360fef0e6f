// The main window and controller: owns every long-lived object and runs the scan cycle
// (locate the device, check its selector program, list its images, wait).
#pragma once

#include "copy/copyentry.h"
#include "ui_discshelf.h"

#include <QIcon>
#include <QList>
#include <QSet>
#include <QMainWindow>
#include <QNetworkReply>
#include <QTreeWidgetItem>
#include <QStateMachine>
#include <QUrl>

class QMessageBox;
class QNetworkAccessManager;

class QState;
class QThread;

class ScsiDriveDetector;
class isoCopyWorker;
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
    const QStateMachine &scanCycle() const { return stateMachine; }

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
    void fileCopyFailed(int code);
    void queueFilesToCopy(QString destDir, QStringList filenames);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startNextCopy();
    void updateCopyWidgets();
    void removeStaleTemps();
    void buildScanCycle();
    void showRefreshFailed();
    bool cycleIsReady() const;

    Ui::discShelfClass ui;
    bool closing;
    bool scanCancelled;
    QIcon isoIcon;
    QIcon folderIcon;
    ScsiDriveDetector *detector;
    QState *readyState = nullptr;
    QState *busyState = nullptr;
    QState *locatingState = nullptr;
    QState *checkingState = nullptr;
    QState *listingState = nullptr;
    QStateMachine stateMachine;
    isoTreeWidget *isoTree = nullptr;
    QMessageBox *writeFailedBox = nullptr;
    QMessageBox *nonIsoBox = nullptr;
    QMessageBox *deviceGoneBox = nullptr;
    int copyIndex = 0;
    QThread *copyThread;
    isoCopyWorker *copyWorker;
    QList<CopyEntry> copyQueue;
    QNetworkAccessManager *nam;
    QUrl downloadUrl;
    // Name of the file the worker is copying, kept for failure reports after the queue empties.
    QString copyingName;
    // The same copy as a path relative to the device root ("/linux/a.iso").
    QString copyingTarget;
    // Copies that failed, perhaps on a volume that vanished before their ".temp" could go;
    // each listing of the device tries again (a bounded, cheap retry per failed copy).
    QSet<QString> staleTemps;
    // Drops being examined at once (a drop can arrive while another one is being examined).
    int examining = 0;
    // A new batch waits for the report of a copy left over from a batch that was dropped.
    bool startDeferred = false;
};
