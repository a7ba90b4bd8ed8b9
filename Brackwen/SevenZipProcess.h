#pragma once
// Runs one `7zz` child process: arguments as a vector (no shell), optional
// input written to its standard input and then closed, its output streamed
// to the caller, cancellation by ending the process.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Result.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Brackwen {

struct ProcessRun {
    std::string program;
    std::vector<std::string> arguments;
    // Written to the child's standard input, which is then closed. Absent:
    // the input is closed at once (a prompt reads end of file).
    std::optional<std::string> input;
    std::function<bool()> isCancelled;
    // Each chunk of standard output as it arrives.
    std::function<void(std::string_view)> onOutput;
    // The child's TZ, replacing the engine's own; absent: inherited.
    std::optional<std::string> timeZone = std::nullopt;
};

struct ProcessOutcome {
    int exitCode = -1;        // -1 when ended by a signal
    int signal = 0;           // the signal that ended it, if one did
    bool cancelled = false;   // ended because isCancelled turned true
    std::string errorOutput;  // standard error, its first 64 KiB
};

// Fails only when the process cannot be started (the error names the
// program); everything after that is in the outcome.
Foundation::Result<ProcessOutcome, Foundation::ErrorPtr> runProcess(const ProcessRun& run);

// Turns 7zz's progress stream (-bsp1: "  42% 3 + name" redrawn with
// backspaces) into fractions; keeps state across chunks cut mid-number.
class SevenZipProgressParser {
public:
    // The last percentage completed in the chunk, as 0...1.
    std::optional<double> feed(std::string_view chunk);

private:
    std::string digits_;
};

} // namespace Brackwen
