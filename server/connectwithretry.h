#pragma once
// Opening a connection afresh before every call, with retries for a server that is briefly away.

#include <QString>

#include <functional>

namespace velun {

class ServerConnection;

inline const QString kConnectionFailedMessage = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
inline constexpr int kConnectAttempts = 11;

using ConnectionFailureReporter = std::function<void(const QString& message)>;

// Replaces how a final connect failure is shown (the application shows an error dialog);
// an empty function restores the default, which writes to stderr. Returns the previous reporter.
ConnectionFailureReporter setConnectionFailureReporter(ConnectionFailureReporter reporter);

// Closes the connection, then tries to open it up to 11 times, closing it and pausing 500 ms after
// every failed attempt. showMessage == 1: a final failure is reported through the reporter.
bool ConnectWithRetry(ServerConnection& connection, int showMessage);

} // namespace velun
