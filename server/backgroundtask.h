#pragma once
// Background tasks: a worker step on a pool thread, then a completion step on the owner's thread,
// sharing one task state. Also the synchronous hand-over to the user-interface thread and the
// load frame that workers run: clone, connect, call, copy into a dataset.

#include <QObject>
#include <QPointer>
#include <QString>

#include <any>
#include <functional>
#include <memory>

class QThreadPool;

namespace velun {

class MemDataset;
class ServerConnection;
class TableReader;
class TServerMethods1Client;

// One per run, shared by both steps. The worker writes it; the completion reads it afterwards.
struct TaskState
{
    QPointer<QObject> owner;
    bool error = false;
    QString errorText; // the failure's own text, for diagnostics; the user sees the connection message
    std::any payload;  // whatever the worker hands to the completion
};

using TaskStep = std::function<void(TaskState&)>;

// Runs worker on a pool thread, then completion on owner's thread. An exception escaping the
// worker sets the error flag. The completion does not run when the owner is destroyed first.
std::shared_ptr<TaskState> RunTask(QObject* owner, TaskStep worker, TaskStep completion = {});

// The pool the tasks run on: loads wait on the network, so it has more threads than cores.
QThreadPool& BackgroundThreadPool();

// Runs fn on the user-interface thread and waits for it (directly when already there).
// An exception thrown by fn is rethrown in the calling thread.
void RunOnUiThreadAndWait(const std::function<void()>& fn);

// The load frame of a worker: clone main, ConnectWithRetry(clone, 0), create a proxy, run call,
// release everything. False on any failure, with the failure's text in errorText when given.
// Cloning reads main's parameters: from a worker, pass a clone made on the user-interface thread.
bool RunOnClone(const ServerConnection& main, const std::function<void(TServerMethods1Client&)>& call,
                QString* errorText = nullptr);

// RunOnClone for a table: the returned rows are copied into dataset with its notifications
// suspended, then the money format is applied, then the notifications resume.
bool LoadTableOnClone(const ServerConnection& main, MemDataset& dataset,
                      const std::function<TableReader(TServerMethods1Client&)>& call, QString* errorText = nullptr);

} // namespace velun
