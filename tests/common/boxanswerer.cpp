#include "common/boxanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>

BoxAnswerer::BoxAnswerer()
{
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, &BoxAnswerer::poll);
    timer.start();
}

BoxAnswerer::~BoxAnswerer() = default;

void BoxAnswerer::answer(QMessageBox::StandardButton button)
{
    answers.append(button);
}

QStringList BoxAnswerer::titles() const
{
    QStringList out;
    for (const Seen &s : boxes)
        out << s.title;
    return out;
}

void BoxAnswerer::clear()
{
    answers.clear();
    boxes.clear();
}

void BoxAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
        unansweredPolls = 0;
        return;
    }
    if (answers.isEmpty()) {
        // A box nobody expected would block the test until its time-out: after a few seconds
        // close it, keeping it in seen() so that the test's checks fail instead.
        if (++unansweredPolls < 500)
            return;
        qWarning("BoxAnswerer: closing an unexpected box \"%s\"", qPrintable(box->windowTitle()));
        answers.append(QMessageBox::NoButton);
    }
    unansweredPolls = 0;
    const QMessageBox::StandardButton wanted = answers.takeFirst();
    boxes.append({box->windowTitle(), box->text(), box->icon(), box->textFormat()});
    QAbstractButton *button = wanted == QMessageBox::NoButton ? nullptr : box->button(wanted);
    if (button)
        button->click();
    else
        box->reject(); // closing the box, as with its title-bar button or Escape
}
