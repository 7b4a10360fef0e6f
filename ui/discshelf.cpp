// Construction and wiring of the main window, and its slots: each hands the user's action or a
// component's report to where it belongs and shows the outcome.
#include "ui/discshelf.h"

#include "copy/copyerror.h"
#include "copy/offthread.h"
#include "detect/constants.h"
#include "detect/discwand.h"
#include "detect/scsidrivedetector.h"
#include "library/stickcheck.h"
#include "library/stickstatus.h"
#include "library/wandmenufetch.h"
#include "ui/boxprompts.h"
#include "ui/copystatus.h"
#include "ui/imagechecker.h"
#include "ui/isotreewidget.h"
#include "ui/libraryactions.h"
#include "ui/scancycle.h"
#include "ui/stickactions.h"
#include "ui/stickchooser.h"
#include "ui/stickcopies.h"
#include "ui/stickoverview.h"
#include "ui/treefilter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMessageBox>
#include <QNetworkReply>
#include <QSettings>
#include <QStatusBar>

#include <limits>
#include <tuple>

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

void fatalBox(const QString &title, const QString &text)
{
    QMessageBox::critical(nullptr, title, text);
}

// A failed connection to the system's disks must be seen, not only logged, in a window program.
ScsiDriveDetector *makeDetector(QObject *parent)
{
    ScsiDriveDetector::setFatalReporter(fatalBox);
    return new ScsiDriveDetector(Discshelf::vendorName, Discshelf::productName, parent);
}

// A prepared box may be asked for again while it is open (a drop during a copy that ends in
// it); one open box says it all.
void showOnce(QMessageBox *box)
{
    if (!box->isVisible())
        box->exec();
}

// The bar counts in ints; past 2 GiB both counts are halved until they fit, so the fraction
// shown stays right. An unknown total only needs a value that fits.
void fitToBar(qint64 &received, qint64 &total)
{
    constexpr qint64 limit = std::numeric_limits<int>::max();
    if (total < 0) {
        received = qMin(received, limit);
        return;
    }
    while (total > limit) {
        total >>= 1;
        received >>= 1;
    }
}

} // namespace

