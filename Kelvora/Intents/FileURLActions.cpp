#include "Kelvora/Intents/FileURLActions.h"

#include "Kelvora/Intents/ActionSupport.h"
#include "Kelvora/Intents/AppIntentCustomError.h"

using namespace Intents;

namespace GetURL {

PerformResult perform(const ParameterValues& values)
{
    auto file = ActionSupport::file(values, "file");
    if (!file || !file->fileURL)
        return PerformResult::failure(makeError(AppIntentCustomError::unsupported));
    return PerformResult::success(*file->fileURL);
}

ActionDefinition definition()
{
    ActionDefinition action;
    action.title = "Get URL to File";
    action.intentClassName = "GetURLIntent";
    action.parameters = {{"file", "File", ParameterType::file, false, std::nullopt, {"public.item"}, {}, {}}};
    action.summary = [](const ParameterValues&) { return ParameterSummary{"Get the URL to ${file}", {}}; };
    PredictionConfiguration prediction;
    prediction.parameters = {"file"};
    prediction.title = [action](const ParameterValues& values) {
        return fillSummaryTemplate("Get the URL to ${file}", values, action);
    };
    action.predictions = {prediction};
    action.perform = [](const ParameterValues& values, Foundation::ProgressPtr) { return perform(values); };
    return action;
}

} // namespace GetURL

namespace GetFileFromURL {

PerformResult perform(const ParameterValues& values)
{
    QUrl url = ActionSupport::url(values, "url").value_or(QUrl());
    return PerformResult::success(IntentFile{url, std::nullopt, std::nullopt});
}

ActionDefinition definition()
{
    ActionDefinition action;
    action.title = "Get File from URL";
    action.intentClassName = "GetFileFromURLIntent";
    action.parameters = {{"url", "URL", ParameterType::url, false, std::nullopt, {}, {}, {}}};
    action.summary = [](const ParameterValues&) { return ParameterSummary{"Get file from ${url}", {}}; };
    PredictionConfiguration prediction;
    prediction.parameters = {"url"};
    prediction.title = [action](const ParameterValues& values) {
        return fillSummaryTemplate("Get file from ${url}", values, action);
    };
    action.predictions = {prediction};
    action.perform = [](const ParameterValues& values, Foundation::ProgressPtr) { return perform(values); };
    return action;
}

} // namespace GetFileFromURL
