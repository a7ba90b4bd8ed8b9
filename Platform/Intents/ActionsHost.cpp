#include "Platform/Intents/ActionsHost.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <iomanip>
#include <mutex>
#include <ostream>
#include <sstream>

namespace Intents {

namespace {

constexpr const char* kUsage =
    "usage: kelvora actions list\n"
    "       kelvora actions summary \"<title>\" [--<parameter> <value>]...\n"
    "       kelvora actions run \"<title>\" [--<parameter> <value>]...\n";

QString qs(const std::string& s) { return QString::fromStdString(s); }

QUrl fileURLForArgument(const std::string& value)
{
    return QUrl::fromLocalFile(QFileInfo(qs(value)).absoluteFilePath());
}

std::optional<bool> parseBool(const std::string& value)
{
    if (value == "yes" || value == "true" || value == "1")
        return true;
    if (value == "no" || value == "false" || value == "0")
        return false;
    return std::nullopt;
}

const ActionDefinition* findAction(const std::vector<ActionDefinition>& actions, const std::string& title)
{
    for (const auto& a : actions)
        if (a.title == title)
            return &a;
    return nullptr;
}

void applyDefaults(const ActionDefinition& action, ParameterValues& values)
{
    for (const auto& p : action.parameters)
        if (p.defaultValue && !values.count(p.name))
            values[p.name] = *p.defaultValue;
}

} // namespace

std::string parseParameterValues(const ActionDefinition& action, const std::vector<std::string>& words,
                                 ParameterValues& values)
{
    for (size_t i = 0; i < words.size(); i += 2) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0)
            return "unexpected argument \"" + word + "\"";
        std::string name = word.substr(2);
        const auto* parameter = action.parameter(name);
        if (!parameter)
            return "\"" + action.title + "\" has no parameter \"" + name + "\"";
        if (i + 1 >= words.size())
            return "parameter \"" + name + "\" needs a value";
        const std::string& value = words[i + 1];
        switch (parameter->type) {
        case ParameterType::files: {
            auto it = values.find(name);
            if (it == values.end())
                it = values.emplace(name, std::vector<IntentFile>{}).first;
            std::get<std::vector<IntentFile>>(it->second).push_back(IntentFile::fromFileURL(fileURLForArgument(value)));
            break;
        }
        case ParameterType::file: {
            IntentFile file = IntentFile::fromFileURL(fileURLForArgument(value));
            QFileInfo info(file.fileURL->toLocalFile());
            if (info.isDir())
                file.type = "public.folder";
            else if (info.exists())
                file.type = "public.data";
            values[name] = file;
            break;
        }
        case ParameterType::text:
            values[name] = value;
            break;
        case ParameterType::boolean: {
            auto flag = parseBool(value);
            if (!flag)
                return "parameter \"" + name + "\" takes yes or no";
            values[name] = *flag;
            break;
        }
        case ParameterType::enumeration: {
            bool offered = false;
            for (const auto& o : parameter->offeredValues)
                offered = offered || o.rawValue == value;
            if (!offered) {
                std::string list;
                for (const auto& o : parameter->offeredValues)
                    list += (list.empty() ? "" : ", ") + o.rawValue;
                return "parameter \"" + name + "\" takes one of: " + list;
            }
            values[name] = value;
            break;
        }
        case ParameterType::url: {
            QUrl url(qs(value));
            if (url.scheme().isEmpty())
                url = fileURLForArgument(value);
            values[name] = url;
            break;
        }
        }
    }
    for (const auto& p : action.parameters)
        if (!p.emptyAllowed && !values.count(p.name) && !p.defaultValue)
            return "parameter \"" + p.name + "\" is required";
    return {};
}

