#include "Vantel/FileUtils.h"

#include "Platform/Foundation/Path.h"
#include "Platform/Foundation/StringCompare.h"

namespace Vantel {

std::optional<std::string> FileUtils::getFolderPath(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return std::nullopt;
    std::string parent = Foundation::deletingLastPathComponent(paths.front());
    for (size_t i = 1; i < paths.size(); ++i) {
        if (!Foundation::isCanonicallyEqual(Foundation::deletingLastPathComponent(paths[i]), parent))
            return std::nullopt;
    }
    return parent;
}

} // namespace Vantel
