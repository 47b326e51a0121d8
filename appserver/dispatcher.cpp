#include "appserver/dispatcher.h"

#include "appserver/database.h"
#include "server/json.h"

#include <QThread>

namespace velun::appserver {
namespace {

class ParameterError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EParameterError"); }
};

QString describeKind(ParamKind k)
{
    if (k == ParamKind::LoginRecord)
        return QStringLiteral("record baglantiu.TSonucBilgisi");
    return wire::kindName(wireKindOf(k));
}

} // namespace

void checkParams(const MethodSignature& signature, const json::Array& params)
{
    const int expected = signature.inputCount();
    if (static_cast<int>(params.size()) != expected)
        throw ParameterError(QStringLiteral("%1 %2 parametre bekliyor, %3 geldi")
                                 .arg(signature.name)
                                 .arg(expected)
                                 .arg(params.size()));
    int i = 0;
    for (const ParamSignature& p : signature.params) {
        if (p.out)
            continue;
        const json::Value& v = params[static_cast<size_t>(i)];
        try {
            switch (p.kind) {
            case ParamKind::Text: wire::toText(v); break;
            case ParamKind::Int32: wire::toInt32(v); break;
            case ParamKind::Int64: wire::toInt64(v); break;
            case ParamKind::Double: wire::toDouble(v); break;
            case ParamKind::Boolean: wire::toBoolean(v); break;
            case ParamKind::LoginRecord: {
                const json::Value& r = wire::toRecord(v);
                if (!r.isNull())
                    records::fromJson<TSonucBilgisi>(r);
                break;
            }
            case ParamKind::Record: wire::toRecord(v); break;
            default: throw ProtocolError(QStringLiteral("desteklenmeyen parametre türü"));
            }
        } catch (const VelunError& e) {
            throw ParameterError(QStringLiteral("%1: %2. parametre (%3, %4): %5")
                                     .arg(signature.name)
                                     .arg(i)
                                     .arg(p.name, describeKind(p.kind), e.message()));
        }
        ++i;
    }
}

const json::Value& Args::at(int ordinal) const
{
    if (ordinal < 0 || ordinal >= static_cast<int>(m_params.size()))
        throw ParameterError(QStringLiteral("%1: %2. parametre yok").arg(m_signature.name).arg(ordinal));
    return m_params[static_cast<size_t>(ordinal)];
}

QString Args::text(int ordinal) const { return wire::toText(at(ordinal)); }
qint32 Args::int32(int ordinal) const { return wire::toInt32(at(ordinal)); }
qint64 Args::int64(int ordinal) const { return wire::toInt64(at(ordinal)); }
double Args::dbl(int ordinal) const { return wire::toDouble(at(ordinal)); }
bool Args::boolean(int ordinal) const { return wire::toBoolean(at(ordinal)); }
const json::Value& Args::recordJson(int ordinal) const { return wire::toRecord(at(ordinal)); }

std::optional<TSonucBilgisi> Args::login(int ordinal) const
{
    const json::Value& r = recordJson(ordinal);
    if (r.isNull())
        return std::nullopt;
    return records::fromJson<TSonucBilgisi>(r);
}

void Reply::out(const QString& name, json::Value tagged)
{
    for (size_t i = 0; i < m_signature.params.size(); ++i)
        if (m_signature.params[i].out && m_signature.params[i].name == name) {
            m_values.push_back(wire::OrdinalValue{static_cast<int>(i), std::move(tagged)});
            return;
        }
    throw VelunError(QStringLiteral("%1 için çıkış parametresi %2 yok").arg(m_signature.name, name));
}

void Reply::result(json::Value tagged)
{
    m_values.push_back(wire::OrdinalValue{m_signature.resultOrdinal(), std::move(tagged)});
}

void Dispatcher::add(const QString& method, Handler handler)
{
    Q_ASSERT(findMethod(method));
    m_handlers.insert(method, std::move(handler));
}

namespace {

// Test faults that alter a successful reply before it is framed.
void applyValueFaults(FaultPlan& faults, const MethodSignature& signature, std::vector<wire::OrdinalValue>& values)
{
    for (wire::OrdinalValue& ov : values) {
        if (ov.ordinal != signature.resultOrdinal())
            continue;
        if (signature.result == ParamKind::Record || signature.result == ParamKind::LoginRecord) {
            if (faults.nullNextRecord.exchange(false))
                ov.value = wire::record(json::Value());
        } else if (signature.result == ParamKind::Stream) {
            if (faults.shortNextStream.exchange(false)) {
                QByteArray bytes = wire::toStream(ov.value);
                bytes.chop(1);
                ov.value = wire::stream(bytes);
            }
        }
        if (faults.wrongKindNextReply.exchange(false))
            ov.value = signature.result == ParamKind::Text ? wire::int32(1) : wire::text(QStringLiteral("yanlış tür"));
    }
}

} // namespace

int Dispatcher::calls(const QString& method) const
{
    QMutexLocker lock(&m_callsMutex);
    return m_calls.value(method);
}

json::Value Dispatcher::handleValue(const QByteArray& payload)
{
    try {
        wire::Request request = wire::parseRequest(json::parse(payload));
        const MethodSignature* signature = findMethod(request.method);
        if (!signature)
            return wire::makeErrorReply(QStringLiteral("EUnknownMethod"),
                                        QStringLiteral("Bilinmeyen sunucu yöntemi: %1").arg(request.method));
        {
            QMutexLocker lock(&m_callsMutex);
            ++m_calls[request.method];
        }
        checkParams(*signature, request.params);
        if (m_faults.errorNextCall.exchange(false))
            throw BusinessError(QStringLiteral("Sınama için üretilmiş sunucu hatası"));
        const auto it = m_handlers.constFind(request.method);
        if (it == m_handlers.constEnd())
            return wire::makeErrorReply(QStringLiteral("ENotImplemented"),
                                        QStringLiteral("%1 bu sunucuda henüz yok").arg(request.method));
        CallContext ctx{m_database, m_database.connection()};
        Args args(*signature, request.params);
        Reply reply(*signature);
        (*it)(ctx, args, reply);
        std::vector<wire::OrdinalValue> values = reply.take();
        applyValueFaults(m_faults, *signature, values);
        return wire::makeReply(std::move(values));
    } catch (const json::ParseError& e) {
        return wire::makeErrorReply(QStringLiteral("EProtocolError"), QString::fromUtf8(e.what()));
    } catch (const VelunError& e) {
        return wire::makeErrorReply(e.className(), e.message());
    } catch (const std::exception& e) {
        return wire::makeErrorReply(QStringLiteral("Exception"), QString::fromUtf8(e.what()));
    }
}

QByteArray Dispatcher::handle(const QByteArray& payload)
{
    try {
        return json::write(handleValue(payload));
    } catch (const std::exception& e) {
        return json::write(wire::makeErrorReply(QStringLiteral("Exception"), QString::fromUtf8(e.what())));
    }
}

} // namespace velun::appserver
