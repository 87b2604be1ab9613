#pragma once
// The core's one way to let the window breathe: the web request routine calls
// ProcessPendingMessages() at fixed points, and whoever owns the window (the
// application: Qt's event processing; tests: a counter) installs what it does.

#include <functional>

namespace quotidia {

using PendingMessagesHook = std::function<void()>;

// An empty hook makes ProcessPendingMessages() do nothing.
void SetPendingMessagesHook(PendingMessagesHook hook);
void ProcessPendingMessages();

}  // namespace quotidia
