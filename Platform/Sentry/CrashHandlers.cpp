#include "Platform/Sentry/CrashHandlers.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace SentryInternal {

namespace {

constexpr int fatalSignals[] = { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT };
constexpr int fatalSignalCount = sizeof fatalSignals / sizeof fatalSignals[0];

struct HandlerState {
    int outboxFd = -1;
    CrashReportTemplate report;
    struct sigaction previousActions[fatalSignalCount] {};
    std::terminate_handler previousTerminate = nullptr;
    std::unique_ptr<char[]> stack;
    stack_t previousStack {};
};

std::atomic<HandlerState*> installed { nullptr };
// Set by the first crash: a second one (in the handler, or in another thread)
// goes straight to the default action.
std::atomic<bool> crashing { false };
static_assert(std::atomic<HandlerState*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "read in a signal handler");

void dieWithDefaultAction(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // The signal is blocked while its handler runs: it is delivered, with the
    // default action, on return (a hardware fault also recurs then).
    raise(signal);
}

void onFatalSignal(int signal, siginfo_t*, void*)
{
    HandlerState* state = installed.load();
    if (state && !crashing.exchange(true))
        writeSignalReport(state->outboxFd, state->report, signal);
    dieWithDefaultAction(signal);
}

std::string demangled(const char* name)
{
    int status = 0;
    char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = status == 0 && readable ? readable : name;
    std::free(readable);
    return result;
}

[[noreturn]] void onTerminate()
{
    HandlerState* state = installed.load();
    const std::terminate_handler previous = state ? state->previousTerminate : nullptr;
    if (state && !crashing.exchange(true)) {
        std::string type = "std::terminate";
        std::string message = "terminate called without an active exception";
        if (const std::exception_ptr current = std::current_exception()) {
            const std::type_info* info = abi::__cxa_current_exception_type();
            type = info ? demangled(info->name()) : "unknown exception";
            message.clear();
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& exception) {
                message = exception.what();
            } catch (...) {
            }
        }
        writeExceptionReport(state->outboxFd, state->report, type, message);
    }
    if (previous)
        previous();
    std::abort();
}

} // namespace

void installCrashHandlers(int outboxFd, CrashReportTemplate report)
{
    auto state = std::make_unique<HandlerState>();
    state->outboxFd = outboxFd;
    state->report = std::move(report);

    // backtrace() loads its unwinder on first use, which allocates: do it now.
    void* warmUp[1];
    backtrace(warmUp, 1);

    sigaltstack(nullptr, &state->previousStack);
    const size_t stackSize = std::max<size_t>(128 * 1024, SIGSTKSZ);
    if ((state->previousStack.ss_flags & SS_DISABLE) || state->previousStack.ss_size < stackSize) {
        state->stack = std::make_unique<char[]>(stackSize);
        stack_t stack {};
        stack.ss_sp = state->stack.get();
        stack.ss_size = stackSize;
        sigaltstack(&stack, nullptr);
    }

    crashing.store(false);
    installed.store(state.get());
    for (int i = 0; i < fatalSignalCount; ++i) {
        struct sigaction action {};
        action.sa_sigaction = onFatalSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        sigaction(fatalSignals[i], &action, &state->previousActions[i]);
    }
    state->previousTerminate = std::set_terminate(onTerminate);
    state.release();
}

void uninstallCrashHandlers()
{
    std::unique_ptr<HandlerState> state(installed.load());
    if (!state)
        return;
    std::set_terminate(state->previousTerminate);
    for (int i = 0; i < fatalSignalCount; ++i)
        sigaction(fatalSignals[i], &state->previousActions[i], nullptr);
    installed.store(nullptr);
    if (state->stack)
        sigaltstack(&state->previousStack, nullptr);
    ::close(state->outboxFd);
}

} // namespace SentryInternal