std::string actionsJSON(const std::vector<ActionDefinition>& actions)
{
    QJsonArray list;
    for (const auto& action : actions) {
        QJsonObject a;
        a["title"] = qs(action.title);
        a["intentClassName"] = qs(action.intentClassName);
        a["reportsProgress"] = action.reportsProgress;
        QJsonArray params;
        for (const auto& p : action.parameters) {
            QJsonObject o;
            o["name"] = qs(p.name);
            o["title"] = qs(p.title);
            o["type"] = parameterTypeName(p.type);
            o["emptyAllowed"] = p.emptyAllowed;
            o["default"] = p.defaultValue ? QJsonValue(qs(*p.defaultValue)) : QJsonValue();
            QJsonArray types;
            for (const auto& t : p.supportedTypeIdentifiers)
                types.append(qs(t));
            o["supportedTypeIdentifiers"] = types;
            if (!p.typeDisplayText.empty())
                o["typeDisplayText"] = qs(p.typeDisplayText);
            QJsonArray offered;
            for (const auto& v : p.offeredValues)
                offered.append(QJsonObject{{"rawValue", qs(v.rawValue)}, {"displayText", qs(v.displayText)}});
            o["offeredValues"] = offered;
            params.append(o);
        }
        a["parameters"] = params;
        QJsonArray predictions;
        for (const auto& prediction : action.predictions) {
            QJsonArray names;
            for (const auto& n : prediction.parameters)
                names.append(qs(n));
            predictions.append(QJsonObject{{"parameters", names}});
        }
        a["predictions"] = predictions;
        list.append(a);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
}

int runActionsHost(const std::vector<ActionDefinition>& actions, const std::vector<std::string>& args,
                   HostStreams streams)
{
    if (args.empty()) {
        streams.err << kUsage;
        return 2;
    }
    const std::string& command = args[0];
    if (command == "list" && args.size() == 1) {
        streams.out << actionsJSON(actions);
        return 0;
    }
    if ((command != "summary" && command != "run") || args.size() < 2) {
        streams.err << kUsage;
        return 2;
    }
    const ActionDefinition* action = findAction(actions, args[1]);
    if (!action) {
        streams.err << "error: no action titled \"" << args[1] << "\"\n" << kUsage;
        return 2;
    }
    ParameterValues values;
    std::string problem = parseParameterValues(*action, {args.begin() + 2, args.end()}, values);
    if (!problem.empty()) {
        streams.err << "error: " << problem << "\n" << kUsage;
        return 2;
    }
    applyDefaults(*action, values);

    if (command == "summary") {
        ParameterSummary summary = action->summary(values);
        streams.out << fillSummaryTemplate(summary.text, values, *action) << "\n";
        for (const auto& p : summary.furtherParameters)
            streams.out << "  " << p << "\n";
        return 0;
    }

    auto progress = Foundation::Progress::make(-1);
    std::mutex progressMutex;
    Foundation::Progress::Observation observation;
    if (streams.showProgress) {
        observation = progress->observe([&](const Foundation::Progress& p, Foundation::Progress::Key) {
            std::lock_guard lock(progressMutex);
            streams.err << "\r" << std::setw(3) << static_cast<int>(p.fractionCompleted() * 100) << "% "
                        << p.localizedAdditionalDescription() << std::flush;
        });
    }

    std::optional<PerformResult> result;
    std::atomic<bool> done{false};
    Dispatch::globalQueue()->async([&] {
        PerformResult r = action->perform(values, progress);
        Dispatch::mainQueue()->async([&, r = std::move(r)]() mutable {
            result.emplace(std::move(r));
            done = true;
            QCoreApplication::exit(0);
        });
    });
    if (!done)
        QCoreApplication::exec();
    observation.reset();
    if (streams.showProgress)
        streams.err << "\r\n";

    if (result->isFailure()) {
        const auto& error = result->error();
        streams.err << "error: " << error->domain() << " " << error->code() << ": " << error->localizedDescription()
                    << "\n";
        return 1;
    }
    for (const auto& line : resultLines(result->value()))
        streams.out << line << "\n";
    return 0;
}

} // namespace Intents
