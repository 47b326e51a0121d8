#include "server/recordcodec.h"

namespace velun::records {
namespace {
[[noreturn]] void badField(const char16_t* name, const char* expected)
{
    throw ProtocolError(QStringLiteral("Kayıt alanı %1 için %2 bekleniyor")
                            .arg(QString::fromUtf16(name), QString::fromLatin1(expected)));
}
} // namespace

json::Value fieldToJson(const QString& v) { return json::Value(v); }
json::Value fieldToJson(qint32 v) { return json::Value(static_cast<qint64>(v)); }
json::Value fieldToJson(double v) { return json::Value(v); }
json::Value fieldToJson(bool v) { return json::Value(v); }

void fieldFromJson(const json::Value& v, QString& out, const char16_t* name)
{
    if (v.isNull())
        return out.clear();
    if (!v.isString())
        badField(name, "metin");
    out = v.toString();
}

void fieldFromJson(const json::Value& v, qint32& out, const char16_t* name)
{
    if (!v.isInt() || v.toInt() < std::numeric_limits<qint32>::min() || v.toInt() > std::numeric_limits<qint32>::max())
        badField(name, "tamsayı");
    out = static_cast<qint32>(v.toInt());
}

void fieldFromJson(const json::Value& v, double& out, const char16_t* name)
{
    if (!v.isNumber())
        badField(name, "sayı");
    out = v.toDouble();
}

void fieldFromJson(const json::Value& v, bool& out, const char16_t* name)
{
    if (!v.isBool())
        badField(name, "true/false");
    out = v.toBool();
}

const json::Value& checkedFields(const json::Value& record, QStringView expectedType)
{
    if (!record.isObject())
        throw ProtocolError(QStringLiteral("Kayıt bir JSON nesnesi olmalı"));
    const json::Value* type = record.find(u"type");
    if (!type || !type->isString())
        throw ProtocolError(QStringLiteral("Kaydın \"type\" üyesi eksik"));
    if (type->toString() != expectedType)
        throw UnknownRecordType(type->toString());
    const json::Value* fields = record.find(u"fields");
    if (!fields || !fields->isObject())
        throw ProtocolError(QStringLiteral("Kaydın \"fields\" üyesi eksik"));
    return *fields;
}

json::Value envelope(QStringView type, int id, json::Object fields)
{
    return json::Value(json::Object{{QStringLiteral("type"), type.toString()},
                                    {QStringLiteral("id"), json::Value(id)},
                                    {QStringLiteral("fields"), std::move(fields)}});
}

} // namespace velun::records
