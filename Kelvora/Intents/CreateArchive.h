#pragma once
// "Make Archives": compresses files into one archive of the chosen format
// and returns the archive. No dialog, no question, no registered task.

#include "Platform/Intents/Action.h"

namespace CreateArchive {

Intents::ActionDefinition definition();

// The run itself, for callers that already hold parameter values.
Intents::PerformResult perform(const Intents::ParameterValues& values, Foundation::ProgressPtr progress);

Intents::ParameterSummary parameterSummary(const Intents::ParameterValues& values);

} // namespace CreateArchive
