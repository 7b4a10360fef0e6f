// Examining a drop before anything is copied: dropped folders are expanded and every file is
// classified against the size limit and what the device holds. The examination is pure and runs
// off the GUI thread with an abort; the questions it leaves come afterwards, in the order the
// files were examined, through AdmissionPrompts.
#pragma once

#include "copy/copyentry.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class AdmissionPrompts;
class QThread;

class DropAdmission : public QObject
{
    Q_OBJECT
public:
    struct Item {
        enum class Kind { Image, Present, TooLarge, NotImage, NotRegular, Refused };
        QString sourceFile;
        DeviceFolder folder;
        Kind kind;
        qint64 size = 0;     // the source's
        qint64 replaces = 0; // room the image of that name takes on the device now
        bool willBoot = true;  // an ISO 9660 image with a boot record
        bool iso9660 = true;
        QString refusal; // why the stick cannot take a Refused image, in words
        int foldersMade = 0; // folders its copy makes on the device that no item before makes
    };
    struct Plan {
        QList<Item> items;
        qint64 freeBytes = -1; // on the device, less what queued copies take; -1: unknown
        qint64 cluster = 1;    // the volume's allocation unit
    };

    // Ten parts of the worker's part limit: the most its cleanup knows how to remove.
    static constexpr qint64 largestImage = 40960000000LL;

    // How long an examination that was told to stop is waited for before it is left behind: a
    // source that stopped answering (a network share gone quiet) holds it in a call that may
    // never return.
    static constexpr int stopWaitMs = 2000;

    explicit DropAdmission(QObject *parent = nullptr);
    // Waits for a running examination up to stopWaitMs, then leaves it behind.
    ~DropAdmission() override;

    // Examines one drop on a thread of its own; examined() or aborted() follows. One drop at a
    // time: a call while busy is ignored. queued: the device paths of the copies still to come,
    // queuedBytes the room they will take.
    void examine(const QString &deviceRoot, const DeviceFolder &dest, const QStringList &files,
                 const QStringList &queued = {}, qint64 queuedBytes = 0);
    bool isBusy() const { return thread != nullptr; }
    // Ends the running examination: aborted() follows once it has stopped, or after stopWaitMs
    // with the examination left behind.
    void abort();

    // The whole examination of a drop. Files dropped together land in dest itself; files found
    // in a dropped folder keep their place below it. The last dropped item is examined first,
    // and folders are expanded after the items before them, the last found first. An image is
    // present when the device, the copies queued ("/linux/a.iso") or an image examined before
    // it in this drop has its name, in any letter case, as FAT compares names. Returns nothing
    // once abort turns true. seen is told of each path examined.
    static std::optional<Plan> plan(const QString &deviceRoot, const DeviceFolder &dest,
                                    const QStringList &files, const std::atomic<bool> &abort,
                                    const std::function<void(const QString &)> &seen = {},
                                    const QStringList &queued = {}, qint64 queuedBytes = 0);

    // Asks what the plan leaves open, in its order, and gives the entries to copy; nothing when
    // the user would rather copy nothing of the drop. Room is counted as the copies will use
    // it, one after the other: each image in whole clusters, an overwritten image's room given
    // back once its replacement is whole, or before it is written when there is no room for
    // both. What still does not fit is named in one question.
    // Images the stick cannot take are named first, all in one message. One cluster stays free
    // for the journal that puts each copy in place, and one for each folder a copy makes. A
    // stick pulled meanwhile ends the questions: nothing of the drop is copied.
    static std::optional<QList<CopyEntry>> decide(const Plan &plan, AdmissionPrompts &prompts);

    // Why the stick cannot take an image at devicePath ("/linux/a.iso"), naming the folder when
    // one of them is at fault and a fitting name when there is a plain one; empty when it can.
    static QString refusal(const QString &devicePath);

signals:
    // Now and then while examining: the path being looked at.
    void examining(QString path);
    void examined(DropAdmission::Plan plan);
    void aborted();

private:
    // Why the stick cannot take part as a folder or as the image's own name, "" when it can.
    static QString partRefusal(const QString &part, bool folder);

    // What the examining thread shares with this object; it outlives this object when the
    // thread is left behind.
    struct Run;
    void leaveBehind();

    QThread *thread = nullptr;
    std::shared_ptr<Run> run;
};
