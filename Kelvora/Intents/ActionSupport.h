#pragma once
// What the actions share beyond the enumerations: reading typed parameter
// values, the job folder under the temporary folder, directory conformance.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Result.h"
#include "Platform/Intents/Action.h"

#include <QUrl>

#include <optional>
#include <string>
#include <vector>

namespace ActionSupport {

std::vector<Intents::IntentFile> files(const Intents::ParameterValues& values, const std::string& name);
std::optional<Intents::IntentFile> file(const Intents::ParameterValues& values, const std::string& name);
std::optional<std::string> text(const Intents::ParameterValues& values, const std::string& name);
std::optional<bool> flag(const Intents::ParameterValues& values, const std::string& name);
std::optional<QUrl> url(const Intents::ParameterValues& values, const std::string& name);

// Whether a content type is the platform's directory type or conforms to it.
bool conformsToDirectory(const std::string& type);

// A new folder named by a fresh UUID inside the temporary folder, made with
// its intermediate folders. Fails with the step's own error.
Foundation::Result<QUrl, Foundation::ErrorPtr> makeJobFolder();

// The localized text of a key of the application's default table.
std::string localized(const char* key);

} // namespace ActionSupport
