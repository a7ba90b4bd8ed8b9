#pragma once
// "Extract Archive": extracts the whole of one archive (all its volumes)
// into the chosen folder or a new job folder and returns the top-level
// items. Never asks: no passphrase, every conflict replaced.

#include "Platform/Intents/Action.h"

namespace Unarchive {

Intents::ActionDefinition definition();
Intents::PerformResult perform(const Intents::ParameterValues& values, Foundation::ProgressPtr progress);

} // namespace Unarchive
