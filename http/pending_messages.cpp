#include "http/pending_messages.h"

#include <utility>

namespace quotidia {

namespace {
PendingMessagesHook& Hook() {
    static PendingMessagesHook hook;
    return hook;
}
}  // namespace

void SetPendingMessagesHook(PendingMessagesHook hook) { Hook() = std::move(hook); }

void ProcessPendingMessages() {
    // A copy, so that a hook that replaces itself (or runs a nested request
    // that does) never destroys the callable while it runs.
    PendingMessagesHook hook = Hook();
    if (hook) hook();
}

}  // namespace quotidia
