// The reading runs in a thread of its own while a progress dialog keeps the window answering;
// the record is written once the check is over, in the GUI thread.
#include "ui/imagechecker.h"

#include "copy/copyprogress.h"
#include "copy/publishedsums.h"
#include "detect/scsidrivedetector.h"
#include "library/imagechoice.h"
#include "library/isolisting.h"
#include "ui/boxprompts.h"
#include "ui/isotreewidget.h"
#include "ui/stickactions.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QProgressDialog>

#include <thread>

ImageChecker::ImageChecker(QWidget *window, const ScsiDriveDetector *detector, isoTreeWidget *tree)
    : QObject(window)
    , window(window)
    , detector(detector)
    , tree(tree)
    , action(new QAction(tr("Check &Images"), this))
{
    action->setObjectName(QStringLiteral("actionCheckImages"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    action->setToolTip(tr("Read the images from the discwand again and compare them with what "
                          "was written"));
    window->addAction(action);
    connect(action, &QAction::triggered, this, &ImageChecker::checkImages);
}

QList<StickProblem> ImageChecker::problems(const IsoListing &listing) const
{
    QList<StickProblem> found;
    for (const IsoRow &row : listing.rows) {
        if (row.kind != IsoRow::Kind::Image
            || !damaged.contains(row.imagePath(), Qt::CaseInsensitive))
            continue;
        found.append(
            { StickProblem::Kind::DamagedImage, row.devicePath,
              tr("%1 is damaged: its bytes differ from those written").arg(row.imagePath()),
              row.size, row.files });
    }
    return found;
}

void ImageChecker::checkImages()
{
    const QString root = detector->drivePath();
    if (root.isEmpty())
        return;
    const QString selected = tree->selectedImage();
    const QStringList paths = selected.isEmpty()
        ? ImageCheck::everything(root, IsoListing::read(root))
        : QStringList { ImageChoice::bootName(selected) };
    const QList<ImageVerdict> verdicts = run(paths, false);
    if (verdicts.isEmpty())
        return;
    save(verdicts);
    showResults(verdicts);
}

QList<ImageVerdict> ImageChecker::run(const QStringList &paths, bool sha512)
{
    const QString root = detector->drivePath();
    ImageCheck check(root);
    const qint64 total = check.bytesOf(paths);
    QProgressDialog dialog(tr("Checking the images…"), tr("Cancel"), 0, 1000, window);
    dialog.setWindowTitle(tr("Check Images"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setValue(0);
    std::atomic<bool> cancel { false };
    connect(&dialog, &QProgressDialog::canceled, this, [&cancel] { cancel = true; });

    CopyProgress progress;
    QElapsedTimer clock;
    clock.start();
    progress.start(total, 0);
    QList<ImageVerdict> verdicts;
    QEventLoop loop;
    qint64 before = 0; // the bytes of the images already checked
    // Reports come to the GUI thread; the worker never touches a widget.
    std::thread worker([&] {
        for (const QString &path : paths) {
            if (cancel)
                break;
            QMetaObject::invokeMethod(
                &dialog, [&, path] { dialog.setLabelText(tr("Checking %1…").arg(path)); });
            const ImageVerdict verdict = check.check(
                path,
                [&](qint64 done) {
                    const qint64 at = before + done;
                    QMetaObject::invokeMethod(&dialog, [&, at, path] {
                        progress.update(at, clock.elapsed());
                        dialog.setLabelText(tr("Checking %1: %2").arg(path, progress.text()));
                        dialog.setValue(total > 0 ? int(at * 1000 / total) : 0);
                    });
                },
                cancel, sha512);
            before += verdict.now.size;
            QMetaObject::invokeMethod(&dialog, [&, verdict] { verdicts << verdict; });
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Reports posted before the quit are still waiting; they hold references to this frame.
    QCoreApplication::sendPostedEvents(&dialog);
    if (cancel)
        return {};
    return verdicts;
}

void ImageChecker::save(const QList<ImageVerdict> &verdicts)
{
    for (const ImageVerdict &verdict : verdicts) {
        damaged.removeAll(verdict.path);
        if (verdict.kind == ImageVerdict::Kind::Damaged)
            damaged << verdict.path;
    }
    // A read-only stick keeps its record as it was; the verdicts stand all the same.
    if (detector->discwand().access() == Discwand::Access::Writable)
        ImageCheck(detector->drivePath()).save(verdicts);
    emit stickChanged();
}

void ImageChecker::showResults(const QList<ImageVerdict> &verdicts)
{
    QStringList lines;
    bool trouble = false;
    for (const ImageVerdict &verdict : verdicts) {
        lines << tr("%1: %2").arg(verdict.path, verdict.text());
        trouble = trouble || verdict.kind == ImageVerdict::Kind::Damaged
            || verdict.kind == ImageVerdict::Kind::Missing
            || verdict.kind == ImageVerdict::Kind::Unreadable;
    }
    if (lines.isEmpty())
        lines << tr("There are no images on the discwand.");
    BoxPrompts::ask(window, trouble ? QMessageBox::Warning : QMessageBox::Information,
                    tr("Check Images"), lines.join(QLatin1Char('\n')), QMessageBox::Ok);
}

void ImageChecker::fillMenu(QMenu *menu, const QString &rowPath)
{
    const QString root = detector->drivePath();
    if (rowPath.isEmpty() || root.isEmpty()) {
        menu->addSeparator();
        menu->addAction(action);
        return;
    }
    const QString path = ImageChoice::bootName(rowPath);
    const std::optional<RecordedImage> recorded = ImageRecord::find(ImageRecord::read(root), path);
    menu->addSeparator();
    menu->addAction(action);
    if (recorded) {
        const QString sha = QString::fromLatin1(recorded->sha256);
        menu->addAction(tr("Copy SHA-256"), this,
                        [sha] { QGuiApplication::clipboard()->setText(sha); });
    }
    if (!recorded || recorded->published.isEmpty())
        menu->addAction(tr("Check against a checksum…"), this,
                        [this, path] { checkAgainst(path); });
}

void ImageChecker::checkAgainst(const QString &imagePath)
{
    const QString name = imagePath.section(QLatin1Char('/'), -1);
    bool ok = false;
    const QString text = QInputDialog::getText(
        window, tr("Check against a checksum"),
        tr("Paste the SHA-256 or SHA-512 published for %1, or leave this empty to choose a "
           "checksum file:")
            .arg(name),
        QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    PublishedSum sum;
    if (text.trimmed().isEmpty()) {
        const QString file = QFileDialog::getOpenFileName(window, tr("Choose a checksum file"));
        if (file.isEmpty())
            return;
        sum = PublishedSums::fromFile(file, name);
        if (!sum.isListed()) {
            BoxPrompts::ask(window, QMessageBox::Warning, tr("Check against a checksum"),
                            sum.isTrouble()
                                ? tr("%1 cannot be read, or lists %2 twice with "
                                     "different checksums.")
                                      .arg(QFileInfo(file).fileName(), name)
                                : tr("%1 does not list %2.").arg(QFileInfo(file).fileName(), name),
                            QMessageBox::Ok);
            return;
        }
    } else {
        sum = PublishedSums::fromHex(text);
        if (!sum.isListed()) {
            BoxPrompts::ask(window, QMessageBox::Warning, tr("Check against a checksum"),
                            tr("A SHA-256 has 64 hex digits, a SHA-512 128."), QMessageBox::Ok);
            return;
        }
    }
    const bool wide = sum.kind == PublishedSum::Kind::Sha512;
    QList<ImageVerdict> verdicts = run({ imagePath }, wide);
    if (verdicts.isEmpty())
        return;
    ImageVerdict &verdict = verdicts.first();
    const QByteArray hash = wide ? verdict.sha512 : verdict.now.sha256;
    const bool matches = !hash.isEmpty() && QByteArray::fromHex(hash) == sum.digest;
    const QString against = sum.file.isEmpty() ? tr("the checksum given") : sum.file;
    if (matches)
        verdict.now.published = against;
    save(verdicts);
    BoxPrompts::ask(window, matches ? QMessageBox::Information : QMessageBox::Warning,
                    tr("Check against a checksum"),
                    matches ? tr("%1 matches %2.").arg(imagePath, against)
                            : tr("%1 does not match %2.").arg(imagePath, against),
                    QMessageBox::Ok);
}
