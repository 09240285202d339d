#include "serial/IdleHook.h"

#include <utility>

namespace {
IdleHandler& Installed() {
    static IdleHandler handler;
    return handler;
}
}  // namespace

void InstallIdleHandler(IdleHandler handler) { Installed() = std::move(handler); }

int RunIdleHandler() {
    // A copy, so that a handler may replace itself while it runs.
    const IdleHandler handler = Installed();
    return handler ? handler() : 0;
}

CScopedIdleHandler::CScopedIdleHandler(IdleHandler handler) : previous(std::move(Installed())) {
    Installed() = std::move(handler);
}

CScopedIdleHandler::~CScopedIdleHandler() { Installed() = std::move(previous); }
