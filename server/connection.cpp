#include "server/connection.h"

#include "server/errors.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>

namespace velun {

QString ConnectionParams::value(QStringView name) const
{
    for (const auto& [key, val] : m_entries)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return val;
    return {};
}

void ConnectionParams::setValue(const QString& name, const QString& value)
{
    for (auto& entry : m_entries)
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            entry.second = value;
            return;
        }
    m_entries.push_back({name, value});
}

bool ConnectionParams::contains(QStringView name) const
{
    for (const auto& entry : m_entries)
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList ConnectionParams::names() const
{
    QStringList out;
    for (const auto& entry : m_entries)
        out.push_back(entry.first);
    return out;
}

DBXConnection::~DBXConnection()
{
    close();
}

void DBXConnection::open(const QString& host, quint16 port)
{
    close();
    m_socket = new QTcpSocket;
    m_socket->connectToHost(host, port);
    if (!m_socket->waitForConnected(static_cast<int>(m_options.connectTimeout.count()))) {
        const QString why = m_socket->errorString();
        close();
        throw ConnectionError(QStringLiteral("Sunucuya bağlanılamadı (%1:%2): %3").arg(host).arg(port).arg(why));
    }
    // Request frames are small; send them without waiting for more bytes.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void DBXConnection::close()
{
    if (!m_socket)
        return;
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    if (socket->thread() == QThread::currentThread()) {
        socket->abort();
        delete socket;
    } else {
        // A socket belongs to the thread that made it; let that thread free it.
        socket->deleteLater();
    }
}

bool DBXConnection::isOpen() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void DBXConnection::failTransport(const QString& message)
{
    close();
    throw ConnectionError(message);
}

void DBXConnection::writeAll(const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = m_socket->write(bytes.constData() + written, bytes.size() - written);
        if (n < 0)
            failTransport(QStringLiteral("Sunucuya yazılamadı: %1").arg(m_socket->errorString()));
        written += n;
    }
    while (m_socket->bytesToWrite() > 0) {
        if (deadline.hasExpired())
            failTransport(QStringLiteral("Sunucuya gönderim süresi doldu"));
        if (!m_socket->waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) &&
            m_socket->state() != QAbstractSocket::ConnectedState)
            failTransport(QStringLiteral("Sunucu bağlantısı koptu: %1").arg(m_socket->errorString()));
    }
}

void DBXConnection::readExactly(char* into, qint64 count, const QDeadlineTimer& deadline)
{
    qint64 got = 0;
    while (got < count) {
        if (m_socket->bytesAvailable() == 0) {
            if (deadline.hasExpired())
                failTransport(QStringLiteral("Sunucu %1 saniye içinde yanıt vermedi")
                                  .arg(static_cast<double>(m_options.callTimeout.count()) / 1000.0));
            if (!m_socket->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
                if (m_socket->state() != QAbstractSocket::ConnectedState && m_socket->bytesAvailable() == 0)
                    failTransport(QStringLiteral("Sunucu bağlantısı koptu"));
                continue;
            }
        }
        const qint64 n = m_socket->read(into + got, count - got);
        if (n < 0)
            failTransport(QStringLiteral("Sunucudan okunamadı: %1").arg(m_socket->errorString()));
        got += n;
    }
}

QByteArray DBXConnection::call(const QByteArray& requestPayload)
{
    if (!isOpen())
        throw ConnectionError(QStringLiteral("Sunucu bağlantısı açık değil"));
    if (requestPayload.isEmpty() || static_cast<quint64>(requestPayload.size()) > m_options.maxFrame)
        throw ProtocolError(QStringLiteral("Geçersiz çerçeve uzunluğu: %1").arg(requestPayload.size()));

    const QDeadlineTimer deadline(m_options.callTimeout);
    writeAll(wire::encodeFrame(requestPayload), deadline);

    char prefix[wire::kPrefixSize];
    readExactly(prefix, wire::kPrefixSize, deadline);
    std::uint32_t length = 0;
    try {
        length = wire::decodeLength(prefix, m_options.maxFrame);
    } catch (const ProtocolError&) {
        // The stream can no longer be framed: drop the link before reporting.
        close();
        throw;
    }
    QByteArray reply;
    reply.resize(static_cast<qsizetype>(length));
    readExactly(reply.data(), length, deadline);
    return reply;
}

ServerConnection::ServerConnection() : m_link(std::make_unique<DBXConnection>(LinkOptions{}))
{
    Params.setValue(connparam::DriverName, QStringLiteral("DataSnap"));
    Params.setValue(connparam::ConnectionName, QStringLiteral("DataSnapCONNECTION"));
    Params.setValue(connparam::HostName, QString());
    Params.setValue(connparam::Port, QStringLiteral("9090"));
    Params.setValue(connparam::CommunicationProtocol, QStringLiteral("tcp/ip"));
    Params.setValue(connparam::DatasnapContext, QStringLiteral("datasnap/"));
    Params.setValue(connparam::Filters, QStringLiteral("{}"));
    Params.setValue(connparam::DSProxyPort, QStringLiteral("8090"));
    Params.setValue(connparam::LoginPrompt, QStringLiteral("False"));
}

ServerConnection::~ServerConnection() = default;

std::unique_ptr<ServerConnection> ServerConnection::clone() const
{
    auto copy = std::make_unique<ServerConnection>();
    copy->Params = Params;
    copy->m_link->options() = m_link->options();
    return copy;
}

void ServerConnection::open()
{
    const QString host = Params.value(connparam::HostName).trimmed();
    if (host.isEmpty())
        throw ConnectionError(QStringLiteral("Sunucu adresi tanımlı değil"));
    bool ok = false;
    const uint port = Params.value(connparam::Port).trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        throw ConnectionError(QStringLiteral("Geçersiz sunucu portu: %1").arg(Params.value(connparam::Port)));
    m_link->open(host, static_cast<quint16>(port));
}

void ServerConnection::close()
{
    m_link->close();
}

bool ServerConnection::connected() const
{
    return m_link->isOpen();
}

} // namespace velun
