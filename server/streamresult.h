#pragma once
// Byte content from the server is used only when it arrived whole: the stream is read in
// 1024-byte blocks and its total must equal the length the server announced.

#include <QByteArray>

#include <optional>

namespace velun {

class ByteStream;

inline constexpr qint64 kStreamBlockSize = 1024;

// The bytes, or nullopt for "no content": an announced length of 0, or a total that differs from it.
std::optional<QByteArray> ReadStreamResult(ByteStream& stream, qint64 announcedLength);

} // namespace velun
