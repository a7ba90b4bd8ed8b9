#pragma once
// Runs the main event loop until a condition holds, instead of sleeping.

#include <chrono>
#include <functional>
#include <string>

namespace TestSupport {

// Processes events until the predicate holds or the limit passes; returns
// whether it held.
bool waitUntil(const std::function<bool()>& predicate,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Processes the events that are pending now (and those they post) for a
// short moment; for asserting that something did *not* happen.
void drainEvents(std::chrono::milliseconds span = std::chrono::milliseconds(50));

// The per-process scratch folder made by the test main (inside TMPDIR).
std::string scratchDirectory();

// Path of the running test binary, for tests that start themselves as a child.
std::string selfExecutable();

} // namespace TestSupport
