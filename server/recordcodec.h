#pragma once
// Reflection for transfer records: each record class lists its fields (JSON name and member) once,
// and the same table drives writing and reading the {"type","id","fields"} form.

#include "server/errors.h"
#include "server/json.h"

#include <QString>

#include <limits>
#include <variant>
#include <vector>

// Declares the private field F<Name> with a reading property and a storing setter.
#define VELUN_RECORD_FIELD(Type, Name)                                                                               \
public:                                                                                                              \
    const Type& Name() const { return F##Name; }                                                                     \
    void set##Name(const Type& value) { F##Name = value; }                                                           \
                                                                                                                     \
private:                                                                                                             \
    Type F##Name{};

namespace velun::records {

template <class R>
struct Field
{
    const char16_t* jsonName;
    std::variant<QString R::*, qint32 R::*, double R::*, bool R::*> member;
};

class UnknownRecordType : public ProtocolError
{
public:
    explicit UnknownRecordType(const QString& type)
        : ProtocolError(QStringLiteral("Bilinmeyen kayıt türü: %1").arg(type)) {}
};

json::Value fieldToJson(const QString& v);
json::Value fieldToJson(qint32 v);
json::Value fieldToJson(double v);
json::Value fieldToJson(bool v);
void fieldFromJson(const json::Value& v, QString& out, const char16_t* name);
void fieldFromJson(const json::Value& v, qint32& out, const char16_t* name);
void fieldFromJson(const json::Value& v, double& out, const char16_t* name);
void fieldFromJson(const json::Value& v, bool& out, const char16_t* name);

// The "fields" object of a record value; throws UnknownRecordType when "type" is not the expected one.
const json::Value& checkedFields(const json::Value& record, QStringView expectedType);
json::Value envelope(QStringView type, int id, json::Object fields);

template <class R>
json::Object fieldsToJson(const R& r)
{
    json::Object fields;
    fields.reserve(R::fieldTable().size());
    for (const Field<R>& f : R::fieldTable())
        std::visit([&](auto member) { fields.push_back({QString::fromUtf16(f.jsonName), fieldToJson(r.*member)}); },
                   f.member);
    return fields;
}

template <class R>
void fieldsFromJson(const json::Value& fields, R& r)
{
    for (const json::Member& m : fields.toObject())
        for (const Field<R>& f : R::fieldTable())
            if (m.key == f.jsonName) {
                std::visit([&](auto member) { fieldFromJson(m.value, r.*member, f.jsonName); }, f.member);
                break;
            }
}

template <class R>
json::Value toJson(const R& r, int id = 1)
{
    return envelope(R::kTypeName, id, fieldsToJson(r));
}

// Builds a record from its JSON form: the defaults of R, then every known member of "fields".
template <class R>
R fromJson(const json::Value& record)
{
    R r;
    fieldsFromJson(checkedFields(record, R::kTypeName), r);
    return r;
}

} // namespace velun::records