discShelf::discShelf(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , detector(makeDetector(this))
    , cycle(new ScanCycle(detector, this))
    , isoTree(new isoTreeWidget(this))
    , copies(new StickCopies(detector, this))
    , admission(new DropAdmission(this))
    , fetch(new WandmenuFetch(*detector, this))
    , choice(*detector)
{
    fetch->setUrl(QUrl(Discshelf::downloadAddress));
    ui.setupUi(this);
    ui.verticalLayout->insertWidget(0, isoTree);
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" r") + QStringLiteral("39"));
    makeBoxes();

    // The tree and the buttons.
    connect(isoTree, &QTreeWidget::itemDoubleClicked, this, &discShelf::loadClickedISO);
    connect(isoTree, &QTreeWidget::itemSelectionChanged, this, &discShelf::updateLoadIsoButton);
    connect(ui.btnLoadISO, &QPushButton::clicked, this, &discShelf::loadSelectedISO);
    connect(isoTree, &isoTreeWidget::copyFiles, this, &discShelf::queueFilesToCopy);
    connect(ui.btnAbort, &QPushButton::clicked, this, &discShelf::cancelScan);
    connect(ui.btnAbort, &QPushButton::clicked, ui.btnAbort, &QWidget::hide);
    connect(ui.btnAbort, &QPushButton::clicked, ui.lblScanning, &QWidget::hide);
    connect(ui.btnCancelAll, &QPushButton::clicked, this, &discShelf::cancelAllFileCopies);
    connect(ui.btnCancelCurrentFile, &QPushButton::clicked, this, &discShelf::cancelFileCopy);
    // Adding through a dialog, deleting, new folders, eject, and the keys.
    actions = new StickActions({ this, &ui, isoTree, detector, copies, cycle }, this);
    connect(actions, &StickActions::filesChosen, this, &discShelf::queueFilesToCopy);
    connect(actions, &StickActions::stickChanged, this, &discShelf::buildIsoList);
    // Renames, moves, copies back, sync and the filter box over the tree.
    auto *library
        = new LibraryActions({ this, &ui, isoTree, detector, copies, cycle }, actions, this);
    actions->addMenuActions(library->menuActions());
    connect(library, &LibraryActions::filesChosen, this, &discShelf::queueFilesToCopy);
    connect(library, &LibraryActions::stickChanged, this, &discShelf::buildIsoList);
    ui.verticalLayout->insertWidget(0, new TreeFilter(isoTree, this));

    // A drop: examined off the GUI thread, then its questions, then the queue.
    connect(admission, &DropAdmission::examining, ui.lblScanning,
            [this](const QString &path) { ui.lblScanning->setText(tr("Checking: ") + path); });
    connect(admission, &DropAdmission::examined, this, &discShelf::dropExamined);
    connect(admission, &DropAdmission::aborted, this, &discShelf::examineNextDrop);

    // The selector program's download, on a row of its own beside any copies.
    connect(fetch, &WandmenuFetch::replyFinished, this, &discShelf::namFinished);
    connect(fetch, &WandmenuFetch::progress, this, [this](qint64 received, qint64 total) {
        fitToBar(received, total);
        showProgress(ui.progressBarDownload, int(received), int(total));
    });
    connect(ui.btnCancelDownload, &QPushButton::clicked, fetch, &WandmenuFetch::cancel);

    // An image from an address joins the stick's copies.
    connect(actions, &StickActions::addressChosen, this, &discShelf::downloadFromAddress);

    restoreWindowPlace();
    for (QWidget *w : { static_cast<QWidget *>(ui.btnCancelAll),
                        static_cast<QWidget *>(ui.btnCancelCurrentFile),
                        static_cast<QWidget *>(ui.lblCurrentFile),
                        static_cast<QWidget *>(ui.lblOverallProgress),
                        static_cast<QWidget *>(ui.progressBarOverall),
                        static_cast<QWidget *>(ui.progressBarCurrentFile),
                        static_cast<QWidget *>(ui.btnAbort), static_cast<QWidget *>(ui.lblScanning),
                        static_cast<QWidget *>(ui.label),
                        static_cast<QWidget *>(ui.horizontalSliderBrightness),
                        static_cast<QWidget *>(ui.lblDownload),
                        static_cast<QWidget *>(ui.progressBarDownload),
                        static_cast<QWidget *>(ui.btnCancelDownload) })
        w->hide();
    // Names are shown as they are, never read as markup.
    ui.lblCurrentFile->setTextFormat(Qt::PlainText);
    ui.lblScanning->setTextFormat(Qt::PlainText);

    // The verify setting, remembered; on unless the user turned it off.
    ui.chkVerify->setChecked(QSettings().value(QStringLiteral("verify"), true).toBool());
    copies->setVerify(ui.chkVerify->isChecked());
    connect(ui.chkVerify, &QCheckBox::toggled, this, [this](bool on) {
        QSettings().setValue(QStringLiteral("verify"), on);
        copies->setVerify(on);
    });

    overview = new StickOverview(ui.lblStick, ui.btnProblems, detector, this);
    connect(overview, &StickOverview::relistWanted, this, &discShelf::buildIsoList);
    connect(overview, &StickOverview::downloadWanted, this, &discShelf::startSelectorDownload);
    connect(overview, &StickOverview::deleteWanted, actions, &StickActions::deleteImage);
    // Reading the images again to find damage, from the problems' menu and the tree's.
    checker = new ImageChecker(this, detector, isoTree);
    overview->setCheckAction(checker->checkAction());
    connect(checker, &ImageChecker::stickChanged, this, &discShelf::buildIsoList);
    connect(actions, &StickActions::menuShown, checker, &ImageChecker::fillMenu);
    connect(overview, &StickOverview::readOnlyChanged, this, [this](bool readOnly) {
        stickReadOnly = readOnly;
        actions->setReadOnly(readOnly);
        updateLoadIsoButton();
    });
    new CopyStatus(ui.lblCopyStatus, copies);
    new StickChooser(ui.verticalLayout, detector, cycle, this);
    // A new stick may be asked about its selector program again.
    connect(detector, &ScsiDriveDetector::driveDisappeared, this, [this] { selectorAsked = false; });
    connect(detector, &ScsiDriveDetector::driveStateChanged, this, [this] { selectorAsked = false; });

    wireCopies();
    wireScanCycle();
    cycle->start();
}

