#pragma once
// Turns one request payload into one reply payload: parse, look the method up in the catalogue,
// check the parameters against its kinds, run the handler, map every failure to an error reply.

#include "server/baglantiu.h"
#include "server/methodcatalogue.h"
#include "server/wire.h"

#include <QHash>
#include <QMutex>
#include <QSqlDatabase>

#include <atomic>
#include <functional>
#include <optional>

namespace velun::appserver {

class Database;

// A business rule refused the call; nothing was changed. Travels as class "EVelunError".
class BusinessError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EVelunError"); }
};

// The positional inputs of one call, already checked against the method's kinds.
class Args
{
public:
    Args(const MethodSignature& signature, const json::Array& params) : m_signature(signature), m_params(params) {}
    QString text(int ordinal) const;
    qint32 int32(int ordinal) const;
    qint64 int64(int ordinal) const;
    double dbl(int ordinal) const;
    bool boolean(int ordinal) const;
    // The login record argument; nullopt when it was sent as null.
    std::optional<TSonucBilgisi> login(int ordinal) const;
    const json::Value& recordJson(int ordinal) const;
    const MethodSignature& signature() const { return m_signature; }

private:
    const json::Value& at(int ordinal) const;
    const MethodSignature& m_signature;
    const json::Array& m_params;
};

// Collects the out parameters and the result at their ordinals.
class Reply
{
public:
    explicit Reply(const MethodSignature& signature) : m_signature(signature) {}
    // Out parameter by its name in the catalogue.
    void out(const QString& name, json::Value tagged);
    void result(json::Value tagged);
    std::vector<wire::OrdinalValue> take() { return std::move(m_values); }

private:
    const MethodSignature& m_signature;
    std::vector<wire::OrdinalValue> m_values;
};

// Faults a test can ask of the server; each "next" fault fires once.
struct FaultPlan
{
    std::atomic<int> delayReplyMs{0};             // every reply waits this long
    std::atomic<bool> dropNextRequest{false};     // close the connection instead of answering
    std::atomic<bool> truncateNextReply{false};   // send half of the reply frame, then close
    std::atomic<bool> garbageNextReply{false};    // a frame whose payload is not JSON
    std::atomic<bool> oversizeNextReply{false};   // a length prefix over the frame bound, then close
    std::atomic<bool> errorNextCall{false};       // an EVelunError reply instead of running the method
    std::atomic<bool> nullNextRecord{false};      // a record result replaced by null
    std::atomic<bool> shortNextStream{false};     // a stream result one byte shorter than announced
    std::atomic<bool> wrongKindNextReply{false};  // the result sent as a kind the method does not declare
};

struct CallContext
{
    Database& database;
    QSqlDatabase db; // this worker thread's connection
};

using Handler = std::function<void(CallContext&, const Args&, Reply&)>;

class Dispatcher
{
public:
    explicit Dispatcher(Database& database) : m_database(database) {}
    void add(const QString& method, Handler handler);
    bool has(const QString& method) const { return m_handlers.contains(method); }
    FaultPlan& faults() { return m_faults; }
    Database& database() { return m_database; }
    // How many well-formed requests for the method came in (answered or refused alike).
    int calls(const QString& method) const;
    // Never throws: every failure becomes an error reply.
    QByteArray handle(const QByteArray& payload);

private:
    json::Value handleValue(const QByteArray& payload);
    Database& m_database;
    QHash<QString, Handler> m_handlers;
    FaultPlan m_faults;
    mutable QMutex m_callsMutex;
    QHash<QString, int> m_calls;
};

// Checks count and kinds of a request's inputs; throws the EParameterError reply text.
void checkParams(const MethodSignature& signature, const json::Array& params);

} // namespace velun::appserver
