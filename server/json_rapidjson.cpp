// RapidJSON SAX reader building our tree directly, and its writer.
#include "server/json.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace velun::json {
namespace {

class TreeBuilder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, TreeBuilder>
{
public:
    explicit TreeBuilder(int maxDepth) : m_maxDepth(maxDepth) {}

    bool Null() { return add(Value()); }
    bool Bool(bool b) { return add(Value(b)); }
    bool Int(int i) { return add(Value(static_cast<qint64>(i))); }
    bool Uint(unsigned u) { return add(Value(static_cast<qint64>(u))); }
    bool Int64(int64_t i) { return add(Value(static_cast<qint64>(i))); }
    bool Uint64(uint64_t u)
    {
        if (u > static_cast<uint64_t>(INT64_MAX))
            return add(Value(static_cast<double>(u)));
        return add(Value(static_cast<qint64>(u)));
    }
    bool Double(double d) { return add(Value(d)); }
    bool String(const char* s, rapidjson::SizeType n, bool)
    {
        return add(Value(QString::fromUtf8(s, static_cast<qsizetype>(n))));
    }
    bool Key(const char* s, rapidjson::SizeType n, bool)
    {
        m_stack.back().pendingKey = QString::fromUtf8(s, static_cast<qsizetype>(n));
        return true;
    }
    bool StartObject() { return open(Value(json::Object{})); }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(Value(json::Array{})); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    bool depthExceeded() const { return m_depthExceeded; }
    Value take() { return std::move(m_root); }

private:
    struct Frame
    {
        Value container;
        QString pendingKey;
    };

    bool add(Value v)
    {
        if (m_stack.empty()) {
            m_root = std::move(v);
            return true;
        }
        Frame& top = m_stack.back();
        if (top.container.isArray())
            top.container.array().push_back(std::move(v));
        else
            top.container.object().push_back(Member{std::move(top.pendingKey), std::move(v)});
        return true;
    }
    bool open(Value container)
    {
        if (static_cast<int>(m_stack.size()) >= m_maxDepth) {
            m_depthExceeded = true;
            return false;
        }
        m_stack.push_back(Frame{std::move(container), {}});
        return true;
    }
    bool close()
    {
        Value done = std::move(m_stack.back().container);
        m_stack.pop_back();
        return add(std::move(done));
    }

    int m_maxDepth;
    bool m_depthExceeded = false;
    std::vector<Frame> m_stack;
    Value m_root;
};

using Writer = rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                                 rapidjson::CrtAllocator, rapidjson::kWriteNanAndInfFlag>;

template <class W>
void writeString(W& w, const QString& s)
{
    const QByteArray u = s.toUtf8();
    w.String(u.constData(), static_cast<rapidjson::SizeType>(u.size()));
}

template <class W>
void writeValue(W& w, const Value& v)
{
    switch (v.type()) {
    case Value::Type::Null: w.Null(); break;
    case Value::Type::Bool: w.Bool(v.toBool()); break;
    case Value::Type::Int: w.Int64(v.toInt()); break;
    case Value::Type::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d))
            throw ParseError(QStringLiteral("JSON sayı olmayan değeri yazamaz"));
        w.Double(d);
        break;
    }
    case Value::Type::String: writeString(w, v.toString()); break;
    case Value::Type::Array:
        w.StartArray();
        for (const Value& e : v.toArray())
            writeValue(w, e);
        w.EndArray();
        break;
    case Value::Type::Object:
        w.StartObject();
        for (const Member& m : v.toObject()) {
            const QByteArray k = m.key.toUtf8();
            w.Key(k.constData(), static_cast<rapidjson::SizeType>(k.size()));
            writeValue(w, m.value);
        }
        w.EndObject();
        break;
    }
}

class RapidJsonCodec final : public Codec
{
public:
    const char* name() const override { return "rapidjson"; }

    Value parse(const QByteArray& text, const Limits& limits) const override
    {
        TreeBuilder builder(limits.maxDepth);
        rapidjson::Reader reader;
        rapidjson::MemoryStream ms(text.constData(), static_cast<size_t>(text.size()));
        rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> in(ms);
        const rapidjson::ParseResult ok =
            reader.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseFullPrecisionFlag |
                         rapidjson::kParseIterativeFlag>(in, builder);
        if (!ok) {
            if (builder.depthExceeded())
                throw ParseError(QStringLiteral("JSON iç içe derinlik sınırı (%1) aşıldı").arg(limits.maxDepth));
            throw ParseError(QStringLiteral("Geçersiz JSON (konum %1): %2")
                                 .arg(ok.Offset())
                                 .arg(QString::fromUtf8(rapidjson::GetParseError_En(ok.Code()))));
        }
        return builder.take();
    }

    QByteArray write(const Value& value) const override
    {
        rapidjson::StringBuffer buffer;
        Writer writer(buffer);
        writeValue(writer, value);
        return QByteArray(buffer.GetString(), static_cast<qsizetype>(buffer.GetSize()));
    }
};

} // namespace

QByteArray writeIndented(const Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 2);
    writeValue(writer, value);
    return QByteArray(buffer.GetString(), static_cast<qsizetype>(buffer.GetSize()));
}

const Codec& rapidJsonCodec()
{
    static const RapidJsonCodec codec;
    return codec;
}

// simdjson reads fastest and RapidJSON writes fastest (bench/bench_json); both keep member order.
const Codec& defaultCodec()
{
    if (const Codec* simd = simdJsonCodec())
        return *simd;
    return rapidJsonCodec();
}

} // namespace velun::json