// The copy queue stops its copy thread when it goes, with the window's other children.
discShelf::~discShelf() = default;

void discShelf::makeBoxes()
{
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
}

void discShelf::wireScanCycle()
{
    // What moves the cycle on: Refresh, and the end of the selector and listing steps.
    connect(ui.btnRefresh, &QPushButton::clicked, cycle, &ScanCycle::refreshRequested);
    connect(this, &discShelf::wandmenuDownloaded, cycle, &ScanCycle::selectorChecked);
    connect(this, &discShelf::listingComplete, cycle, &ScanCycle::listed);
    // What each state does on entry.
    connect(cycle->readyState, &QState::entered, ui.btnRefresh, &QWidget::show);
    connect(cycle->readyState, &QState::entered, ui.btnLoadISO, &QWidget::show);
    connect(cycle->busyState, &QState::entered, ui.btnRefresh, &QWidget::hide);
    connect(cycle->busyState, &QState::entered, ui.btnLoadISO, &QWidget::hide);
    connect(cycle->checkingState, &QState::entered, this, &discShelf::checkWandmenu);
    connect(cycle->listingState, &QState::entered, this, &discShelf::buildIsoList);
    connect(cycle->locatingState, &QState::entered, this, &discShelf::showLocating);
    connect(cycle->locatingState, &QState::entered, detector, &ScsiDriveDetector::forceRefresh);
    connect(detector, &ScsiDriveDetector::refreshFailed, this, &discShelf::showRefreshFailed);
}

void discShelf::wireCopies()
{
    // Each stick's queue has its worker in a thread of its own; the reports of the stick shown
    // arrive here queued, and the failures of every stick.
    connect(copies, &StickCopies::startFileCopy, this, &discShelf::startFileCopy);
    connect(copies, &StickCopies::shownChanged, this, &discShelf::showOtherCopies);
    connect(copies, &StickCopies::fileStarted, ui.lblCurrentFile, [this](const QString &name) {
        ui.lblCurrentFile->setText(name.left(8));
        ui.progressBarCurrentFile->setFormat(QStringLiteral("%p%"));
    });
    connect(copies, &StickCopies::progressUpdate, this, &discShelf::updateFileProgress);
    // The batch's bar counts bytes, the read-back's too: it moves on while a copy is checked.
    connect(copies, &StickCopies::batchProgress, this, [this](qint64 done, qint64 total) {
        fitToBar(done, total);
        showProgress(ui.progressBarOverall, int(done), int(total));
    });
    // The read-back is a stage of its own: the file's bar starts again for it, rather than
    // sitting at 100 % while the copy is checked.
    connect(copies, &StickCopies::verifyProgress, this, [this](int value, int total) {
        ui.progressBarCurrentFile->setFormat(tr("checking %p%"));
        showProgress(ui.progressBarCurrentFile, value, total);
    });
    connect(copies, &StickCopies::finished, this, &discShelf::fileCopyDone);
    connect(copies, &StickCopies::failed, this, [this](CopyError error, const QString &name, const QString &why) {
        showCopyFailure(int(error), name, why);
        fileCopyDone();
    });
    connect(copies, &StickCopies::stopped, this, &discShelf::copiesStopped);
    connect(copies, &StickCopies::changed, this, &discShelf::updateCopyWidgets);
    connect(copies, &StickCopies::note, this,
            [this](const QString &text) { statusBar()->showMessage(text, 15000); });
}

