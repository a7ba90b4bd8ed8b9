#pragma once
// The automation runtime's description of an action: its title, typed
// parameters, the summary and prediction chosen by parameter values, the
// older intent it migrates from, and the run itself.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Progress.h"
#include "Platform/Foundation/Result.h"
#include "Platform/Intents/IntentValues.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Intents {

enum class ParameterType { files, file, text, boolean, enumeration, url };

const char* parameterTypeName(ParameterType type);

struct OfferedValue {
    std::string rawValue;
    std::string displayText;
};

struct ParameterDefinition {
    std::string name;
    std::string title;
    ParameterType type = ParameterType::text;
    bool emptyAllowed = true;
    // The raw value the parameter starts with, when it has one.
    std::optional<std::string> defaultValue;
    std::vector<std::string> supportedTypeIdentifiers;
    // For enumerations: every case in declaration order; nothing else is accepted.
    std::vector<OfferedValue> offeredValues;
    // The enumeration's own display name ("Archive Format").
    std::string typeDisplayText;
};

using ParameterValues = std::map<std::string, ParameterValue>;

// The summary line shown for a configured action, with the parameters
// offered below it.
struct ParameterSummary {
    std::string text;
    std::vector<std::string> furtherParameters;
};

struct PredictionConfiguration {
    std::vector<std::string> parameters;
    std::function<std::string(const ParameterValues&)> title;
    std::string subtitle;
};

using PerformResult = Foundation::Result<ResultValue, Foundation::ErrorPtr>;

struct ActionDefinition {
    std::string title;
    std::string intentClassName;
    std::vector<ParameterDefinition> parameters;
    bool reportsProgress = false;
    std::function<ParameterSummary(const ParameterValues&)> summary;
    std::vector<PredictionConfiguration> predictions;
    // Runs the action off the main thread; the progress is the run's own.
    std::function<PerformResult(const ParameterValues&, Foundation::ProgressPtr)> perform;
    // After a failed run: a value the action refuses beyond what the host
    // checks itself ("--archiveName: a/b holds a slash…"), or nothing.
    std::function<std::optional<std::string>(const ParameterValues&)> refusedValue;

    const ParameterDefinition* parameter(const std::string& name) const;
};

// Replaces ${name} in the template with the parameter's display text.
std::string fillSummaryTemplate(const std::string& templ, const ParameterValues& values,
                                const ActionDefinition& action);

// A parameter value as shown in a summary or prediction: files as an "and"
// list of their names, enumerations by their case's display text.
std::string displayText(const ParameterDefinition& parameter, const ParameterValue& value);

// "a", "a and b", "a, b and c": the platform's standard-width "and" list.
std::string conjunctionList(const std::vector<std::string>& items);

} // namespace Intents
