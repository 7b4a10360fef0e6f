// The questions of a drop as the window asks them: modal message boxes over the window.
#pragma once

#include "copy/admissionprompts.h"

class QMessageBox;
class QWidget;

class BoxPrompts : public AdmissionPrompts
{
public:
    // nonImages is the window's prepared box about files that are no images.
    BoxPrompts(QWidget *window, QMessageBox *nonImages) : window(window), nonImages(nonImages) {}

    void tooLarge(const QString &fileName) override;
    bool overwrite(const QString &fileName) override;
    bool imagesOnly() override;

private:
    QWidget *window;
    QMessageBox *nonImages;
};
