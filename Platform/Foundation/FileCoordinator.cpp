#include "Platform/Foundation/FileCoordinator.h"

#include <cerrno>
#include <sys/stat.h>

namespace Foundation {

ErrorPtr FileCoordinator::coordinateReadingItemAtURL(const URL& url, unsigned, const std::function<void(const URL&)>& accessor)
{
    if (!url.isFileURL())
        return posixError(EINVAL, url.absoluteString());
    struct stat info {};
    if (::lstat(url.path().c_str(), &info) != 0)
        return posixError(errno, url.path());
    accessor(url);
    return nullptr;
}

} // namespace Foundation
