#pragma once
// The crash report: an envelope-like file of JSON lines (envelope header,
// event item header, event, attachment header) followed by the stack trace as
// plain text. Everything that can be formatted before a crash is formatted at
// start, so the signal path only appends numbers and calls write(2).

#include "Platform/Sentry/SentryOptions.h"

#include <string>
#include <string_view>

namespace SentryInternal {

struct CrashReportTemplate {
    std::string fileName;
    std::string head;        // envelope header, event item header, event up to its timestamp
    std::string attachment;  // attachment item header, the trace follows it

    static CrashReportTemplate make(const SentryOptions& options, const std::string& eventId);
};

std::string jsonEscaped(std::string_view text);

// The name of a fatal signal ("SIGSEGV"), or "SIGNAL" for another one.
const char* signalName(int signal);

// Async-signal-safe; returns whether the report file was made.
bool writeSignalReport(int outboxFd, const CrashReportTemplate& report, int signal);

// For the terminate handler (not in a signal context).
bool writeExceptionReport(int outboxFd, const CrashReportTemplate& report,
                          const std::string& type, const std::string& message);

} // namespace SentryInternal
