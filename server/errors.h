#pragma once
// Errors a server call can raise. Each carries the text a user is shown.

#include <QString>

#include <stdexcept>

namespace velun {

class VelunError : public std::runtime_error
{
public:
    explicit VelunError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }
    virtual QString className() const { return QStringLiteral("Exception"); }

private:
    QString m_message;
};

// The server answered with an error: its class name and message travel unchanged.
class ServerError : public VelunError
{
public:
    ServerError(QString serverClass, const QString& message)
        : VelunError(message), m_class(std::move(serverClass)) {}
    QString className() const override { return m_class; }

private:
    QString m_class;
};

// The bytes on the wire did not form a valid frame, JSON text or reply.
class ProtocolError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EProtocolError"); }
};

// The connection could not be opened, was lost, or the call ran past its deadline.
class ConnectionError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EConnectionError"); }
};

} // namespace velun
