#pragma once
// Every end of the program goes through EndProcess: immediate, exit code 0, no cleanup.
// Tests replace it to see the end without losing the test process.

#include <functional>

namespace velun::platform {

using EndProcessHook = std::function<void(int exitCode)>;

// Ends the process at once, unless a hook is installed; then the hook runs and the caller returns.
void EndProcess(int exitCode = 0);
EndProcessHook setEndProcessHook(EndProcessHook hook);

} // namespace velun::platform
