#include "server/dbxcommand.h"

#include "server/connection.h"
#include "server/errors.h"
#include "server/recordcodec.h"
#include "server/wire.h"

namespace velun {
namespace {

[[noreturn]] void fail(const QString& message)
{
    throw ProtocolError(message);
}

QString kindText(ParamKind k)
{
    return k == ParamKind::Nothing ? QStringLiteral("nothing") : wire::kindName(wireKindOf(k));
}

} // namespace

void DBXCommand::setCommandText(const QString& text)
{
    m_commandText = text;
    m_signature = nullptr;
}

void DBXCommand::prepare()
{
    if (m_commandType != kServerMethodCommandType)
        fail(QStringLiteral("Desteklenmeyen komut türü: %1").arg(m_commandType));
    if (!m_commandText.startsWith(wire::kCommandPrefix))
        fail(QStringLiteral("Komut metni \"%1\" ile başlamalı: %2").arg(wire::kCommandPrefix, m_commandText));
    const MethodSignature* signature = findMethod(QStringView(m_commandText).mid(wire::kCommandPrefix.size()));
    if (!signature)
        fail(QStringLiteral("Bilinmeyen sunucu yöntemi: %1").arg(m_commandText));
    m_signature = signature;
    m_inputs.assign(signature->params.size(), json::Value());
    m_received.assign(signature->params.size() + 1, Received{});
    ++m_prepareCount;
}

const MethodSignature& DBXCommand::signature() const
{
    if (!m_signature)
        fail(QStringLiteral("Komut hazırlanmadı: %1").arg(m_commandText));
    return *m_signature;
}

const ParamSignature& DBXCommand::inputParam(int ordinal, ParamKind expected) const
{
    const MethodSignature& s = signature();
    if (ordinal < 0 || ordinal >= static_cast<int>(s.params.size()) || s.params[static_cast<size_t>(ordinal)].out)
        fail(QStringLiteral("%1: %2. sırada giriş parametresi yok").arg(s.name).arg(ordinal));
    const ParamSignature& p = s.params[static_cast<size_t>(ordinal)];
    const bool recordArg = expected == ParamKind::Record &&
                           (p.kind == ParamKind::Record || p.kind == ParamKind::LoginRecord);
    if (p.kind != expected && !recordArg)
        fail(QStringLiteral("%1: %2. parametre (%3) %4 türünde, %5 verildi")
                 .arg(s.name)
                 .arg(ordinal)
                 .arg(p.name, kindText(p.kind), kindText(expected)));
    return p;
}

void DBXCommand::setInput(int ordinal, ParamKind expected, json::Value tagged)
{
    inputParam(ordinal, expected);
    m_inputs[static_cast<size_t>(ordinal)] = std::move(tagged);
}

void DBXCommand::setText(int ordinal, const QString& value) { setInput(ordinal, ParamKind::Text, wire::text(value)); }
void DBXCommand::setInt32(int ordinal, qint32 value) { setInput(ordinal, ParamKind::Int32, wire::int32(value)); }
void DBXCommand::setInt64(int ordinal, qint64 value) { setInput(ordinal, ParamKind::Int64, wire::int64(value)); }
void DBXCommand::setDouble(int ordinal, double value) { setInput(ordinal, ParamKind::Double, wire::dbl(value)); }
void DBXCommand::setBoolean(int ordinal, bool value) { setInput(ordinal, ParamKind::Boolean, wire::boolean(value)); }

void DBXCommand::setRecord(int ordinal, json::Value recordOrNull)
{
    const ParamSignature& p = inputParam(ordinal, ParamKind::Record);
    if (!recordOrNull.isNull()) {
        if (!recordOrNull.isObject())
            fail(QStringLiteral("%1: kayıt parametresi bir nesne olmalı").arg(p.name));
        if (!p.recordType.isEmpty())
            records::checkedFields(recordOrNull, p.recordType);
    }
    m_inputs[static_cast<size_t>(ordinal)] = wire::record(std::move(recordOrNull));
}

QByteArray DBXCommand::requestPayload() const
{
    const MethodSignature& s = signature();
    json::Array params;
    params.reserve(s.params.size());
    for (size_t i = 0; i < s.params.size(); ++i) {
        if (s.params[i].out)
            continue;
        if (m_inputs[i].isNull())
            fail(QStringLiteral("%1: %2. parametre (%3) verilmedi").arg(s.name).arg(i).arg(s.params[i].name));
        params.push_back(m_inputs[i]);
    }
    return json::write(wire::makeRequest(s.name, std::move(params)));
}

void DBXCommand::execute()
{
    const QByteArray request = requestPayload();
    // Values of an earlier run must not survive a failed one.
    m_received.assign(signature().params.size() + 1, Received{});
    readReply(m_link.call(request));
}

void DBXCommand::readReply(const QByteArray& payload)
{
    const MethodSignature& s = signature();
    json::Value reply;
    try {
        reply = json::parse(payload);
    } catch (const json::ParseError& e) {
        fail(QStringLiteral("Sunucu yanıtı okunamadı: %1").arg(QString::fromUtf8(e.what())));
    }
    std::vector<wire::OrdinalValue> values = wire::parseReply(std::move(reply));

    std::vector<Received> decoded(s.params.size() + 1);
    std::vector<bool> seen(s.params.size() + 1, false);
    for (const wire::OrdinalValue& ov : values) {
        const int ord = ov.ordinal;
        const bool isResult = ord == s.resultOrdinal() && s.result != ParamKind::Nothing;
        const bool isOut = ord >= 0 && ord < s.resultOrdinal() && s.params[static_cast<size_t>(ord)].out;
        if (!isResult && !isOut)
            fail(QStringLiteral("%1: yanıtta beklenmeyen sıra %2").arg(s.name).arg(ord));
        if (seen[static_cast<size_t>(ord)])
            fail(QStringLiteral("%1: yanıtta %2. sıra iki kez var").arg(s.name).arg(ord));
        seen[static_cast<size_t>(ord)] = true;
        const ParamKind kind = isResult ? s.result : s.params[static_cast<size_t>(ord)].kind;
        const QString recordType = isResult ? s.resultRecordType : s.params[static_cast<size_t>(ord)].recordType;
        decoded[static_cast<size_t>(ord)] = decodeValue(ov.value, kind, recordType);
    }
    for (size_t i = 0; i < s.params.size(); ++i)
        if (s.params[i].out && !seen[i])
            fail(QStringLiteral("%1: yanıtta %2 (%3. sıra) yok").arg(s.name, s.params[i].name).arg(i));
    if (s.result != ParamKind::Nothing && !seen[static_cast<size_t>(s.resultOrdinal())])
        fail(QStringLiteral("%1: yanıtta sonuç yok").arg(s.name));
    m_received = std::move(decoded);
}

DBXCommand::Received DBXCommand::decodeValue(const json::Value& tagged, ParamKind kind, const QString& recordType) const
{
    const wire::Kind actual = wire::kindOf(tagged);
    if (actual != wireKindOf(kind))
        fail(QStringLiteral("%1: %2 bekleniyordu, %3 geldi").arg(signature().name, kindText(kind), wire::kindName(actual)));
    switch (kind) {
    case ParamKind::Text: return wire::toText(tagged);
    case ParamKind::Int32: return wire::toInt32(tagged);
    case ParamKind::Int64: return wire::toInt64(tagged);
    case ParamKind::Double: return wire::toDouble(tagged);
    case ParamKind::Boolean: return wire::toBoolean(tagged);
    case ParamKind::LoginRecord:
    case ParamKind::Record: {
        const json::Value& r = wire::toRecord(tagged);
        if (!r.isNull() && !recordType.isEmpty())
            records::checkedFields(r, recordType); // an unknown "type" fails the call here
        return r;
    }
    case ParamKind::Table: return wire::toTable(tagged, wire::Kind::Table);
    case ParamKind::DataPacket: return wire::toTable(tagged, wire::Kind::DataPacket);
    case ParamKind::Stream: return wire::toStream(tagged);
    case ParamKind::Nothing: break;
    }
    fail(QStringLiteral("%1: yanıtta desteklenmeyen tür").arg(signature().name));
}

template <class T>
const T& DBXCommand::received(int ordinal) const
{
    if (ordinal < 0 || static_cast<size_t>(ordinal) >= m_received.size())
        fail(QStringLiteral("%1: %2. sırada değer yok").arg(m_commandText).arg(ordinal));
    const T* v = std::get_if<T>(&m_received[static_cast<size_t>(ordinal)]);
    if (!v)
        fail(QStringLiteral("%1: %2. sıradaki değer istenen türde değil").arg(m_commandText).arg(ordinal));
    return *v;
}

QString DBXCommand::getText(int ordinal) const { return received<QString>(ordinal); }
qint32 DBXCommand::getInt32(int ordinal) const { return received<qint32>(ordinal); }
qint64 DBXCommand::getInt64(int ordinal) const { return received<qint64>(ordinal); }
double DBXCommand::getDouble(int ordinal) const { return received<double>(ordinal); }
bool DBXCommand::getBoolean(int ordinal) const { return received<bool>(ordinal); }
const json::Value& DBXCommand::getRecord(int ordinal) const { return received<json::Value>(ordinal); }
const TableData& DBXCommand::getTable(int ordinal) const { return received<TableData>(ordinal); }
const QByteArray& DBXCommand::getStream(int ordinal) const { return received<QByteArray>(ordinal); }
TableData DBXCommand::takeTable(int ordinal) { return std::move(received<TableData>(ordinal)); }
QByteArray DBXCommand::takeStream(int ordinal) { return std::move(received<QByteArray>(ordinal)); }

} // namespace velun
