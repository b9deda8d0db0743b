#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <type_traits>
#include <utility>

namespace lectorix {

// Runs work on a thread of the shared pool, away from the event loop's thread, and hands its
// result to done on receiver's thread, as an event of receiver's loop. work owns copies of
// everything it touches (it must share nothing with the caller unguarded) and must not throw.
// Once receiver is destroyed, or the returned watcher deleted, done is never called; the work
// itself runs on to its end and its result is dropped.
template <typename Work, typename Done>
QObject* runOffThread(QObject* receiver, Work work, Done done)
{
    using Result = std::invoke_result_t<Work&>;
    auto promise = std::make_shared<QPromise<Result>>();
    auto* watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         if (watcher->future().resultCount() > 0)
                             done(watcher->future().takeResult());
                     });
    promise->start();
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, work = std::move(work)]() mutable {
        promise->addResult(work());
        promise->finish();
    });
    return watcher;
}

} // namespace lectorix
