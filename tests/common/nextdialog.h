// Works a dialog or menu that a test is about to open: the handler is called with the next one
// of its type as soon as it shows, from the event loop the dialog runs.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

template <typename W> void onNextDialog(std::function<void(W *)> handle)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, handle] {
        QWidget *shown = QApplication::activePopupWidget();
        if (!shown)
            shown = QApplication::activeModalWidget();
        if (auto *w = qobject_cast<W *>(shown); w && w->isVisible()) {
            poll->stop();
            poll->deleteLater();
            handle(w);
        }
    });
    poll->start();
}