void discShelf::setDownloadUrl(const QUrl &url)
{
    fetch->setUrl(url);
}

const QStateMachine &discShelf::scanCycle() const
{
    return cycle->stateMachine();
}

void discShelf::showLocating()
{
    isoTree->showPlaceholder(tr("<Searching for your discwand>"));
}

void discShelf::showRefreshFailed()
{
    isoTree->showPlaceholder(tr("<Couldn't look for your discwand. Click Refresh to try again.>"));
}

void discShelf::buildIsoList()
{
    // A listing asked for while one is read (a copy that ended meanwhile) is read right after.
    if (listing) {
        listAgain = true;
        return;
    }
    listing = true;
    do {
        listAgain = false;
        const QString root = detector->drivePath();
        if (root.isEmpty()) {
            isoTree->showPlaceholder(tr("<Waiting for a discwand to appear>"));
            stick = StickStatus();
            overview->show(stick, {});
            continue;
        }
        stick = StickStatus::read(*detector);
        const QStringList kept = StickOverview::keptImages();
        // The folders and the images' headers are read off the GUI thread: on a slow stick
        // that takes long enough to freeze the window.
        const auto check = [status = stick, kept](IsoListing found) {
            found.readHeaders();
            QList<StickProblem> wrong = StickCheck::find(found, status, kept);
            return std::pair(std::move(found), std::move(wrong));
        };
        auto [listed, problems] = OffThread::wait([root, check] {
            IsoListing found = IsoListing::read(root, IsoListing::Headers::Later);
            if (found.headersPending())
                return std::pair(std::move(found), QList<StickProblem>());
            return check(std::move(found));
        });
        // Another stick shown meanwhile, or this one gone: the listing is of no use.
        if (detector->drivePath() != root) {
            listAgain = true;
            continue;
        }
        // The rows show at once; the headers of images new to the program (a label, a date,
        // whether it boots) and the problems they tell come after them.
        if (listed.headersPending()) {
            isoTree->showRows(listed.rows, stick.bootImage, stickSerial());
            std::tie(listed, problems) = OffThread::wait(
                [check, found = std::move(listed)]() mutable { return check(std::move(found)); });
            if (detector->drivePath() != root) {
                listAgain = true;
                continue;
            }
        }
        showListing(listed, problems);
    } while (listAgain);
    listing = false;
    emit listingComplete();
}

QString discShelf::stickSerial() const
{
    return detector->volumeProperty(QStringLiteral("VolumeSerialNumber"));
}

void discShelf::showListing(const IsoListing &listed, const QList<StickProblem> &problems)
{
    isoTree->showRows(listed.rows, stick.bootImage, stickSerial());
    const QList<StickProblem> all = problems + checker->problems(listed);
    QHash<QString, QString> marks;
    for (const StickProblem &problem : all)
        marks.insert(problem.path, problem.text);
    isoTree->markProblems(marks);
    overview->show(stick, all);
}

void discShelf::updateLoadIsoButton()
{
    const bool usable = cycle->isReady() && !detector->drivePath().isEmpty();
    ui.btnLoadISO->setEnabled(usable && !stickReadOnly && !isoTree->selectedImage().isEmpty());
    ui.btnLoadISO->setToolTip(usable && stickReadOnly ? StickActions::readOnlyReason() : QString());
}

void discShelf::loadClickedISO(QTreeWidgetItem *item, int)
{
    Q_UNUSED(item);
    if (cycle->isReady())
        loadSelectedISO();
}

