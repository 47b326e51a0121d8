#pragma once
// Length-prefixed frames: a 4-byte big-endian payload length, then the payload.

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace velun::wire {

inline constexpr std::uint32_t kDefaultMaxFrame = 64u * 1024u * 1024u;
inline constexpr int kPrefixSize = 4;

QByteArray encodeFrame(const QByteArray& payload);

// Reads the prefix; throws ProtocolError for 0 or a length over maxFrame, before anything is allocated.
std::uint32_t decodeLength(const char prefix[kPrefixSize], std::uint32_t maxFrame = kDefaultMaxFrame);

// Incremental reader for a non-blocking peer: feed bytes, take whole payloads.
class FrameReader
{
public:
    explicit FrameReader(std::uint32_t maxFrame = kDefaultMaxFrame) : m_maxFrame(maxFrame) {}
    void feed(const QByteArray& bytes) { m_buffer.append(bytes); }
    // A whole payload when one is buffered; throws ProtocolError on a bad length.
    std::optional<QByteArray> next();
    bool midFrame() const { return !m_buffer.isEmpty(); }

private:
    std::uint32_t m_maxFrame;
    QByteArray m_buffer;
};

} // namespace velun::wire
