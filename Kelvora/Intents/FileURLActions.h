#pragma once
// "Get URL to File" and "Get File from URL": pass files and their
// locations between actions. They touch no file and start no access.

#include "Platform/Intents/Action.h"

namespace GetURL {
Intents::ActionDefinition definition();
Intents::PerformResult perform(const Intents::ParameterValues& values);
} // namespace GetURL

namespace GetFileFromURL {
Intents::ActionDefinition definition();
Intents::PerformResult perform(const Intents::ParameterValues& values);
} // namespace GetFileFromURL