void discShelf::loadSelectedISO()
{
    const QString image = isoTree->selectedImage();
    if (image.isEmpty())
        return;
    ImageChoice::Result result = choice.allowed(image);
    // The write is synced, which waits for whatever a copy to the stick has not yet written.
    if (result == ImageChoice::Result::Written)
        result = OffThread::wait(
            [root = detector->drivePath(), image] { return ImageChoice::write(root, image); });
    switch (result) {
    case ImageChoice::Result::Written:
        isoTree->markBootImage(ImageChoice::bootName(image));
        statusBar()->showMessage(ImageChoice::chosenText(image), 10000);
        if (cycle->isReady())
            buildIsoList();
        break;
    case ImageChoice::Result::NotWritable:
    case ImageChoice::Result::WriteFailed:
        showOnce(writeFailedBox);
        break;
    case ImageChoice::Result::DeviceGone:
        showOnce(deviceGoneBox);
        break;
    case ImageChoice::Result::NotLatin1:
        plainBox(QMessageBox::Warning, tr("Can't load this image"),
                 ImageChoice::notLatin1Text(image));
        break;
    case ImageChoice::Result::NoDevice:
        break;
    }
}

void discShelf::showDownloadRow(bool shown)
{
    ui.lblDownload->setVisible(shown);
    ui.progressBarDownload->setVisible(shown);
    ui.btnCancelDownload->setVisible(shown);
}

void discShelf::checkWandmenu()
{
    // Asked once for each plug: after a No the problems list offers the download.
    if (!fetch->isMissing() || fetch->isRunning() || selectorAsked) {
        emit wandmenuDownloaded();
        return;
    }
    selectorAsked = true;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("wandmenu is missing!"),
        tr("It looks like you haven't installed wandmenu yet,\nwould you like me to download it "
           "for you?\n\nYou can also download it from ")
            + Discshelf::manualDownloadAddress + tr("\nand place it in the /config directory."),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        startSelectorDownload();
    emit wandmenuDownloaded();
}

void discShelf::startSelectorDownload()
{
    // The download runs beside the copies and the rest of the cycle, which need not wait for it.
    showDownloadRow(true);
    // Until the headers arrive the size is unknown.
    showProgress(ui.progressBarDownload, 0, -1);
    fetch->start();
}

void discShelf::namFinished(QNetworkReply *reply)
{
    showDownloadRow(false);
    if (!fetch->take(reply)) {
        if (fetch->wasCancelled())
            return;
        QMessageBox::warning(this, tr("Download failed!"),
                             tr("Couldn't download wandmenu.bin:\n") + fetch->errorString()
                                 + tr("\n\nYou can also download it from ")
                                 + Discshelf::manualDownloadAddress
                                 + tr("\nand place it in the /config directory."));
    } else {
        while (!fetch->store()) {
            const QMessageBox::StandardButton answer = QMessageBox::warning(
                this, tr("Cannot write!"),
                tr("Could not write wandmenu.bin to your discwand.\nPlease check the read-only "
                   "switch."),
                QMessageBox::Retry | QMessageBox::Cancel);
            if (answer != QMessageBox::Retry)
                break;
        }
    }
    if (cycle->isReady())
        buildIsoList();
}

void discShelf::downloadFromAddress(QString destDir, QUrl url, QByteArray sha256, QUrl sums)
{
    if (!StickActions::mayWrite(*detector, this))
        return;
    if (!Discwand::isStickPath(destDir)) {
        QMessageBox::warning(this, tr("Download failed!"), CopyErrors::message(CopyError::CreatePath));
        return;
    }
    CopyEntry entry;
    entry.folder = DeviceFolder(destDir);
    entry.address = url;
    entry.sumsAddress = sums;
    if (!sha256.isEmpty()) {
        entry.published.state = PublishedSum::State::Listed;
        entry.published.digest = QByteArray::fromHex(sha256);
    }
    startCopies(copies->queueFor(detector->discwand().volume()), { entry });
}

