#pragma once
// Configuration values of the client: where the distributor's servers are.
// Read from the environment (VELUN_SERVER_HOST, VELUN_SERVER_PORT, VELUN_WEB_HOST, VELUN_DOWNLOAD_HOST),
// with the demo's values as defaults.

#include <QString>

namespace velun::config {

QString serverHost();   // default "127.0.0.1"
QString serverPort();   // default "9090"
QString webHost();      // default "velun-demo.example"; the menu shows "www." + it
QString downloadHost(); // default "127.0.0.1:9091"
inline constexpr int kClientVersion = 13;

} // namespace velun::config
