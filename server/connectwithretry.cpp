#include "server/connectwithretry.h"

#include "platform/hook.h"
#include "platform/pause.h"
#include "server/connection.h"
#include "server/errors.h"

#include <chrono>
#include <cstdio>

namespace velun {
namespace {

platform::Hook<ConnectionFailureReporter> g_reporter;

void reportFailure(const QString& message)
{
    if (const ConnectionFailureReporter reporter = g_reporter.get())
        reporter(message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

ConnectionFailureReporter setConnectionFailureReporter(ConnectionFailureReporter reporter)
{
    return g_reporter.exchange(std::move(reporter));
}

bool ConnectWithRetry(ServerConnection& connection, int showMessage)
{
    using namespace std::chrono_literals;
    connection.close();
    for (int failures = 0; failures < kConnectAttempts; ++failures) {
        try {
            connection.open();
            return true;
        } catch (const VelunError&) {
            // Only the final outcome is reported; each failed attempt just waits for the next.
        }
        connection.close();
        platform::Pause(500ms);
    }
    if (showMessage == 1)
        reportFailure(kConnectionFailedMessage);
    return false;
}

} // namespace velun
