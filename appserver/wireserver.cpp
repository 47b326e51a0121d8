#include "appserver/wireserver.h"

#include "server/errors.h"
#include "server/frame.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>

namespace velun::appserver {
namespace {

// Short waits so a stopping server never sits out a long idle timeout.
constexpr int kWaitSliceMs = 200;
constexpr int kFrameTimeoutMs = 30000;

bool readExact(QTcpSocket& socket, char* out, qint64 n, int timeoutMs, const std::atomic<bool>& stopping)
{
    QDeadlineTimer deadline(timeoutMs);
    qint64 done = 0;
    while (done < n) {
        const qint64 got = socket.read(out + done, n - done);
        if (got < 0)
            return false;
        done += got;
        if (done == n)
            break;
        if (stopping.load() || deadline.hasExpired())
            return false;
        const int slice = static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, kWaitSliceMs));
        if (!socket.waitForReadyRead(slice) && socket.bytesAvailable() == 0 &&
            socket.state() != QAbstractSocket::ConnectedState)
            return false; // the peer went away mid-frame or between frames
    }
    return true;
}

bool writeAll(QTcpSocket& socket, const QByteArray& bytes)
{
    if (socket.write(bytes) != bytes.size())
        return false;
    QDeadlineTimer deadline(kFrameTimeoutMs);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(kWaitSliceMs)) {
            if (socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
                return false;
        }
    }
    return true;
}

} // namespace

WireServer::WireServer(Dispatcher& dispatcher, ServerOptions options, QObject* parent)
    : QTcpServer(parent), m_dispatcher(dispatcher), m_options(std::move(options))
{
    m_pool.setMaxThreadCount(std::max(1, m_options.threads));
    m_pool.setExpiryTimeout(-1); // keep threads, and with them their store connections
}

WireServer::~WireServer()
{
    m_stopping = true;
    close();
    m_pool.waitForDone();
}

bool WireServer::start()
{
    return listen(m_options.address, m_options.port);
}

void WireServer::incomingConnection(qintptr socketDescriptor)
{
    m_pool.start([this, socketDescriptor] { serve(socketDescriptor); });
}

QByteArray WireServer::applyReplyFaults(QByteArray frame, bool& closeAfter)
{
    FaultPlan& f = m_dispatcher.faults();
    if (const int delay = f.delayReplyMs.load(); delay > 0)
        QThread::msleep(static_cast<unsigned long>(delay));
    if (f.truncateNextReply.exchange(false)) {
        closeAfter = true;
        return frame.left(std::max<qsizetype>(1, frame.size() / 2));
    }
    if (f.garbageNextReply.exchange(false))
        return wire::encodeFrame(QByteArrayLiteral("{\"values\": [ bozuk"));
    if (f.oversizeNextReply.exchange(false)) {
        closeAfter = true;
        return QByteArray("\xFF\xFF\xFF\xF0", 4);
    }
    return frame;
}

void WireServer::serve(qintptr socketDescriptor)
{
    ++m_active;
    QTcpSocket socket;
    if (socket.setSocketDescriptor(socketDescriptor)) {
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        for (;;) {
            char prefix[wire::kPrefixSize];
            if (!readExact(socket, prefix, wire::kPrefixSize, m_options.idleTimeoutMs, m_stopping))
                break;
            quint32 length = 0;
            try {
                length = wire::decodeLength(prefix, m_options.maxFrame);
            } catch (const ProtocolError&) {
                break; // no reply can be framed for a stream we no longer understand
            }
            QByteArray payload(static_cast<qsizetype>(length), Qt::Uninitialized);
            if (!readExact(socket, payload.data(), length, kFrameTimeoutMs, m_stopping))
                break;
            if (m_dispatcher.faults().dropNextRequest.exchange(false))
                break;
            bool closeAfter = false;
            const QByteArray frame = applyReplyFaults(wire::encodeFrame(m_dispatcher.handle(payload)), closeAfter);
            if (!writeAll(socket, frame) || closeAfter)
                break;
        }
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState)
            socket.waitForDisconnected(kWaitSliceMs);
    }
    --m_active;
}

} // namespace velun::appserver
