#pragma once
// The common parent folder of chosen items, the starting folder of panels.

#include <optional>
#include <string>
#include <vector>

namespace Vantel {

class FileUtils {
public:
    FileUtils() = delete;

    // The parent shared by every path (last component removed by the path
    // rule; compared under canonical equivalence, case-sensitive, paths taken
    // as written); absent for no paths or differing parents.
    static std::optional<std::string> getFolderPath(const std::vector<std::string>& paths);
};

} // namespace Vantel
