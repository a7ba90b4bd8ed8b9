#pragma once
// Process-wide handlers that write a crash report: fatal signals (SIGSEGV,
// SIGBUS, SIGILL, SIGFPE, SIGABRT) on an alternate signal stack, and the
// terminate handler for uncaught C++ exceptions.
//
// An uncaught exception always ends the process on Linux, which is what the
// standard-defaults key "NSApplicationCrashOnExceptions" asks for elsewhere;
// the key is therefore not read. The terminate handler records the
// exception's type and what() and then lets the previous terminate handler
// abort the process.
//
// The alternate stack belongs to the thread that installs the handlers (the
// main thread): a stack overflow on another thread ends the process without
// a report. When two threads crash at once, only the first one reports.

#include "Platform/Sentry/CrashReport.h"

namespace SentryInternal {

// Takes the open outbox folder; it stays open until uninstall.
void installCrashHandlers(int outboxFd, CrashReportTemplate report);
// Restores the handlers and the signal stack that were there before.
void uninstallCrashHandlers();

} // namespace SentryInternal
