#include "server/wire.h"

#include "server/errors.h"

#include <cmath>
#include <limits>

namespace velun::wire {
namespace {

const QString kKind = QStringLiteral("kind");
const QString kValue = QStringLiteral("value");

json::Value tagged(Kind k, json::Value v)
{
    return json::Value(json::Object{{kKind, kindName(k)}, {kValue, std::move(v)}});
}

[[noreturn]] void fail(const QString& what)
{
    throw ProtocolError(what);
}

const json::Value& payloadOf(const json::Value& t, Kind expected)
{
    const Kind actual = kindOf(t);
    if (actual != expected)
        fail(QStringLiteral("Beklenen tür %1, gelen %2").arg(kindName(expected), kindName(actual)));
    const json::Value* v = t.find(kValue);
    if (!v)
        fail(QStringLiteral("Değer eksik (%1)").arg(kindName(expected)));
    return *v;
}

json::Value encodeCell(const QVariant& cell, FieldType type)
{
    if (cell.isNull())
        return json::Value();
    switch (type) {
    case FieldType::Text: return json::Value(cell.toString());
    case FieldType::Int32:
    case FieldType::Int64: return json::Value(static_cast<qint64>(cell.toLongLong()));
    case FieldType::Double: return json::Value(cell.toDouble());
    case FieldType::Boolean: return json::Value(cell.toBool());
    case FieldType::DateTime:
        if (cell.typeId() == QMetaType::Double)
            return json::Value(cell.toDouble());
        return json::Value(dateTimeToOle(cell.toDateTime()));
    case FieldType::Blob: return json::Value(QString::fromLatin1(cell.toByteArray().toBase64()));
    }
    return json::Value();
}

QVariant decodeCell(const json::Value& v, FieldType type, const QString& column)
{
    auto bad = [&]() -> QVariant {
        fail(QStringLiteral("Sütun %1 için geçersiz hücre (%2 bekleniyor)").arg(column, fieldTypeName(type)));
    };
    switch (v.type()) {
    case json::Value::Type::Null: return QVariant();
    default: break;
    }
    switch (type) {
    case FieldType::Text:
        if (!v.isString())
            return bad();
        return QVariant(v.toString());
    case FieldType::Int32:
        if (!v.isInt() || v.toInt() < std::numeric_limits<qint32>::min() ||
            v.toInt() > std::numeric_limits<qint32>::max())
            return bad();
        return QVariant(static_cast<int>(v.toInt()));
    case FieldType::Int64:
        if (!v.isInt())
            return bad();
        return QVariant(static_cast<qlonglong>(v.toInt()));
    case FieldType::Double:
        if (!v.isNumber())
            return bad();
        return QVariant(v.toDouble());
    case FieldType::Boolean:
        if (!v.isBool())
            return bad();
        return QVariant(v.toBool());
    case FieldType::DateTime:
        if (!v.isNumber())
            return bad();
        return QVariant(oleToDateTime(v.toDouble()));
    case FieldType::Blob: {
        if (!v.isString())
            return bad();
        auto r = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!r)
            return bad();
        return QVariant(*r);
    }
    }
    return bad();
}

} // namespace

QString kindName(Kind k)
{
    switch (k) {
    case Kind::Text: return QStringLiteral("text");
    case Kind::Int32: return QStringLiteral("int32");
    case Kind::Int64: return QStringLiteral("int64");
    case Kind::Double: return QStringLiteral("double");
    case Kind::Boolean: return QStringLiteral("boolean");
    case Kind::Record: return QStringLiteral("record");
    case Kind::Table: return QStringLiteral("table");
    case Kind::DataPacket: return QStringLiteral("datapacket");
    case Kind::Stream: return QStringLiteral("stream");
    }
    return {};
}

bool kindFromName(QStringView name, Kind& out)
{
    static const Kind all[] = {Kind::Text,   Kind::Int32, Kind::Int64,      Kind::Double, Kind::Boolean,
                               Kind::Record, Kind::Table, Kind::DataPacket, Kind::Stream};
    for (Kind k : all)
        if (name == kindName(k)) {
            out = k;
            return true;
        }
    return false;
}

