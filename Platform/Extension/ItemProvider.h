#pragma once
// Stand-in for the platform's item provider as an action extension receives
// it: representations registered by type identifier, each loaded on demand.
// Only file representations exist here; the host makes one provider per
// shared path, registered under the item's own type and opened in place.
//
//   auto provider = Extension::ItemProvider::withContentsOfURL(URL::fileURLWithPath(path));
//   provider->loadInPlaceFileRepresentation("public.data", [](auto url, bool inPlace, auto error) { … });

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Path.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Extension {

inline constexpr const char* NSItemProviderErrorDomain = "NSItemProviderErrorDomain";
// No registered representation conforms to the asked type.
inline constexpr int64_t NSItemProviderUnavailableCoercionError = -1000;

class ItemProvider {
public:
    using FileCompletion =
        std::function<void(std::optional<Foundation::URL> url, bool isInPlace, Foundation::ErrorPtr error)>;
    // Delivers the file once, through the completion, from any thread.
    using FileLoadHandler = std::function<void(FileCompletion completion)>;

    // The file or folder at the URL, under its own type (a folder's is
    // "public.folder"), handed over in place. Loading fails when it is gone.
    static std::shared_ptr<ItemProvider> withContentsOfURL(const Foundation::URL& url);

    ItemProvider() = default;

    void registerFileRepresentation(std::string typeIdentifier, bool openInPlace, FileLoadHandler loadHandler);
    std::vector<std::string> registeredTypeIdentifiers() const;
    bool hasItemConformingToTypeIdentifier(const std::string& typeIdentifier) const;

    // Loads the first representation that conforms to the type. The
    // completion runs once, on a thread of the global queue; with no such
    // representation it gets no URL and an unavailable-coercion error.
    void loadInPlaceFileRepresentation(const std::string& typeIdentifier, FileCompletion completion) const;

private:
    struct Representation {
        std::string typeIdentifier;
        bool openInPlace;
        FileLoadHandler loadHandler;
    };
    std::optional<Representation> representationFor(const std::string& typeIdentifier) const;

    mutable std::mutex mutex_;
    std::vector<Representation> representations_;
};

using ItemProviderPtr = std::shared_ptr<ItemProvider>;

} // namespace Extension
