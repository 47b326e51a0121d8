#include "server/frame.h"

#include "server/errors.h"

#include <QtEndian>

namespace velun::wire {

QByteArray encodeFrame(const QByteArray& payload)
{
    QByteArray out;
    out.resize(kPrefixSize + payload.size());
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), out.data());
    std::memcpy(out.data() + kPrefixSize, payload.constData(), static_cast<size_t>(payload.size()));
    return out;
}

std::uint32_t decodeLength(const char prefix[kPrefixSize], std::uint32_t maxFrame)
{
    const quint32 len = qFromBigEndian<quint32>(prefix);
    if (len == 0 || len > maxFrame)
        throw ProtocolError(QStringLiteral("Geçersiz çerçeve uzunluğu: %1 (sınır %2)").arg(len).arg(maxFrame));
    return len;
}

std::optional<QByteArray> FrameReader::next()
{
    if (m_buffer.size() < kPrefixSize)
        return std::nullopt;
    const std::uint32_t len = decodeLength(m_buffer.constData(), m_maxFrame);
    if (static_cast<quint64>(m_buffer.size()) < kPrefixSize + static_cast<quint64>(len))
        return std::nullopt;
    QByteArray payload = m_buffer.mid(kPrefixSize, len);
    m_buffer.remove(0, kPrefixSize + static_cast<qsizetype>(len));
    return payload;
}

} // namespace velun::wire
