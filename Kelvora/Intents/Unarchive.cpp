#include "Kelvora/Intents/Unarchive.h"

#include "Kelvora/Intents/ActionSupport.h"
#include "Kelvora/Intents/AppIntentCustomError.h"
#include "Kelvora/Intents/SecurityScopedAccess.h"
#include "Kelvora/Intents/ZODArchiverAsync.h"

#include <algorithm>

using namespace Intents;

namespace Unarchive {

namespace {

PerformResult fail(AppIntentCustomError error) { return PerformResult::failure(makeError(error)); }

} // namespace

PerformResult perform(const ParameterValues& values, Foundation::ProgressPtr progress)
{
    std::vector<IntentFile> files = ActionSupport::files(values, "files");
    if (files.empty())
        return fail(AppIntentCustomError::emptyInput);
    std::vector<QUrl> sources;
    for (const auto& f : files)
        if (f.fileURL)
            sources.push_back(*f.fileURL);
    if (sources.size() < files.size())
        return fail(AppIntentCustomError::unsupported);

    std::vector<QUrl> accessed;
    for (const auto& source : sources) {
        if (!startAccessingSecurityScopedResource(source, accessed)) {
            stopAccessingSecurityScopedResources(accessed);
            return fail(AppIntentCustomError::fileAccess);
        }
    }
    // From here on every way out ends the recorded accesses.
    auto finish = [&](PerformResult result) {
        stopAccessingSecurityScopedResources(accessed);
        return result;
    };

    QUrl folder;
    if (auto destination = ActionSupport::file(values, "destination")) {
        if (!destination->fileURL || !destination->type)
            return finish(fail(AppIntentCustomError::unknown));
        if (!ActionSupport::conformsToDirectory(*destination->type))
            return finish(fail(AppIntentCustomError::unsupported));
        if (!startAccessingSecurityScopedResource(*destination->fileURL, accessed))
            return finish(fail(AppIntentCustomError::fileAccess));
        folder = *destination->fileURL;
    } else {
        auto job = ActionSupport::makeJobFolder();
        if (job.isFailure())
            return finish(PerformResult::failure(job.error()));
        folder = job.value();
    }

    std::vector<std::string> paths;
    for (const auto& source : sources)
        paths.push_back(source.toLocalFile().toStdString());
    std::sort(paths.begin(), paths.end());

    auto result = ZODArchiverAsync::decompressAsync(std::move(paths), folder.toLocalFile().toStdString(), std::move(progress));
    if (result.isFailure())
        return finish(PerformResult::failure(result.error().error()));
    std::vector<IntentFile> extracted;
    for (const auto& url : result.value())
        extracted.push_back(IntentFile::fromFileURL(url));
    return finish(PerformResult::success(std::move(extracted)));
}

ActionDefinition definition()
{
    ActionDefinition action;
    action.title = "Extract Archive";
    action.intentClassName = "UnarchiveIntent";
    action.reportsProgress = true;
    action.parameters = {
        {"files", "Files", ParameterType::files, false, std::nullopt, {"public.item"}, {}, {}},
        {"destination", "Destination", ParameterType::file, true, std::nullopt, {"public.folder"}, {}, {}},
    };
    action.summary = [](const ParameterValues& values) -> ParameterSummary {
        if (!values.count("destination"))
            return {"Extract files from ${files}", {"destination"}};
        return {"Extract files from ${files} to ${destination}", {}};
    };
    PredictionConfiguration prediction;
    prediction.parameters = {"files", "destination"};
    prediction.title = [action](const ParameterValues& values) {
        return fillSummaryTemplate(values.count("destination") ? "Extract files from ${files} to ${destination}"
                                                               : "Extract files from ${files}",
                                   values, action);
    };
    action.predictions = {prediction};
    action.perform = perform;
    return action;
}

} // namespace Unarchive
