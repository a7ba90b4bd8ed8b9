#include "Platform/Intents/Action.h"

namespace Intents {

const char* parameterTypeName(ParameterType type)
{
    switch (type) {
    case ParameterType::files: return "files";
    case ParameterType::file: return "file";
    case ParameterType::text: return "text";
    case ParameterType::boolean: return "boolean";
    case ParameterType::enumeration: return "enumeration";
    case ParameterType::url: return "url";
    }
    return "text";
}

const ParameterDefinition* ActionDefinition::parameter(const std::string& name) const
{
    for (const auto& p : parameters)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::string conjunctionList(const std::vector<std::string>& items)
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += (i + 1 == items.size()) ? " and " : ", ";
        out += items[i];
    }
    return out;
}

std::string displayText(const ParameterDefinition& parameter, const ParameterValue& value)
{
    if (auto* files = std::get_if<std::vector<IntentFile>>(&value)) {
        std::vector<std::string> names;
        for (const auto& f : *files)
            names.push_back(f.displayText());
        return conjunctionList(names);
    }
    if (auto* file = std::get_if<IntentFile>(&value))
        return file->displayText();
    if (auto* url = std::get_if<QUrl>(&value))
        return encodedURL(*url);
    if (auto* flag = std::get_if<bool>(&value))
        return *flag ? "Yes" : "No";
    const auto& text = std::get<std::string>(value);
    for (const auto& offered : parameter.offeredValues)
        if (offered.rawValue == text)
            return offered.displayText;
    return text;
}

std::string fillSummaryTemplate(const std::string& templ, const ParameterValues& values,
                                const ActionDefinition& action)
{
    std::string out;
    size_t i = 0;
    while (i < templ.size()) {
        size_t start = templ.find("${", i);
        if (start == std::string::npos) {
            out += templ.substr(i);
            break;
        }
        size_t end = templ.find('}', start);
        if (end == std::string::npos) {
            out += templ.substr(i);
            break;
        }
        out += templ.substr(i, start - i);
        std::string name = templ.substr(start + 2, end - start - 2);
        const auto* parameter = action.parameter(name);
        auto it = values.find(name);
        if (parameter && it != values.end())
            out += displayText(*parameter, it->second);
        else
            out += parameter ? parameter->title : name;
        i = end + 1;
    }
    return out;
}

} // namespace Intents
