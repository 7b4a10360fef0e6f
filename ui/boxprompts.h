// The questions of a drop as the window asks them: modal message boxes over the window.
#pragma once

#include "copy/admissionprompts.h"

#include <QMessageBox>

#include <functional>

class BoxPrompts : public AdmissionPrompts
{
public:
    // nonImages is the window's prepared box about files that are no images; stickThere says
    // whether the drop's stick is still plugged in.
    BoxPrompts(QWidget *window, QMessageBox *nonImages, std::function<bool()> stickThere = {})
        : window(window)
        , nonImages(nonImages)
        , stickThere(std::move(stickThere))
    { }

    void tooLarge(const QString &fileName) override;
    void refused(const QStringList &reasons) override;
    bool willNotBoot(const QString &fileName, bool iso9660) override;
    bool overwrite(const QString &fileName, bool removeFirst) override;
    bool copyWhatFits(const QStringList &fileNames, qint64 freeBytes) override;
    bool imagesOnly() override;
    void notRegular(const QString &fileName) override;
    bool stillWanted() override { return !stickThere || stickThere(); }

    // A modal box over parent whose text is plain: names in it are never read as markup.
    static int ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                   const QString &text, QMessageBox::StandardButtons buttons,
                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

private:
    QWidget *window;
    QMessageBox *nonImages;
    std::function<bool()> stickThere;
};
