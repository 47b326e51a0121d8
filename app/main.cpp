#include "app/placeholderwindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString host = qEnvironmentVariable("VELUN_SERVER_HOST", QStringLiteral("127.0.0.1"));
    const auto port = static_cast<quint16>(qEnvironmentVariable("VELUN_SERVER_PORT", QStringLiteral("9090")).toUInt());
    velun::PlaceholderWindow window(host, port);
    window.show();
    return QApplication::exec();
}