json::Value text(const QString& s) { return tagged(Kind::Text, json::Value(s)); }
json::Value int32(qint32 v) { return tagged(Kind::Int32, json::Value(static_cast<qint64>(v))); }
json::Value int64(qint64 v) { return tagged(Kind::Int64, json::Value(v)); }
json::Value dbl(double v) { return tagged(Kind::Double, json::Value(v)); }
json::Value boolean(bool v) { return tagged(Kind::Boolean, json::Value(v)); }
json::Value record(json::Value recordObjectOrNull) { return tagged(Kind::Record, std::move(recordObjectOrNull)); }
json::Value stream(const QByteArray& bytes)
{
    return tagged(Kind::Stream, json::Value(QString::fromLatin1(bytes.toBase64())));
}

json::Value table(const TableData& t, Kind kind)
{
    json::Array cols;
    cols.reserve(static_cast<size_t>(t.columns.size()));
    for (const ColumnDef& c : t.columns)
        cols.push_back(json::Object{{QStringLiteral("name"), c.name}, {QStringLiteral("type"), fieldTypeName(c.type)}});
    json::Array rows;
    rows.reserve(t.rows.size());
    const size_t n = static_cast<size_t>(t.columns.size());
    for (const Row& r : t.rows) {
        json::Array cells;
        cells.reserve(n);
        for (size_t i = 0; i < n; ++i)
            cells.push_back(encodeCell(i < r.size() ? r[i] : QVariant(), t.columns[static_cast<int>(i)].type));
        rows.push_back(std::move(cells));
    }
    return json::Value(json::Object{{kKind, kindName(kind)},
                                    {QStringLiteral("columns"), std::move(cols)},
                                    {QStringLiteral("rows"), std::move(rows)}});
}

Kind kindOf(const json::Value& t)
{
    const json::Value* k = t.find(kKind);
    Kind out;
    if (!k || !k->isString() || !kindFromName(k->toString(), out))
        fail(QStringLiteral("Değer türü eksik ya da bilinmiyor"));
    return out;
}

QString toText(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Text);
    if (!v.isString())
        fail(QStringLiteral("Metin değeri bekleniyor"));
    return v.toString();
}

qint32 toInt32(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Int32);
    if (!v.isInt() || v.toInt() < std::numeric_limits<qint32>::min() || v.toInt() > std::numeric_limits<qint32>::max())
        fail(QStringLiteral("32 bitlik tamsayı bekleniyor"));
    return static_cast<qint32>(v.toInt());
}

qint64 toInt64(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Int64);
    if (!v.isInt())
        fail(QStringLiteral("64 bitlik tamsayı bekleniyor"));
    return v.toInt();
}

double toDouble(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Double);
    if (!v.isNumber())
        fail(QStringLiteral("Sayı bekleniyor"));
    return v.toDouble();
}

bool toBoolean(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Boolean);
    if (!v.isBool())
        fail(QStringLiteral("Mantıksal değer bekleniyor"));
    return v.toBool();
}

const json::Value& toRecord(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Record);
    if (!v.isNull() && !v.isObject())
        fail(QStringLiteral("Kayıt nesnesi bekleniyor"));
    return v;
}

QByteArray toStream(const json::Value& t)
{
    const json::Value& v = payloadOf(t, Kind::Stream);
    if (!v.isString())
        fail(QStringLiteral("Akış verisi bekleniyor"));
    auto r = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        fail(QStringLiteral("Akış verisi bozuk"));
    return *r;
}

