#include "Platform/Intents/ActionsHost.h"

#include <QFileInfo>

#include <ostream>
#include <unistd.h>

namespace Intents {

namespace {

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

bool wantsFolder(const ParameterDefinition& parameter)
{
    for (const auto& type : parameter.supportedTypeIdentifiers)
        if (type == "public.folder")
            return true;
    return false;
}

std::string offeredList(const ParameterDefinition& parameter)
{
    std::string list;
    for (const auto& o : parameter.offeredValues)
        list += (list.empty() ? "" : ", ") + o.rawValue;
    return list;
}

// What is wrong with a local file a parameter names, or nothing.
std::optional<std::string> fileProblem(const ParameterDefinition& parameter, const IntentFile& file)
{
    if (!file.fileURL || !file.fileURL->isLocalFile())
        return std::nullopt;
    const QString path = file.fileURL->toLocalFile();
    const QByteArray local = path.toLocal8Bit();
    const std::string shown = path.toStdString();
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return shown + " does not exist";
    if (!info.exists())
        return shown + " is a link to nothing";
    if (::access(local.constData(), R_OK) != 0)
        return shown + " cannot be read";
    if (wantsFolder(parameter)) {
        if (!info.isDir())
            return shown + " is not a folder";
        if (::access(local.constData(), W_OK | X_OK) != 0)
            return shown + " cannot be written to";
    } else if (info.isDir() && ::access(local.constData(), X_OK) != 0) {
        return shown + " cannot be read";
    }
    return std::nullopt;
}

} // namespace

std::string parseParameterValues(const ActionDefinition& action, const std::vector<std::string>& words,
                                 ParameterValues& values, const LineReader& readLine)
{
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0 || word.size() == 2)
            return "unexpected argument \"" + word + "\"";
        std::string name = word.substr(2);
        std::optional<std::string> inlineValue;
        if (size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto* parameter = action.parameter(name);
        if (!parameter)
            return "\"" + action.title + "\" has no parameter \"" + name + "\"";
        if (!inlineValue && i + 1 >= words.size())
            return "parameter \"" + name + "\" needs a value";
        std::string value = inlineValue ? *inlineValue : words[++i];
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
            if (value == "-") {
                if (!readLine)
                    return "parameter \"" + name + "\" cannot be read from standard input";
                auto line = readLine(*parameter);
                if (!line)
                    return "parameter \"" + name + "\": standard input ended before a line";
                value = std::move(*line);
            }
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
            if (!offered)
                return "parameter \"" + name + "\" takes one of: " + offeredList(*parameter);
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

std::optional<std::string> explainFailure(const ActionDefinition& action, const ParameterValues& values)
{
    if (action.refusedValue)
        if (auto refused = action.refusedValue(values))
            return refused;
    for (const auto& parameter : action.parameters) {
        auto it = values.find(parameter.name);
        if (it == values.end())
            continue;
        std::vector<IntentFile> files;
        if (auto* list = std::get_if<std::vector<IntentFile>>(&it->second))
            files = *list;
        else if (auto* file = std::get_if<IntentFile>(&it->second))
            files = {*file};
        for (const auto& file : files)
            if (auto problem = fileProblem(parameter, file))
                return "--" + parameter.name + ": " + *problem;
    }
    return std::nullopt;
}

void printParameters(const ActionDefinition& action, std::ostream& out)
{
    out << action.title << " (" << action.intentClassName << ")\n";
    for (const auto& p : action.parameters) {
        out << "  --" << p.name << "  " << p.title << ": ";
        switch (p.type) {
        case ParameterType::files: out << "one or more files (repeat the parameter)"; break;
        case ParameterType::file: out << (wantsFolder(p) ? "a folder" : "a file"); break;
        case ParameterType::text: out << "text (\"-\" reads one line from standard input)"; break;
        case ParameterType::boolean: out << "yes or no"; break;
        case ParameterType::url: out << "a URL"; break;
        case ParameterType::enumeration: {
            out << p.typeDisplayText << ", one of ";
            for (size_t i = 0; i < p.offeredValues.size(); ++i)
                out << (i ? ", " : "") << p.offeredValues[i].rawValue << " (" << p.offeredValues[i].displayText << ")";
            break;
        }
        }
        if (p.defaultValue)
            out << "; default " << *p.defaultValue;
        else if (!p.emptyAllowed)
            out << "; required";
        out << "\n";
    }
}

} // namespace Intents
