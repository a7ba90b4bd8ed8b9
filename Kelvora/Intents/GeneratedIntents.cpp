#include "Kelvora/Intents/GeneratedIntents.h"

namespace GeneratedProperties {

using Intents::DynamicProperties;
using Intents::INFile;

std::vector<INFile> files(const DynamicProperties& object, const char* key)
{
    return object.value<std::vector<INFile>>(key).value_or(std::vector<INFile>{});
}

void setFiles(DynamicProperties& object, const char* key, const std::vector<INFile>& files)
{
    object.setValue<std::vector<INFile>>(key, files);
}

std::optional<INFile> file(const DynamicProperties& object, const char* key)
{
    return object.value<INFile>(key);
}

void setFile(DynamicProperties& object, const char* key, const std::optional<INFile>& file)
{
    object.setValue(key, file);
}

// Texts are kept as the runtime's own strings, so that key-value readers see text.
std::optional<std::string> string(const DynamicProperties& object, const char* key)
{
    auto text = object.value<QString>(key);
    return text ? std::optional<std::string>(text->toStdString()) : std::nullopt;
}

void setString(DynamicProperties& object, const char* key, const std::optional<std::string>& text)
{
    object.setValue(key, text ? std::optional<QString>(QString::fromStdString(*text)) : std::nullopt);
}

std::optional<bool> boolean(const DynamicProperties& object, const char* key)
{
    return object.value<bool>(key);
}

void setBoolean(DynamicProperties& object, const char* key, std::optional<bool> flag)
{
    object.setValue(key, flag);
}

std::optional<QUrl> url(const DynamicProperties& object, const char* key)
{
    return object.value<QUrl>(key);
}

void setUrl(DynamicProperties& object, const char* key, const std::optional<QUrl>& url)
{
    object.setValue(key, url);
}

int64_t integer(const DynamicProperties& object, const char* key)
{
    return object.value<qlonglong>(key).value_or(0);
}

void setInteger(DynamicProperties& object, const char* key, int64_t value)
{
    object.setValue<qlonglong>(key, value);
}

} // namespace GeneratedProperties

std::shared_ptr<CreateArchiveIntentResponse> CreateArchiveIntentResponse::failureIntentResponseWithError(const std::string& error)
{
    auto response = std::make_shared<CreateArchiveIntentResponse>(CreateArchiveIntentResponseCode::failure, nullptr);
    response->setError(error);
    return response;
}

std::shared_ptr<UnarchiveIntentResponse> UnarchiveIntentResponse::failureIntentResponseWithError(const std::string& error)
{
    auto response = std::make_shared<UnarchiveIntentResponse>(UnarchiveIntentResponseCode::failure, nullptr);
    response->setError(error);
    return response;
}