void discShelf::cancelScan()
{
    drops.clear();
    admission->abort();
}

void discShelf::queueFilesToCopy(QString destDir, QStringList filenames)
{
    if (filenames.isEmpty())
        return;
    // Nothing is examined for a stick that takes no writes.
    if (!detector->drivePath().isEmpty() && !detector->isWritable()) {
        overview->showReadOnly(true);
        showOnce(writeFailedBox);
        return;
    }
    drops.append(
        { DeviceFolder(destDir), filenames, detector->drivePath(), detector->discwand().volume() });
    examineNextDrop();
}

void discShelf::examineNextDrop()
{
    if (admission->isBusy() || deciding)
        return;
    if (drops.isEmpty() || closing) {
        ui.lblScanning->hide();
        ui.btnAbort->hide();
        return;
    }
    examined = drops.takeFirst();
    ui.lblScanning->show();
    ui.btnAbort->show();
    const CopyQueue *queue = copies->queueFor(examined.stick);
    admission->examine(examined.root, examined.dest, examined.files,
                       queue ? queue->pendingPaths() : QStringList(),
                       queue ? queue->pendingBytes() : 0);
}

void discShelf::dropExamined(const DropAdmission::Plan &plan)
{
    // A pull ends the drop's questions: they are about a stick that is gone.
    const QString stick = examined.stick;
    BoxPrompts prompts(this, nonIsoBox,
                       [this, stick] { return stick.isEmpty() || copies->isPresent(stick); });
    deciding = true;
    const std::optional<QList<CopyEntry>> accepted = DropAdmission::decide(plan, prompts);
    deciding = false;
    // Nothing new may start once the window is on its way out.
    if (accepted && !accepted->isEmpty() && !closing)
        startCopies(copies->queueFor(stick), *accepted);
    examineNextDrop();
}

void discShelf::startCopies(CopyQueue *queue, const QList<CopyEntry> &entries)
{
    if (!queue) {
        copiesStopped(CopyQueue::Stop::DeviceGone);
        return;
    }
    if (queue == copies->shownQueue() && queue->count() == 0) {
        ui.progressBarOverall->setValue(0);
        ui.progressBarCurrentFile->setValue(0);
    }
    queue->add(entries);
}

void discShelf::fileCopyDone()
{
    ui.progressBarCurrentFile->setValue(0);
    buildIsoList();
}

void discShelf::fileCopyFailed(int code)
{
    const CopyQueue *queue = copies->shownQueue();
    showCopyFailure(code, copies->copyingName(),
                    queue ? queue->failureText(CopyError(code)) : CopyErrors::message(code));
}

void discShelf::showCopyFailure(int code, const QString &name, const QString &why)
{
    if (code == int(CopyError::DeviceGone)) {
        if (!closing)
            showOnce(deviceGoneBox);
    } else if (!closing) {
        plainBox(
            QMessageBox::Critical,
            code == int(CopyError::DownloadFailed) ? tr("Download failed!") : tr("Copy failed!"),
            tr("File: %1\nError: %2\n\nIf this problem persists please contact ").arg(name, why)
                + Discshelf::supportAddress);
    }
}

int discShelf::plainBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QMessageBox::StandardButtons buttons)
{
    return BoxPrompts::ask(this, icon, title, text, buttons);
}

void discShelf::copiesStopped(CopyQueue::Stop why)
{
    showOnce(why == CopyQueue::Stop::DeviceGone ? deviceGoneBox : writeFailedBox);
}

void discShelf::cancelFileCopy()
{
    copies->cancelCurrent();
}

void discShelf::cancelAllFileCopies()
{
    copies->cancelAll();
}

void discShelf::updateFileProgress(int value, int total)
{
    showProgress(ui.progressBarCurrentFile, value, total);
}

