#include "Platform/Extension/ItemProvider.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/UniformTypes/UniformType.h"

#include <cerrno>

namespace Extension {

std::shared_ptr<ItemProvider> ItemProvider::withContentsOfURL(const Foundation::URL& url)
{
    auto provider = std::make_shared<ItemProvider>();
    // A path that is gone still gets a provider; loading it reports the error.
    const std::string type = UniformTypes::UTType::ofFileURL(QUrl::fromLocalFile(QString::fromStdString(url.path())))
                                 .value_or(UniformTypes::UTType::item())
                                 .identifier();
    provider->registerFileRepresentation(type, true, [url](FileCompletion completion) {
        if (!Foundation::FileManager::fileExists(url.path())) {
            completion(std::nullopt, false, Foundation::posixError(ENOENT, url.path()));
            return;
        }
        completion(url, true, nullptr);
    });
    return provider;
}

void ItemProvider::registerFileRepresentation(std::string typeIdentifier, bool openInPlace, FileLoadHandler loadHandler)
{
    std::lock_guard lock(mutex_);
    representations_.push_back({std::move(typeIdentifier), openInPlace, std::move(loadHandler)});
}

std::vector<std::string> ItemProvider::registeredTypeIdentifiers() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> identifiers;
    for (const auto& representation : representations_)
        identifiers.push_back(representation.typeIdentifier);
    return identifiers;
}

std::optional<ItemProvider::Representation> ItemProvider::representationFor(const std::string& typeIdentifier) const
{
    const auto wanted = UniformTypes::UTType::withIdentifier(typeIdentifier);
    if (!wanted)
        return std::nullopt;
    std::lock_guard lock(mutex_);
    for (const auto& representation : representations_) {
        const auto type = UniformTypes::UTType::withIdentifier(representation.typeIdentifier);
        if (type && type->conformsTo(*wanted))
            return representation;
    }
    return std::nullopt;
}

bool ItemProvider::hasItemConformingToTypeIdentifier(const std::string& typeIdentifier) const
{
    return representationFor(typeIdentifier).has_value();
}

void ItemProvider::loadInPlaceFileRepresentation(const std::string& typeIdentifier, FileCompletion completion) const
{
    auto representation = representationFor(typeIdentifier);
    Dispatch::globalQueue()->async([representation = std::move(representation), completion = std::move(completion)] {
        if (!representation) {
            completion(std::nullopt, false,
                       Foundation::Error::make(NSItemProviderErrorDomain, NSItemProviderUnavailableCoercionError));
            return;
        }
        // A handler that calls back twice must not reach the caller twice.
        auto once = std::make_shared<std::once_flag>();
        const bool inPlace = representation->openInPlace;
        representation->loadHandler([once, inPlace, completion](std::optional<Foundation::URL> url, bool,
                                                                Foundation::ErrorPtr error) {
            std::call_once(*once, [&] { completion(std::move(url), inPlace && url.has_value(), std::move(error)); });
        });
    });
}

} // namespace Extension
