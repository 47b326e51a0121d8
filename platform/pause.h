#pragma once
// Waiting between retries goes through one replaceable function, so tests need not sleep.

#include <chrono>
#include <functional>

namespace velun::platform {

using PauseFunction = std::function<void(std::chrono::milliseconds)>;

void Pause(std::chrono::milliseconds duration);
// Replaces the pause for the whole process; returns the previous one. An empty function restores sleeping.
PauseFunction setPauseFunction(PauseFunction fn);

} // namespace velun::platform