void discShelf::showProgress(QProgressBar *bar, int value, int total)
{
    // An unknown total (-1) shows the busy indicator, not a percentage.
    if (total < 0) {
        bar->setRange(0, 0);
        return;
    }
    if (bar->minimum() != 0)
        bar->setMinimum(0);
    if (total != bar->maximum())
        bar->setMaximum(total);
    bar->setValue(value);
}

void discShelf::showOtherCopies()
{
    const CopyQueue *queue = copies->shownQueue();
    const QString name = queue ? queue->copyingName() : QString();
    ui.lblCurrentFile->setText(name.left(8));
    ui.progressBarCurrentFile->setFormat(QStringLiteral("%p%"));
    showProgress(ui.progressBarCurrentFile, 0, 100);
    qint64 done = queue ? queue->batchDone() : 0;
    qint64 total = queue ? queue->batchWork() : 0;
    fitToBar(done, total);
    showProgress(ui.progressBarOverall, int(done), int(total));
}

void discShelf::updateCopyWidgets()
{
    const int n = copies->count();
    const int i = copies->index();
    const bool more = n > i + 1;
    if (more)
        ui.lblOverallProgress->setText(tr("File %1 of %2").arg(i + 1).arg(n));
    ui.lblCurrentFile->setVisible(n > 0);
    ui.btnCancelCurrentFile->setVisible(n > 0);
    ui.progressBarCurrentFile->setVisible(n > 0);
    ui.btnCancelAll->setVisible(more);
    ui.lblOverallProgress->setVisible(more);
    ui.progressBarOverall->setVisible(more);
}

// Kept in device-independent pixels, so that a run at another scale opens at the same size
// on the screen; saveGeometry() would keep what the window system reports.
void discShelf::saveWindowPlace() const
{
    QSettings settings;
    const QRect place = isMaximized() ? normalGeometry() : geometry();
    settings.setValue(QStringLiteral("windowSize"), place.size());
    settings.setValue(QStringLiteral("windowPos"), place.topLeft());
}

void discShelf::restoreWindowPlace()
{
    const QSettings settings;
    // The first time, room for the stick's line and a copy's progress line whole: some 75
    // characters in English, 80 in German, and a tree of some fifteen rows.
    const QFontMetrics metrics(font());
    const QSize first(qMax(sizeHint().width(), metrics.averageCharWidth() * 84 + 40),
                      qMax(sizeHint().height(), metrics.height() * 28));
    const QSize size = settings.value(QStringLiteral("windowSize"), first).toSize();
    if (settings.contains(QStringLiteral("windowPos")))
        setGeometry(QRect(settings.value(QStringLiteral("windowPos")).toPoint(), size));
    else
        resize(size);
}

void discShelf::closeEvent(QCloseEvent *event)
{
    const QString copying = copies->anyCopying();
    if (!closing && !copying.isEmpty()
        && BoxPrompts::ask(this, QMessageBox::Question, tr("Stop copying?"),
                           tr("\"%1\" is being copied to your discwand. Stop the copy and quit?\n"
                              "The images already on the discwand stay as they are.")
                               .arg(copying),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    saveWindowPlace();
    closing = true;
    admission->abort();
    // The copy stops at its next chunk, which takes a while on a slow stick; one that has not
    // moved for this long is stuck on a source or stick that stopped answering.
    constexpr int quietMs = 10000;
    if (!copying.isEmpty()) {
        statusBar()->showMessage(tr("Stopping the copy..."));
        statusBar()->repaint();
    }
    if (!copies->shutDown(quietMs))
        plainBox(QMessageBox::Warning, tr("Copy not stopped"),
                 tr("The copy of \"%1\" could not be stopped: it has not moved for %2 seconds "
                    "(its source or the discwand does not answer). Discshelf quits anyway; "
                    "what the copy wrote so far stays hidden on the discwand and never takes "
                    "the place of an image.")
                     .arg(copying)
                     .arg(quietMs / 1000));
    QMainWindow::closeEvent(event);
}
