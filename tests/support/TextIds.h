#pragma once
// The text ids a program's sources look up, found by scanning them at test
// time: every quoted literal shaped like an id (capitals, digits and at
// least one underscore, as "COMMON_OK"), with the first place it appears.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace TestSupport {

// Id → "file:line" of its first use, under the folders (relative to the
// source tree), in *.cpp, *.h and *.ui files.
inline std::map<std::string, std::string> textIdsIn(const std::string& sourceTree,
                                                    const std::vector<std::string>& folders)
{
    namespace fs = std::filesystem;
    static const std::regex id("\"([A-Z][A-Z0-9]*(?:_[A-Z0-9]+)+)\"");
    std::map<std::string, std::string> ids;
    for (const auto& folder : folders) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(sourceTree) / folder)) {
            const auto ext = entry.path().extension();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".ui"))
                continue;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number)
                for (std::sregex_iterator it(line.begin(), line.end(), id), end; it != end; ++it)
                    ids.emplace((*it)[1].str(), fs::relative(entry.path(), sourceTree).string() + ":"
                                                    + std::to_string(number));
        }
    }
    return ids;
}

// Fails once for each id of the folders that the lookup leaves without a
// text (a lookup that finds nothing gives the id back).
inline void expectEveryTextIdHasAText(const std::string& sourceTree, const std::vector<std::string>& folders,
                                      const std::function<bool(const std::string&)>& hasText)
{
    const auto ids = textIdsIn(sourceTree, folders);
    ASSERT_FALSE(ids.empty()) << "no text ids found under " << sourceTree;
    for (const auto& [key, where] : ids)
        EXPECT_TRUE(hasText(key)) << key << " (used at " << where << ") has no text in the string tables";
}

} // namespace TestSupport
