// Construction, wiring, the scan cycle and shutdown of the main window. The bodies of the
// library and copy slots live beside their subsystems (library/, copy/).
#include "ui/discshelf.h"

#include "copy/isocopyworker.h"
#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"
#include "ui/constants.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalTransition>
#include <QThread>

namespace {

QMessageBox *makeBox(QWidget *parent, const QString &title, const QString &text,
                     QMessageBox::Icon icon)
{
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(title);
    box->setText(text);
    box->setIcon(icon);
    return box;
}

} // namespace

discShelf::discShelf(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , closing(false)
    , scanCancelled(false)
    , detector(new ScsiDriveDetector(Discshelf::vendorName, Discshelf::productName, this))
    , copyThread(new QThread(this))
    , copyWorker(new isoCopyWorker)
    , nam(new QNetworkAccessManager(this))
    , downloadUrl(Discshelf::downloadAddress)
{
    isoTree = new isoTreeWidget(this);
    connect(nam, &QNetworkAccessManager::finished, this, &discShelf::namFinished);

    ui.setupUi(this);
    ui.verticalLayout->insertWidget(0, isoTree);
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" r") + QStringLiteral("39"));

    writeFailedBox = makeBox(
        this, tr("Couldn't write to discwand"),
        tr("Couldn't get write access to your discwand.\nPlease check that the read-only switch "
           "is in the read/write position.\nYou may need to replug the discwand for this to take "
           "effect.\n\nIf this problem persists, contact ")
            + Discshelf::supportAddress,
        QMessageBox::Warning);
    writeFailedBox->setModal(true);
    nonIsoBox = makeBox(
        this, tr("Ignoring non-ISO files!"),
        tr("You dropped some non-ISO files here.\nI'm only going to copy ISO files, and ignore the "
           "others.\n\nIf that's not okay with you, hit Abort and I won't do anything.\n"
           "Otherwise, hit Ok and I'll go ahead and copy only the ISO files."),
        QMessageBox::Information);
    nonIsoBox->addButton(QMessageBox::Ok);
    nonIsoBox->addButton(QMessageBox::Abort);
    nonIsoBox->setDefaultButton(QMessageBox::Abort);
    nonIsoBox->setModal(true);
    deviceGoneBox = makeBox(
        this, tr("discwand disappeared!"),
        tr("The discwand disappeared, interrupting an ongoing operation.\nIf you believe this "
           "message is in error, please contact ")
            + Discshelf::supportAddress,
        QMessageBox::Warning);
    deviceGoneBox->setModal(true);

    connect(isoTree, &QTreeWidget::itemDoubleClicked, this, &discShelf::loadClickedISO);
    connect(isoTree, &QTreeWidget::itemSelectionChanged, this, &discShelf::updateLoadIsoButton);
    connect(ui.btnLoadISO, &QPushButton::clicked, this, &discShelf::loadSelectedISO);
    connect(isoTree, &isoTreeWidget::copyFiles, this, &discShelf::queueFilesToCopy);
    connect(ui.btnAbort, &QPushButton::clicked, this, &discShelf::cancelScan);
    connect(ui.btnAbort, &QPushButton::clicked, ui.btnAbort, &QWidget::hide);
    connect(ui.btnAbort, &QPushButton::clicked, ui.lblScanning, &QWidget::hide);
    connect(ui.btnCancelAll, &QPushButton::clicked, this, &discShelf::cancelAllFileCopies);
    connect(ui.btnCancelCurrentFile, &QPushButton::clicked, this, &discShelf::cancelFileCopy);

    isoIcon = QIcon(QStringLiteral(":/icons/blank_cd.png"));
    folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);

    restoreGeometry(QSettings().value(QStringLiteral("geom")).toByteArray());

    for (QWidget *w : {static_cast<QWidget *>(ui.btnCancelAll),
                       static_cast<QWidget *>(ui.btnCancelCurrentFile),
                       static_cast<QWidget *>(ui.lblCurrentFile),
                       static_cast<QWidget *>(ui.lblOverallProgress),
                       static_cast<QWidget *>(ui.progressBarOverall),
                       static_cast<QWidget *>(ui.progressBarCurrentFile),
                       static_cast<QWidget *>(ui.btnAbort), static_cast<QWidget *>(ui.lblScanning),
                       static_cast<QWidget *>(ui.label),
                       static_cast<QWidget *>(ui.horizontalSliderBrightness)})
        w->hide();

    copyThread->start(QThread::InheritPriority);
    copyWorker->moveToThread(copyThread);
    connect(this, &discShelf::startFileCopy, copyWorker, &isoCopyWorker::copyFile);
    connect(copyWorker, &isoCopyWorker::finished, this, &discShelf::fileCopyDone);
    connect(copyWorker, &isoCopyWorker::progressUpdate, this, &discShelf::updateFileProgress);
    connect(copyWorker, &isoCopyWorker::failed, this, &discShelf::fileCopyFailed);

    buildScanCycle();
    stateMachine.start();
}

