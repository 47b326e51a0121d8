#pragma once
// The connection to the application server: named parameters, deadlines, and the low-level link
// that carries one request frame out and one reply frame back. Not shared between threads.

#include "server/frame.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <utility>

class QDeadlineTimer;
class QTcpSocket;

namespace velun {

// Parameter names of a connection; values are texts as the connection keeps them.
namespace connparam {
inline const QString DriverName = QStringLiteral("DriverName");
inline const QString ConnectionName = QStringLiteral("ConnectionName");
inline const QString HostName = QStringLiteral("HostName");
inline const QString Port = QStringLiteral("Port");
inline const QString CommunicationProtocol = QStringLiteral("CommunicationProtocol");
inline const QString DatasnapContext = QStringLiteral("DatasnapContext");
inline const QString Filters = QStringLiteral("Filters");
inline const QString DSProxyPort = QStringLiteral("DSProxyPort");
inline const QString LoginPrompt = QStringLiteral("LoginPrompt");
} // namespace connparam

// Name → value list; names compare case-insensitively, the first setting order is kept.
class ConnectionParams
{
public:
    QString value(QStringView name) const; // empty text when absent
    void setValue(const QString& name, const QString& value);
    bool contains(QStringView name) const;
    QStringList names() const;
    bool operator==(const ConnectionParams& other) const = default;

private:
    QList<std::pair<QString, QString>> m_entries;
};

struct LinkOptions
{
    std::chrono::milliseconds connectTimeout{5000};
    std::chrono::milliseconds callTimeout{30000};
    std::uint32_t maxFrame = wire::kDefaultMaxFrame;
};

// The TCP link under a connection. The socket is made by the thread that opens the link and
// must be used and closed by that thread.
class DBXConnection
{
public:
    explicit DBXConnection(LinkOptions options) : m_options(options) {}
    ~DBXConnection();
    DBXConnection(const DBXConnection&) = delete;
    DBXConnection& operator=(const DBXConnection&) = delete;

    // Throws ConnectionError when the host cannot be reached within the connect timeout.
    void open(const QString& host, quint16 port);
    void close();
    bool isOpen() const;

    // One request frame out, one reply frame in, within the call timeout. Any transport failure
    // (lost peer, deadline, bad length prefix) closes the link and throws ConnectionError / ProtocolError.
    QByteArray call(const QByteArray& requestPayload);

    LinkOptions& options() { return m_options; }
    const LinkOptions& options() const { return m_options; }

private:
    void writeAll(const QByteArray& bytes, const QDeadlineTimer& deadline);
    void readExactly(char* into, qint64 count, const QDeadlineTimer& deadline);
    [[noreturn]] void failTransport(const QString& message);

    LinkOptions m_options;
    QTcpSocket* m_socket = nullptr;
};

class ServerConnection
{
public:
    // The parameter table of the main connection; HostName is left empty until the owner sets it.
    ServerConnection();
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    ConnectionParams Params;

    // A new, closed connection with the same parameters and deadlines.
    std::unique_ptr<ServerConnection> clone() const;

    // Throws ConnectionError (also for a missing host or a bad port); opening an open connection reopens it.
    void open();
    void close();
    bool connected() const;

    // The link proxies are created on; it stays the same object for the connection's lifetime.
    DBXConnection* dbxConnection() { return m_link.get(); }
    QByteArray call(const QByteArray& requestPayload) { return m_link->call(requestPayload); }

    std::chrono::milliseconds connectTimeout() const { return m_link->options().connectTimeout; }
    void setConnectTimeout(std::chrono::milliseconds t) { m_link->options().connectTimeout = t; }
    std::chrono::milliseconds callTimeout() const { return m_link->options().callTimeout; }
    void setCallTimeout(std::chrono::milliseconds t) { m_link->options().callTimeout = t; }
    std::uint32_t maxFrame() const { return m_link->options().maxFrame; }
    void setMaxFrame(std::uint32_t bytes) { m_link->options().maxFrame = bytes; }

private:
    std::unique_ptr<DBXConnection> m_link;
};

// Closes a connection when a call frame ends, however it ends.
class CloseOnExit
{
public:
    explicit CloseOnExit(ServerConnection& connection) : m_connection(connection) {}
    ~CloseOnExit() { m_connection.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    ServerConnection& m_connection;
};

} // namespace velun
