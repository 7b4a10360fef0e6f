// The questions of a copy answered from the command line's flags instead of boxes: images
// already on the stick per --overwrite / --skip-existing, images without room left out and the
// others copied, everything else left out with a message. It counts what it left out, for the
// exit status.
#pragma once

#include "copy/admissionprompts.h"

#include <QCoreApplication>

class FlagPrompts : public AdmissionPrompts
{
    Q_DECLARE_TR_FUNCTIONS(FlagPrompts)
public:
    enum class Existing { Refuse, Overwrite, Skip };

    explicit FlagPrompts(Existing existing)
        : existing(existing)
    { }

    void tooLarge(const QString &fileName) override;
    void notRegular(const QString &fileName) override;
    void refused(const QStringList &reasons) override;
    // Copied with a warning: a script names the files it means, and a data image may be
    // meant for something other than booting.
    bool willNotBoot(const QString &fileName, bool iso9660) override;
    bool overwrite(const QString &fileName, bool removeFirst) override;
    bool copyWhatFits(const QStringList &fileNames, qint64 freeBytes) override;
    // The caller names the files that are no images; the images go on.
    bool imagesOnly() override { return true; }

    int refusals() const { return refusedCount; }
    int withoutRoom() const { return noRoom; }

private:
    Existing existing;
    int refusedCount = 0;
    int noRoom = 0;
};