TableData toTable(const json::Value& t, Kind kind)
{
    const Kind actual = kindOf(t);
    if (actual != kind)
        fail(QStringLiteral("Beklenen tür %1, gelen %2").arg(kindName(kind), kindName(actual)));
    const json::Value* cols = t.find(u"columns");
    const json::Value* rows = t.find(u"rows");
    if (!cols || !cols->isArray() || !rows || !rows->isArray())
        fail(QStringLiteral("Tablo sütunları ya da satırları eksik"));
    TableData out;
    out.columns.reserve(static_cast<qsizetype>(cols->toArray().size()));
    for (const json::Value& c : cols->toArray()) {
        const json::Value* name = c.find(u"name");
        const json::Value* type = c.find(u"type");
        ColumnDef def;
        if (!name || !name->isString() || !type || !type->isString() || !fieldTypeFromName(type->toString(), def.type))
            fail(QStringLiteral("Tablo sütunu geçersiz"));
        def.name = name->toString();
        out.columns.push_back(std::move(def));
    }
    const size_t n = static_cast<size_t>(out.columns.size());
    out.rows.reserve(rows->toArray().size());
    for (const json::Value& r : rows->toArray()) {
        if (!r.isArray() || r.toArray().size() != n)
            fail(QStringLiteral("Tablo satırının hücre sayısı sütun sayısına uymuyor"));
        Row row;
        row.reserve(n);
        const json::Array& cells = r.toArray();
        for (size_t i = 0; i < n; ++i) {
            const ColumnDef& c = out.columns[static_cast<int>(i)];
            row.push_back(decodeCell(cells[i], c.type, c.name));
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

json::Value makeRequest(const QString& methodName, json::Array params)
{
    return json::Value(json::Object{{QStringLiteral("command"), QString(kCommandPrefix + methodName)},
                                    {QStringLiteral("params"), std::move(params)}});
}

Request parseRequest(json::Value v)
{
    const json::Value* cmd = v.find(u"command");
    const json::Value* params = v.find(u"params");
    if (!cmd || !cmd->isString() || !params || !params->isArray())
        fail(QStringLiteral("İstek \"command\" ve \"params\" içermeli"));
    if (!cmd->toString().startsWith(kCommandPrefix))
        fail(QStringLiteral("Komut \"%1\" ile başlamalı").arg(kCommandPrefix));
    Request r;
    r.method = cmd->toString().mid(kCommandPrefix.size());
    for (json::Member& m : v.object())
        if (m.key == u"params")
            r.params = std::move(m.value.array());
    return r;
}

json::Value makeReply(std::vector<OrdinalValue> values)
{
    json::Array arr;
    arr.reserve(values.size());
    for (OrdinalValue& ov : values) {
        json::Object o;
        o.push_back({QStringLiteral("ordinal"), json::Value(ov.ordinal)});
        // Flatten the tagged value's members after the ordinal.
        for (json::Member& m : ov.value.object())
            o.push_back(std::move(m));
        arr.push_back(std::move(o));
    }
    return json::Value(json::Object{{QStringLiteral("values"), std::move(arr)}});
}

json::Value makeErrorReply(const QString& errorClass, const QString& message)
{
    return json::Value(json::Object{
        {QStringLiteral("error"), json::Object{{QStringLiteral("class"), errorClass}, {QStringLiteral("message"), message}}}});
}

std::vector<OrdinalValue> parseReply(json::Value v)
{
    if (const json::Value* err = v.find(u"error")) {
        const json::Value* cls = err->find(u"class");
        const json::Value* msg = err->find(u"message");
        throw ServerError(cls && cls->isString() ? cls->toString() : QStringLiteral("Exception"),
                          msg && msg->isString() ? msg->toString() : QStringLiteral("Sunucu hatası"));
    }
    json::Value* values = nullptr;
    if (v.isObject())
        for (json::Member& m : v.object())
            if (m.key == u"values")
                values = &m.value;
    if (!values || !values->isArray())
        fail(QStringLiteral("Yanıt \"values\" içermiyor"));
    std::vector<OrdinalValue> out;
    out.reserve(values->toArray().size());
    for (json::Value& e : values->array()) {
        const json::Value* ord = e.find(u"ordinal");
        if (!ord || !ord->isInt())
            fail(QStringLiteral("Yanıt değerinin sırası eksik"));
        const int ordinal = static_cast<int>(ord->toInt());
        out.push_back(OrdinalValue{ordinal, std::move(e)});
    }
    return out;
}

} // namespace velun::wire
