#pragma once
// Value kinds of the protocol and the request / reply envelopes (docs/protocol.md).

#include "server/json.h"
#include "server/tabledata.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace velun::wire {

enum class Kind { Text, Int32, Int64, Double, Boolean, Record, Table, DataPacket, Stream };

QString kindName(Kind k);
bool kindFromName(QStringView name, Kind& out);

// Encoding: every value is {"kind": K, "value": V} (tables carry "columns" and "rows").
json::Value text(const QString& s);
json::Value int32(qint32 v);
json::Value int64(qint64 v);
json::Value dbl(double v);
json::Value boolean(bool v);
json::Value record(json::Value recordObjectOrNull);
json::Value table(const TableData& t, Kind kind = Kind::Table);
json::Value stream(const QByteArray& bytes);

// Decoding: each throws ProtocolError when the value is not of that kind (or out of range).
Kind kindOf(const json::Value& tagged);
QString toText(const json::Value& tagged);
qint32 toInt32(const json::Value& tagged);
qint64 toInt64(const json::Value& tagged);
double toDouble(const json::Value& tagged);
bool toBoolean(const json::Value& tagged);
// The record object, or a null value for "no record".
const json::Value& toRecord(const json::Value& tagged);
TableData toTable(const json::Value& tagged, Kind kind = Kind::Table);
QByteArray toStream(const json::Value& tagged);

// Envelopes.
json::Value makeRequest(const QString& methodName, json::Array params);
struct Request
{
    QString method; // without the "TServerMethods1." prefix
    json::Array params;
};
Request parseRequest(json::Value v);

struct OrdinalValue
{
    int ordinal = 0;
    json::Value value; // tagged
};
json::Value makeReply(std::vector<OrdinalValue> values);
json::Value makeErrorReply(const QString& errorClass, const QString& message);
// Throws ServerError for an error reply, ProtocolError for a malformed one.
std::vector<OrdinalValue> parseReply(json::Value v);

inline const QString kCommandPrefix = QStringLiteral("TServerMethods1.");

} // namespace velun::wire
