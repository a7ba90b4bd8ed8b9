#include "Kelvora/Intents/CreateArchive.h"

#include "Kelvora/Intents/ActionSupport.h"
#include "Kelvora/Intents/AppEnums.h"
#include "Kelvora/Intents/AppIntentCustomError.h"
#include "Kelvora/Intents/SecurityScopedAccess.h"
#include "Kelvora/Intents/ZODArchiverAsync.h"

#include <QDir>

using namespace Intents;

namespace CreateArchive {

namespace {

PerformResult fail(AppIntentCustomError error) { return PerformResult::failure(makeError(error)); }

CreateArchivePresetAppEnum format(const ParameterValues& values)
{
    auto raw = ActionSupport::text(values, "format");
    auto value = raw ? CreateArchivePresetAppEnum::fromRawValue(*raw) : std::nullopt;
    return value.value_or(CreateArchivePresetTraits::Case::zip);
}

// The name is appended as one path component: a name that holds a slash
// would put the archive outside the chosen folder.
std::optional<std::string> archiveNameProblem(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return "holds a slash: it must name one file";
    return std::nullopt;
}

} // namespace

ParameterSummary parameterSummary(const ParameterValues& values)
{
    using Case = CreateArchivePresetTraits::Case;
    Case preset = format(values).value();
    if (!values.count("destination")) {
        const std::string text = "Create a ${format} archive from ${files}";
        switch (preset) {
        case Case::sevenzip:
            return {text, {"archiveName", "compressionLevel", "passphrase", "encryptFileNames", "destination", "ignoreHiddenFiles"}};
        case Case::zip:
            return {text, {"archiveName", "compressionLevel", "passphrase", "encryptionMethod", "destination", "ignoreHiddenFiles"}};
        case Case::tarZ:
        case Case::iso:
            return {text, {"archiveName", "destination", "ignoreHiddenFiles"}};
        default:
            return {text, {"archiveName", "compressionLevel", "destination", "ignoreHiddenFiles"}};
        }
    }
    const std::string text = "Create a ${format} archive from ${files} at ${destination}";
    switch (preset) {
    case Case::sevenzip:
        return {text, {"archiveName", "encryptFileNames", "ignoreHiddenFiles"}};
    case Case::zip:
        return {text, {"archiveName", "encryptionMethod", "ignoreHiddenFiles"}};
    default:
        return {text, {"archiveName", "ignoreHiddenFiles"}};
    }
}

PerformResult perform(const ParameterValues& values, Foundation::ProgressPtr progress)
{
    // 1–2: inputs, before anything is accessed.
    std::vector<IntentFile> files = ActionSupport::files(values, "files");
    if (files.empty())
        return fail(AppIntentCustomError::emptyInput);
    std::vector<QUrl> sources;
    for (const auto& f : files) {
        if (!f.fileURL)
            return fail(AppIntentCustomError::unsupported);
        sources.push_back(*f.fileURL);
    }

    // 3: access to the sources, stopping at the first refusal.
    std::vector<QUrl> accessed;
    for (const auto& source : sources) {
        if (!startAccessingSecurityScopedResource(source, accessed)) {
            stopAccessingSecurityScopedResources(accessed);
            return fail(AppIntentCustomError::fileAccess);
        }
    }
    auto failAfterAccess = [&](AppIntentCustomError error) {
        stopAccessingSecurityScopedResources(accessed);
        return fail(error);
    };

    // 4: the output folder.
    QUrl folder;
    if (auto destination = ActionSupport::file(values, "destination")) {
        if (!destination->fileURL || !destination->type)
            return failAfterAccess(AppIntentCustomError::unknown);
        if (!ActionSupport::conformsToDirectory(*destination->type))
            return failAfterAccess(AppIntentCustomError::unsupported);
        if (!startAccessingSecurityScopedResource(*destination->fileURL, accessed))
            return failAfterAccess(AppIntentCustomError::fileAccess);
        folder = *destination->fileURL;
    } else {
        auto job = ActionSupport::makeJobFolder();
        if (job.isFailure())
            return failAfterAccess(AppIntentCustomError::fileAccess);
        folder = job.value();
    }

    // 5: name and extension, joined with no separator.
    CreateArchivePresetAppEnum preset = format(values);
    std::string name = ActionSupport::text(values, "archiveName").value_or(ActionSupport::localized("ARCHIVE_DEFAULT_FILE_NAME"));
    name += ZODArchiverPreference::presetFileExtension(preset.engineValue());
    if (archiveNameProblem(name) || name == "." || name == "..")
        return failAfterAccess(AppIntentCustomError::unsupported);

    // 6: the preference; empty level and method keep the engine's values.
    std::optional<std::string> passphrase = ActionSupport::text(values, "passphrase");
    if (passphrase && passphrase->empty())
        passphrase.reset();
    ZODArchiverPreference preference(preset.engineValue(), passphrase);
    preference.setIgnoreHiddenUnixFiles(ActionSupport::flag(values, "ignoreHiddenFiles").value_or(false));
    preference.setShouldEncryptHeader(ActionSupport::flag(values, "encryptFileNames").value_or(false));
    if (auto raw = ActionSupport::text(values, "encryptionMethod"))
        if (auto method = CreateArchiveEncrytionMethodAppEnum::fromRawValue(*raw))
            preference.setEncryptionMethod(method->engineValue());
    if (auto raw = ActionSupport::text(values, "compressionLevel"))
        if (auto level = CreateArchiveCompressionLevelAppEnum::fromRawValue(*raw))
            preference.setCompressionLevel(level->engineValue());

    // 7–10: compress and wait.
    QString archivePath = QDir(folder.toLocalFile()).filePath(QString::fromStdString(name));
    std::vector<std::string> items;
    for (const auto& source : sources)
        items.push_back(source.toLocalFile().toStdString());
    auto result = ZODArchiverAsync::compressAsync(std::move(items), archivePath.toStdString(), std::move(preference),
                                                  std::move(progress));
    stopAccessingSecurityScopedResources(accessed);
    if (result.isFailure())
        return PerformResult::failure(result.error().error());

    // 11: the archive as the result.
    return PerformResult::success(IntentFile::fromFileURL(QUrl::fromLocalFile(archivePath)));
}

ActionDefinition definition()
{
    ActionDefinition action;
    action.title = "Make Archives";
    action.intentClassName = "CreateArchiveIntent";
    action.reportsProgress = true;

    ParameterDefinition files{"files", "Files", ParameterType::files, false, std::nullopt, {"public.item"}, {}, {}};
    ParameterDefinition archiveName{"archiveName", "Archive Name", ParameterType::text, true, std::nullopt, {}, {}, {}};
    ParameterDefinition formatParam{"format", "Format", ParameterType::enumeration, false, std::string("zip"), {},
                                    CreateArchivePresetAppEnum::offeredValues(),
                                    CreateArchivePresetAppEnum::typeDisplayRepresentation()};
    ParameterDefinition passphrase{"passphrase", "Passphrase", ParameterType::text, true, std::nullopt, {}, {}, {}};
    ParameterDefinition encryptFileNames{"encryptFileNames", "Encrypt File Names", ParameterType::boolean, true,
                                         std::nullopt, {}, {}, {}};
    ParameterDefinition encryptionMethod{"encryptionMethod", "Encryption Method", ParameterType::enumeration, true,
                                         std::nullopt, {}, CreateArchiveEncrytionMethodAppEnum::offeredValues(),
                                         CreateArchiveEncrytionMethodAppEnum::typeDisplayRepresentation()};
    ParameterDefinition compressionLevel{"compressionLevel", "Compression Level", ParameterType::enumeration, true,
                                         std::nullopt, {}, CreateArchiveCompressionLevelAppEnum::offeredValues(),
                                         CreateArchiveCompressionLevelAppEnum::typeDisplayRepresentation()};
    ParameterDefinition ignoreHiddenFiles{"ignoreHiddenFiles", "Ignore Hidden Files", ParameterType::boolean, true,
                                          std::nullopt, {}, {}, {}};
    ParameterDefinition destination{"destination", "Destination", ParameterType::file, true, std::nullopt,
                                    {"public.folder"}, {}, {}};
    action.parameters = {files, archiveName, formatParam, passphrase, encryptFileNames,
                         encryptionMethod, compressionLevel, ignoreHiddenFiles, destination};

    action.summary = parameterSummary;
    PredictionConfiguration prediction;
    prediction.parameters = {"files", "archiveName", "format", "passphrase", "destination", "encryptionMethod",
                             "ignoreHiddenFiles"};
    prediction.title = [action](const ParameterValues& values) {
        return fillSummaryTemplate(values.count("destination") ? "Create a ${format} archive from ${files} at ${destination}"
                                                               : "Create a ${format} archive from ${files}",
                                   values, action);
    };
    action.predictions = {prediction};
    action.perform = perform;
    action.refusedValue = [](const ParameterValues& values) -> std::optional<std::string> {
        auto name = ActionSupport::text(values, "archiveName");
        auto problem = name ? archiveNameProblem(*name) : std::nullopt;
        return problem ? std::optional<std::string>("--archiveName: " + *name + " " + *problem) : std::nullopt;
    };
    return action;
}

} // namespace CreateArchive
