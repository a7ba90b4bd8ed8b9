#include "Vantel/URLFolders.h"

#include "Platform/Foundation/FileManager.h"

namespace Vantel {

using Foundation::URL;
namespace FM = Foundation::FileManager;

namespace {

std::optional<URL> userFolder(FM::SearchPathDirectory directory)
{
    auto result = FM::urlForDirectory(directory, std::nullopt, true);
    if (result.isFailure())
        return std::nullopt;
    return result.value();
}

} // namespace

std::optional<URL> documents()
{
    return userFolder(FM::SearchPathDirectory::documentDirectory);
}

std::optional<URL> library()
{
    return userFolder(FM::SearchPathDirectory::libraryDirectory);
}

std::optional<URL> applicationSupport()
{
    return userFolder(FM::SearchPathDirectory::applicationSupportDirectory);
}

Foundation::Result<URL, Foundation::ErrorPtr> temp(const std::optional<URL>& url)
{
    using R = Foundation::Result<URL, Foundation::ErrorPtr>;
    auto replacement = FM::urlForDirectory(FM::SearchPathDirectory::itemReplacementDirectory, url, true);
    if (replacement.isSuccess())
        return replacement;
    const std::string fallback = FM::temporaryDirectory();
    bool isDirectory = false;
    if (FM::fileExists(fallback, &isDirectory) && isDirectory)
        return R::success(URL::fileURLWithPath(fallback, true));
    if (auto error = FM::createDirectory(fallback, true))
        return R::failure(error);
    return R::success(URL::fileURLWithPath(fallback, true));
}

} // namespace Vantel
