#include "Kelvora/Intents/ActionSupport.h"

#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/Uuid.h"
#include "Vantel/URLFolders.h"

namespace ActionSupport {

std::vector<Intents::IntentFile> files(const Intents::ParameterValues& values, const std::string& name)
{
    auto it = values.find(name);
    if (it == values.end())
        return {};
    if (auto* list = std::get_if<std::vector<Intents::IntentFile>>(&it->second))
        return *list;
    return {};
}

std::optional<Intents::IntentFile> file(const Intents::ParameterValues& values, const std::string& name)
{
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    if (auto* f = std::get_if<Intents::IntentFile>(&it->second))
        return *f;
    return std::nullopt;
}

std::optional<std::string> text(const Intents::ParameterValues& values, const std::string& name)
{
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    if (auto* s = std::get_if<std::string>(&it->second))
        return *s;
    return std::nullopt;
}

std::optional<bool> flag(const Intents::ParameterValues& values, const std::string& name)
{
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    if (auto* b = std::get_if<bool>(&it->second))
        return *b;
    return std::nullopt;
}

std::optional<QUrl> url(const Intents::ParameterValues& values, const std::string& name)
{
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    if (auto* u = std::get_if<QUrl>(&it->second))
        return *u;
    return std::nullopt;
}

bool conformsToDirectory(const std::string& type)
{
    return type == "public.directory" || type == "public.folder" || type == "public.volume"
        || type == "com.apple.package";
}

Foundation::Result<QUrl, Foundation::ErrorPtr> makeJobFolder()
{
    auto temp = Vantel::temp(std::nullopt);
    if (temp.isFailure())
        return Foundation::Result<QUrl, Foundation::ErrorPtr>::failure(temp.error());
    std::string folder = Foundation::appendingPathComponent(temp.value().path(), Foundation::uuidString());
    if (auto error = Foundation::FileManager::createDirectory(folder, true))
        return Foundation::Result<QUrl, Foundation::ErrorPtr>::failure(error);
    return Foundation::Result<QUrl, Foundation::ErrorPtr>::success(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

std::string localized(const char* key)
{
    return Foundation::localizedString(key);
}

} // namespace ActionSupport
