#pragma once
// Every server method the client calls: parameter names, kinds and directions, and the result kind.
// The proxy checks replies against it and the application server checks requests against it.

#include "server/wire.h"

#include <QString>

#include <optional>
#include <vector>

namespace velun {

enum class ParamKind { Text, Int32, Int64, Double, Boolean, LoginRecord, Record, Table, DataPacket, Stream, Nothing };

wire::Kind wireKindOf(ParamKind k);

struct ParamSignature
{
    QString name;
    ParamKind kind;
    bool out = false;
    QString recordType; // qualified record class for Record
};

struct MethodSignature
{
    QString name;
    std::vector<ParamSignature> params; // declaration order, ins and outs
    ParamKind result = ParamKind::Nothing;
    QString resultRecordType;

    int inputCount() const;
    int resultOrdinal() const { return static_cast<int>(params.size()); }
};

const std::vector<MethodSignature>& methodCatalogue();
const MethodSignature* findMethod(QStringView name);

} // namespace velun
