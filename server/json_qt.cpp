// QJsonDocument behind the codec interface; kept for measurement only, since QJsonObject
// sorts its keys and so cannot write records in their member order.
#include "server/json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velun::json {
namespace {

int depthOf(const QJsonValue& v)
{
    int d = 0;
    if (v.isArray())
        for (const QJsonValue& e : v.toArray())
            d = std::max(d, depthOf(e));
    else if (v.isObject())
        for (const QJsonValue& e : v.toObject())
            d = std::max(d, depthOf(e));
    else
        return 0;
    return d + 1;
}

Value fromQt(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: return Value();
    case QJsonValue::Bool: return Value(v.toBool());
    case QJsonValue::Double: {
        const QVariant var = v.toVariant();
        if (var.typeId() == QMetaType::LongLong)
            return Value(static_cast<qint64>(var.toLongLong()));
        return Value(v.toDouble());
    }
    case QJsonValue::String: return Value(v.toString());
    case QJsonValue::Array: {
        json::Array a;
        const QJsonArray qa = v.toArray();
        a.reserve(static_cast<size_t>(qa.size()));
        for (const QJsonValue& e : qa)
            a.push_back(fromQt(e));
        return Value(std::move(a));
    }
    case QJsonValue::Object: {
        json::Object o;
        const QJsonObject qo = v.toObject();
        for (auto it = qo.begin(); it != qo.end(); ++it)
            o.push_back(Member{it.key(), fromQt(it.value())});
        return Value(std::move(o));
    }
    }
    return Value();
}

QJsonValue toQt(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Null: return QJsonValue(QJsonValue::Null);
    case Value::Type::Bool: return QJsonValue(v.toBool());
    case Value::Type::Int: return QJsonValue(v.toInt());
    case Value::Type::Double: return QJsonValue(v.toDouble());
    case Value::Type::String: return QJsonValue(v.toString());
    case Value::Type::Array: {
        QJsonArray a;
        for (const Value& e : v.toArray())
            a.append(toQt(e));
        return a;
    }
    case Value::Type::Object: {
        QJsonObject o;
        for (const Member& m : v.toObject())
            o.insert(m.key, toQt(m.value));
        return o;
    }
    }
    return {};
}

class QtJsonCodec final : public Codec
{
public:
    const char* name() const override { return "qjsondocument"; }
    bool preservesMemberOrder() const override { return false; }

    Value parse(const QByteArray& text, const Limits& limits) const override
    {
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
        if (err.error != QJsonParseError::NoError)
            throw ParseError(QStringLiteral("Geçersiz JSON: %1").arg(err.errorString()));
        const QJsonValue root = doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
        if (depthOf(root) > limits.maxDepth)
            throw ParseError(QStringLiteral("JSON iç içe derinlik sınırı (%1) aşıldı").arg(limits.maxDepth));
        return fromQt(root);
    }

    QByteArray write(const Value& value) const override
    {
        const QJsonValue q = toQt(value);
        if (q.isArray())
            return QJsonDocument(q.toArray()).toJson(QJsonDocument::Compact);
        return QJsonDocument(q.toObject()).toJson(QJsonDocument::Compact);
    }
};

} // namespace

const Codec& qtJsonCodec()
{
    static const QtJsonCodec codec;
    return codec;
}

} // namespace velun::json
