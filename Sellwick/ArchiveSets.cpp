#include "Sellwick/ArchiveSets.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <optional>
#include <regex>

namespace Sellwick {

namespace {

struct Volume {
    std::string setKey; // folder, kind and base: equal for the volumes of one archive
    unsigned long number; // base.zip ends a split zip: after every base.zNN
};

std::optional<Volume> volumeOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string original = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string name = original;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });

    struct Pattern {
        const char* kind;
        std::regex expression; // base, then the volume number when there is one
    };
    static const Pattern patterns[] = {
        {"rar", std::regex(R"(^(.+)\.part([0-9]+)\.rar$)")},
        {"numbered", std::regex(R"(^(.+)\.([0-9]{3,})$)")},
        {"zip", std::regex(R"(^(.+)\.z([0-9]{2,})$)")},
        {"zip", std::regex(R"(^(.+)\.zip$)")},
    };
    std::smatch match;
    for (const Pattern& pattern : patterns) {
        if (!std::regex_match(name, match, pattern.expression))
            continue;
        // The base keeps its case: only the suffixes are read case-blind.
        const std::string base = original.substr(0, static_cast<size_t>(match.length(1)));
        const std::string key = folder + '\0' + pattern.kind + '\0' + base;
        if (match.size() < 3)
            return Volume{key, std::numeric_limits<unsigned long>::max()};
        unsigned long number = 0;
        const std::string digits = match[2].str();
        if (std::from_chars(digits.data(), digits.data() + digits.size(), number).ec != std::errc())
            return std::nullopt;
        return Volume{key, number};
    }
    return std::nullopt;
}

} // namespace

std::vector<std::vector<std::string>> archiveSets(const std::vector<std::string>& paths)
{
    struct Set {
        std::string key; // empty for a file of its own
        std::vector<std::pair<unsigned long, std::string>> volumes;
    };
    std::vector<Set> sets;
    for (const std::string& path : paths) {
        const auto volume = volumeOf(path);
        auto set = volume ? std::find_if(sets.begin(), sets.end(), [&](const Set& s) { return s.key == volume->setKey; })
                          : sets.end();
        if (set == sets.end()) {
            sets.push_back({volume ? volume->setKey : std::string(), {}});
            set = sets.end() - 1;
        }
        set->volumes.emplace_back(volume ? volume->number : 0, path);
    }

    std::vector<std::vector<std::string>> archives;
    for (Set& set : sets) {
        std::stable_sort(set.volumes.begin(), set.volumes.end());
        std::vector<std::string> ordered;
        for (const auto& volume : set.volumes)
            ordered.push_back(volume.second);
        archives.push_back(std::move(ordered));
    }
    return archives;
}

} // namespace Sellwick
