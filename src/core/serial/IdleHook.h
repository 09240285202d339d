#pragma once
// The idle hook: what a waiting port transfer lets happen between its primitive calls.
// The application installs a handler that processes pending window events; with no
// handler installed the hook does nothing and answers 0. A negative answer ends a
// timed read (see RS232::Read).

#include <functional>

using IdleHandler = std::function<int()>;

// Installs handler for the whole process; an empty handler removes it.
void InstallIdleHandler(IdleHandler handler);
// Runs the installed handler once; 0 when none is installed.
int RunIdleHandler();

// Installs a handler for the lifetime of the object and restores the previous one.
class CScopedIdleHandler {
public:
    explicit CScopedIdleHandler(IdleHandler handler);
    ~CScopedIdleHandler();
    CScopedIdleHandler(const CScopedIdleHandler&) = delete;
    CScopedIdleHandler& operator=(const CScopedIdleHandler&) = delete;

private:
    IdleHandler previous;
};
