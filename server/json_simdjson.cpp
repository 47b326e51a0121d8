// simdjson's DOM parser behind the codec interface (parsing only); measured against RapidJSON.
#include "server/json.h"

#ifdef VELUN_HAVE_SIMDJSON
#include <simdjson.h>

namespace velun::json {
namespace {

Value convert(simdjson::dom::element e)
{
    using T = simdjson::dom::element_type;
    switch (e.type()) {
    case T::NULL_VALUE: return Value();
    case T::BOOL: return Value(bool(e.get_bool()));
    case T::INT64: return Value(static_cast<qint64>(int64_t(e.get_int64())));
    case T::UINT64: {
        const uint64_t u = e.get_uint64();
        if (u > static_cast<uint64_t>(INT64_MAX))
            return Value(static_cast<double>(u));
        return Value(static_cast<qint64>(u));
    }
    case T::DOUBLE: return Value(double(e.get_double()));
    case T::STRING: {
        std::string_view s = e.get_string();
        return Value(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
    }
    case T::ARRAY: {
        json::Array a;
        simdjson::dom::array arr = e.get_array();
        a.reserve(arr.size());
        for (simdjson::dom::element c : arr)
            a.push_back(convert(c));
        return Value(std::move(a));
    }
    case T::OBJECT: {
        json::Object o;
        for (simdjson::dom::key_value_pair kv : simdjson::dom::object(e.get_object()))
            o.push_back(Member{QString::fromUtf8(kv.key.data(), static_cast<qsizetype>(kv.key.size())),
                               convert(kv.value)});
        return Value(std::move(o));
    }
    }
    return Value();
}

class SimdJsonCodec final : public Codec
{
public:
    const char* name() const override { return "simdjson"; }

    Value parse(const QByteArray& text, const Limits& limits) const override
    {
        // One parser per thread keeps its buffers between frames.
        thread_local simdjson::dom::parser parser(simdjson::SIMDJSON_MAXSIZE_BYTES);
        if (parser.allocate(std::max<size_t>(static_cast<size_t>(text.size()), 64), static_cast<size_t>(limits.maxDepth)))
            throw ParseError(QStringLiteral("JSON ayrıştırıcı için bellek ayrılamadı"));
        simdjson::dom::element root;
        const auto err = parser.parse(text.constData(), static_cast<size_t>(text.size())).get(root);
        if (err) {
            if (err == simdjson::DEPTH_ERROR)
                throw ParseError(QStringLiteral("JSON iç içe derinlik sınırı (%1) aşıldı").arg(limits.maxDepth));
            throw ParseError(QStringLiteral("Geçersiz JSON: %1").arg(QString::fromUtf8(simdjson::error_message(err))));
        }
        return convert(root);
    }

    QByteArray write(const Value& value) const override { return rapidJsonCodec().write(value); }
};

} // namespace

const Codec* simdJsonCodec()
{
    static const SimdJsonCodec codec;
    return &codec;
}

} // namespace velun::json

#else

namespace velun::json {
const Codec* simdJsonCodec()
{
    return nullptr;
}
} // namespace velun::json

#endif
