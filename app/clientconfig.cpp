#include "app/clientconfig.h"

namespace velun::config {

QString serverHost()
{
    return qEnvironmentVariable("VELUN_SERVER_HOST", QStringLiteral("127.0.0.1"));
}

QString serverPort()
{
    return qEnvironmentVariable("VELUN_SERVER_PORT", QStringLiteral("9090"));
}

QString webHost()
{
    return qEnvironmentVariable("VELUN_WEB_HOST", QStringLiteral("velun-demo.example"));
}

QString downloadHost()
{
    return qEnvironmentVariable("VELUN_DOWNLOAD_HOST", QStringLiteral("127.0.0.1:9091"));
}

} // namespace velun::config
