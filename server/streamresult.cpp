#include "server/streamresult.h"

#include "server/resultvalues.h"

namespace velun {

std::optional<QByteArray> ReadStreamResult(ByteStream& stream, qint64 announcedLength)
{
    stream.rewind();
    if (announcedLength == 0)
        return std::nullopt;
    QByteArray content;
    char block[kStreamBlockSize];
    for (;;) {
        const qint64 n = stream.read(block, kStreamBlockSize);
        if (n > 0)
            content.append(block, static_cast<qsizetype>(n));
        // Past the announced length the content is discarded anyway; stop reading it.
        if (n < kStreamBlockSize || content.size() > announcedLength)
            break;
    }
    if (content.size() != announcedLength)
        return std::nullopt;
    return content;
}

} // namespace velun
