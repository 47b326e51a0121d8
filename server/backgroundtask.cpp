#include "server/backgroundtask.h"

#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/errors.h"
#include "server/resultvalues.h"
#include "server/servermethods1client.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace velun {
namespace {

QString describe(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const VelunError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Bilinmeyen hata");
    }
}

void attachCompletion(QObject* owner, QFuture<void> future, std::shared_ptr<TaskState> state, TaskStep completion)
{
    auto* watcher = new QFutureWatcher<void>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner,
                     [watcher, state = std::move(state), completion = std::move(completion)] {
                         watcher->deleteLater();
                         if (state->owner)
                             completion(*state);
                     });
    watcher->setFuture(future);
}

} // namespace

QThreadPool& BackgroundThreadPool()
{
    static QThreadPool pool;
    static const bool configured = [] {
        pool.setMaxThreadCount(16);
        return true;
    }();
    (void)configured;
    return pool;
}

std::shared_ptr<TaskState> RunTask(QObject* owner, TaskStep worker, TaskStep completion)
{
    auto state = std::make_shared<TaskState>();
    state->owner = owner;
    QFuture<void> future = QtConcurrent::run(&BackgroundThreadPool(), [state, worker = std::move(worker)] {
        try {
            if (worker)
                worker(*state);
        } catch (...) {
            state->error = true;
            state->errorText = describe(std::current_exception());
        }
    });
    if (!owner || !completion)
        return state;
    if (owner->thread() == QThread::currentThread()) {
        attachCompletion(owner, future, state, std::move(completion));
    } else {
        // The watcher must live in the owner's thread; a destroyed owner drops this call.
        QMetaObject::invokeMethod(
            owner,
            [owner, future, state, completion = std::move(completion)]() mutable {
                attachCompletion(owner, future, state, std::move(completion));
            },
            Qt::QueuedConnection);
    }
    return state;
}

void RunOnUiThreadAndWait(const std::function<void()>& fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->thread() == QThread::currentThread()) {
        fn();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                fn();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

bool RunOnClone(const ServerConnection& main, const std::function<void(TServerMethods1Client&)>& call,
                QString* errorText)
{
    std::unique_ptr<ServerConnection> clone = main.clone();
    if (!ConnectWithRetry(*clone, 0)) {
        if (errorText)
            *errorText = kConnectionFailedMessage;
        return false;
    }
    bool ok = true;
    try {
        TServerMethods1Client proxy(clone->dbxConnection());
        call(proxy);
    } catch (...) {
        ok = false;
        if (errorText)
            *errorText = describe(std::current_exception());
    }
    clone->close();
    return ok;
}

bool LoadTableOnClone(const ServerConnection& main, MemDataset& dataset,
                      const std::function<TableReader(TServerMethods1Client&)>& call, QString* errorText)
{
    return RunOnClone(
        main,
        [&](TServerMethods1Client& proxy) {
            TableReader reader = call(proxy);
            ControlsDisabled suspended(dataset);
            CopyReaderToDataset(reader, dataset);
            SetFloatDisplayFormat(dataset);
        },
        errorText);
}

} // namespace velun
