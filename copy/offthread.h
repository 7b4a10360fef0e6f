// Work on the stick that may take a while on a slow one (a listing, a write that is synced),
// done in a thread of its own while the event loop goes on: a window keeps painting and showing
// copies.
#pragma once

#include <QEventLoop>
#include <QThread>

#include <optional>
#include <utility>

namespace OffThread {

// Runs work in a new thread and returns its result once it is done. Meanwhile the window's
// events go on, all but the user's input, which waits: nothing the user does can start
// something else half-way through. Events that come meanwhile may call back into the window;
// whoever calls this must cope with that.
template<typename Work> auto wait(Work work) -> decltype(work())
{
    std::optional<decltype(work())> result;
    QEventLoop loop;
    QThread *thread = QThread::create([&] { result.emplace(work()); });
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    delete thread;
    return std::move(*result);
}

} // namespace OffThread
