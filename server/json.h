#pragma once
// An order-preserving JSON value tree and the codec interface it is read and written through.
// Records must keep their member order ("type", "id", "fields"), which QJsonObject cannot.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <variant>
#include <vector>

namespace velun::json {

class Value;
struct Member;
using Array = std::vector<Value>;
using Object = std::vector<Member>;

class Value
{
public:
    enum class Type : std::uint8_t { Null, Bool, Int, Double, String, Array, Object };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : m_v(b) {}
    Value(int i) : m_v(static_cast<qint64>(i)) {}
    Value(qint64 i) : m_v(i) {}
    Value(double d) : m_v(d) {}
    Value(QString s) : m_v(std::move(s)) {}
    Value(const char16_t* s) : m_v(QString::fromUtf16(s)) {}
    Value(json::Array a) : m_v(std::move(a)) {}
    Value(json::Object o) : m_v(std::move(o)) {}

    Type type() const { return static_cast<Type>(m_v.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Bool; }
    bool isInt() const { return type() == Type::Int; }
    bool isNumber() const { return type() == Type::Int || type() == Type::Double; }
    bool isString() const { return type() == Type::String; }
    bool isArray() const { return type() == Type::Array; }
    bool isObject() const { return type() == Type::Object; }

    bool toBool() const { return std::get<bool>(m_v); }
    qint64 toInt() const { return std::get<qint64>(m_v); }
    // Integers read as doubles too; callers check isNumber() first.
    double toDouble() const;
    const QString& toString() const { return std::get<QString>(m_v); }
    const json::Array& toArray() const { return std::get<json::Array>(m_v); }
    const json::Object& toObject() const { return std::get<json::Object>(m_v); }
    json::Array& array() { return std::get<json::Array>(m_v); }
    json::Object& object() { return std::get<json::Object>(m_v); }

    // Member lookup on an object (linear: objects here are small); nullptr when absent or not an object.
    const Value* find(QStringView key) const;

    bool operator==(const Value& other) const;

private:
    std::variant<std::monostate, bool, qint64, double, QString, json::Array, json::Object> m_v;
};

struct Member
{
    QString key;
    Value value;
    bool operator==(const Member& o) const { return key == o.key && value == o.value; }
};

class ParseError : public std::runtime_error
{
public:
    explicit ParseError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct Limits
{
    int maxDepth = 64;
};

// The one interface every JSON library sits behind.
class Codec
{
public:
    virtual ~Codec() = default;
    virtual const char* name() const = 0;
    virtual Value parse(const QByteArray& text, const Limits& limits = {}) const = 0;
    virtual QByteArray write(const Value& value) const = 0;
    // False when the library cannot keep object member order (records need it).
    virtual bool preservesMemberOrder() const { return true; }
};

// The codec every frame goes through: simdjson parsing with RapidJSON writing, chosen by
// measurement (bench/bench_json); RapidJSON alone where simdjson is not built in.
const Codec& defaultCodec();
const Codec& rapidJsonCodec();
const Codec& qtJsonCodec();
// simdjson only parses; writing falls back to RapidJSON. nullptr when not built.
const Codec* simdJsonCodec();

// Two-space indented text for people (velun-call).
QByteArray writeIndented(const Value& value);

inline Value parse(const QByteArray& text, const Limits& limits = {}) { return defaultCodec().parse(text, limits); }
inline QByteArray write(const Value& value) { return defaultCodec().write(value); }

} // namespace velun::json
