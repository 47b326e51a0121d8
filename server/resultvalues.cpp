#include "server/resultvalues.h"

#include <algorithm>
#include <cstring>

namespace velun {

bool TableReader::next()
{
    if (m_current < rowCount())
        ++m_current;
    return m_current < rowCount();
}

const Row& TableReader::row() const
{
    static const Row none;
    if (m_current < 0 || m_current >= rowCount())
        return none;
    return m_table.rows[static_cast<size_t>(m_current)];
}

Row TableReader::takeRow()
{
    if (m_current < 0 || m_current >= rowCount())
        return {};
    return std::move(m_table.rows[static_cast<size_t>(m_current)]);
}

const QVariant& TableReader::value(int column) const
{
    static const QVariant null;
    const Row& r = row();
    if (column < 0 || static_cast<size_t>(column) >= r.size())
        return null;
    return r[static_cast<size_t>(column)];
}

qint64 ByteStream::read(char* buffer, qint64 maxCount)
{
    const qint64 n = std::clamp<qint64>(m_bytes.size() - m_position, 0, std::max<qint64>(0, maxCount));
    if (n > 0)
        std::memcpy(buffer, m_bytes.constData() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

} // namespace velun
