#include "server/json.h"

namespace velun::json {

double Value::toDouble() const
{
    if (const auto* i = std::get_if<qint64>(&m_v))
        return static_cast<double>(*i);
    return std::get<double>(m_v);
}

const Value* Value::find(QStringView key) const
{
    const auto* obj = std::get_if<json::Object>(&m_v);
    if (!obj)
        return nullptr;
    for (const Member& m : *obj)
        if (m.key == key)
            return &m.value;
    return nullptr;
}

bool Value::operator==(const Value& other) const
{
    return m_v == other.m_v;
}

} // namespace velun::json
