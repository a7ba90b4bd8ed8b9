#pragma once
// The command-line host of the automation actions:
//   actions list
//   actions summary "<title>"                     the action's parameters
//   actions summary "<title>" --<param> <value>…  the summary it shows
//   actions run "<title>" --<param> <value>…
// An action is named by its title or by the class name of the intent it
// migrates from. A value is given as "--name value" or "--name=value"; a
// text value "-" is read as one line from standard input. Runs without a
// window. Exit codes: 0 done, 1 the action threw an error, 2 a usage error
// (unknown action or parameter, missing required parameter, a value outside
// the offered values), 128 + the signal when SIGINT or SIGTERM ended the run.

#include "Platform/Intents/Action.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Intents {

struct HostStreams {
    std::ostream& out;
    std::ostream& err;
    bool showProgress = false; // standard error is a terminal
    std::istream* in = nullptr;
    bool inIsTerminal = false; // read without echo, after a prompt
};

// `args` are the words after "actions". Needs a QCoreApplication; for "run"
// the main event loop is served while the action runs off the main thread.
int runActionsHost(const std::vector<ActionDefinition>& actions, const std::vector<std::string>& args,
                   HostStreams streams);

// The metadata of every action as JSON (what "actions list" prints).
std::string actionsJSON(const std::vector<ActionDefinition>& actions);

// One line for a text parameter given as "-", or nothing at the end of input.
using LineReader = std::function<std::optional<std::string>(const ParameterDefinition&)>;

// Turns "--name value" and "--name=value" words into parameter values;
// empty on success, else the usage message.
std::string parseParameterValues(const ActionDefinition& action, const std::vector<std::string>& words,
                                 ParameterValues& values, const LineReader& readLine = {});

// For a failed run: which parameter's value is unusable and why
// ("--files: /x/a.pdf does not exist"), or nothing when every value is.
std::optional<std::string> explainFailure(const ActionDefinition& action, const ParameterValues& values);

// Each parameter with its type, offered values and default, in plain text.
void printParameters(const ActionDefinition& action, std::ostream& out);

} // namespace Intents
