#pragma once
// The command-line host of the automation actions:
//   actions list
//   actions summary "<title>" --<param> <value>…
//   actions run "<title>" --<param> <value>…
// Runs without a window. Exit codes: 0 done, 1 the action threw an error,
// 2 a usage error (unknown action or parameter, missing required parameter,
// a value outside the offered values).

#include "Platform/Intents/Action.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Intents {

struct HostStreams {
    std::ostream& out;
    std::ostream& err;
    bool showProgress = false; // standard error is a terminal
};

// `args` are the words after "actions". Needs a QCoreApplication; for "run"
// the main event loop is served while the action runs off the main thread.
int runActionsHost(const std::vector<ActionDefinition>& actions, const std::vector<std::string>& args,
                   HostStreams streams);

// The metadata of every action as JSON (what "actions list" prints).
std::string actionsJSON(const std::vector<ActionDefinition>& actions);

// Turns "--name value" pairs into parameter values; empty on success, else
// the usage message.
std::string parseParameterValues(const ActionDefinition& action, const std::vector<std::string>& words,
                                 ParameterValues& values);

} // namespace Intents
