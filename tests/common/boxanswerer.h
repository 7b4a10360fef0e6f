// Answers the modal message boxes that a test provokes: each expectation waits for the next
// modal box, records its title and text, and presses the wanted button.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class BoxAnswerer : public QObject
{
    Q_OBJECT
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
    };

    BoxAnswerer();
    ~BoxAnswerer() override;

    // Queue an answer for the next modal box. NoButton means close it as with Escape. A box
    // left without an answer for five seconds is closed that way and still listed in seen().
    void answer(QMessageBox::StandardButton button);
    // Boxes seen so far, in order.
    const QList<Seen> &seen() const { return boxes; }
    QStringList titles() const;
    int pending() const { return answers.size(); }
    void clear();

private:
    void poll();

    QTimer timer;
    QList<QMessageBox::StandardButton> answers;
    QList<Seen> boxes;
    int unansweredPolls = 0;
};
