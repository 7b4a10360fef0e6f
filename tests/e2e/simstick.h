// A simulated discwand for end-to-end tests: drives tools/discwand-sim (a FAT32 volume image
// mounted with fusefat, described under DISCSHELF_SYSROOT) while the event loop keeps running.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SimStick
{
public:
    struct Options
    {
        int sizeMb = 64;
        bool wandmenu = true; // config/wandmenu.bin present
        bool samples = true; // sample images and folders present
        QString label = QStringLiteral("DISCWAND");
        QString disk = QStringLiteral("sdz"); // sdq..sdz, one for each stick of a computer
    };

    // Why no stick can be simulated on this computer (no FUSE, no fusefat), or empty.
    static QString unavailableReason();

    explicit SimStick(const Options &options);
    SimStick()
        : SimStick(Options {})
    { }
    // A second stick on the computer of first: it shares first's system description.
    SimStick(const Options &options, const SimStick &first);
    ~SimStick();
    SimStick(const SimStick &) = delete;
    SimStick &operator=(const SimStick &) = delete;

    bool isValid() const { return valid; }
    QString error() const { return lastError; }

    QString image() const { return dir + QStringLiteral("/volume.img"); }
    QString deviceRoot() const { return dir + QStringLiteral("/mnt/"); }
    QString sysroot() const { return dir + QStringLiteral("/sysroot"); }

    // Each runs the simulator while pending events keep being processed, so the application
    // under test sees the change as it happens.
    bool plug();
    bool unplug(bool yank = false);
    bool setReadOnly(bool on);

private:
    void create(const Options &options, const QStringList &more);
    bool run(const QStringList &args);

    QTemporaryDir base;
    QString dir;
    bool valid = false;
    QString lastError;
};