discShelf::~discShelf()
{
    // A copy still running would outlive its thread object: stop it at the next chunk
    // (the worker removes its files), and any copy not yet begun, then wait for the thread.
    copyWorker->shutDown();
    copyWorker->deleteLater();
    copyThread->quit();
    copyThread->wait();
}

void discShelf::setDownloadUrl(const QUrl &url)
{
    downloadUrl = url;
}

void discShelf::buildScanCycle()
{
    readyState = new QState;
    busyState = new QState;
    locatingState = new QState(busyState);
    checkingState = new QState(busyState);
    listingState = new QState(busyState);
    readyState->setObjectName(QStringLiteral("readyState"));
    busyState->setObjectName(QStringLiteral("busyState"));
    locatingState->setObjectName(QStringLiteral("locatingState"));
    checkingState->setObjectName(QStringLiteral("checkingState"));
    listingState->setObjectName(QStringLiteral("listingState"));
    busyState->setInitialState(locatingState);
    stateMachine.addState(readyState);
    stateMachine.addState(busyState);
    stateMachine.setInitialState(busyState);

    readyState->addTransition(ui.btnRefresh, &QPushButton::clicked, busyState);
    readyState->addTransition(detector, &ScsiDriveDetector::driveDisappeared, busyState);
    busyState->addTransition(detector, &ScsiDriveDetector::driveDisappeared, busyState);
    readyState->addTransition(detector, &ScsiDriveDetector::youShouldRefreshNow, busyState);
    locatingState->addTransition(detector, &ScsiDriveDetector::refreshComplete, checkingState);
    checkingState->addTransition(this, &discShelf::wandmenuDownloaded, listingState);
    listingState->addTransition(this, &discShelf::listingComplete, readyState);
    // A pass that could not query the system must not leave the cycle stuck with Refresh hidden.
    locatingState->addTransition(detector, &ScsiDriveDetector::refreshFailed, readyState);

    connect(readyState, &QState::entered, ui.btnRefresh, &QWidget::show);
    connect(readyState, &QState::entered, ui.btnLoadISO, &QWidget::show);
    connect(busyState, &QState::entered, ui.btnRefresh, &QWidget::hide);
    connect(busyState, &QState::entered, ui.btnLoadISO, &QWidget::hide);
    connect(checkingState, &QState::entered, this, &discShelf::checkWandmenu);
    connect(listingState, &QState::entered, this, &discShelf::buildIsoList);
    connect(locatingState, &QState::entered, this, &discShelf::showLocating);
    connect(locatingState, &QState::entered, detector, &ScsiDriveDetector::forceRefresh);
    connect(detector, &ScsiDriveDetector::refreshFailed, this, &discShelf::showRefreshFailed);
}

bool discShelf::cycleIsReady() const
{
    return stateMachine.configuration().contains(readyState);
}

void discShelf::showLocating()
{
    isoTree->clear();
    isoTree->addTopLevelItem(new QTreeWidgetItem(QStringList(tr("<Searching for your discwand>"))));
}

void discShelf::showRefreshFailed()
{
    isoTree->clear();
    isoTree->addTopLevelItem(new QTreeWidgetItem(
        QStringList(tr("<Couldn't look for your discwand. Click Refresh to try again.>"))));
}

void discShelf::cancelScan()
{
    scanCancelled = true;
}

void discShelf::closeEvent(QCloseEvent *event)
{
    QSettings().setValue(QStringLiteral("geom"), saveGeometry());
    closing = true;
    QMainWindow::closeEvent(event);
}
