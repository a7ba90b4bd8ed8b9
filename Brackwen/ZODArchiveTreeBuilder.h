#pragma once
// Builds the analysed tree from entry headers in archive order: makes the
// folders that paths imply, merges repeated folder entries, and at the end
// sums sizes and item counts bottom-up.

#include "Brackwen/ZODArchiveModel.h"
#include "Platform/Foundation/StringEncoding.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ZODArchiveTreeBuilder {
public:
    // Asked once, for the first name that is not valid UTF-8 (its raw
    // zero-terminated path); its answer decodes every such name.
    using EncodingQuestion = std::function<Foundation::StringEncoding(const std::string& rawPath)>;

    ZODArchiveTreeBuilder(std::string rootName, EncodingQuestion question);

    void add(std::string_view rawPath, bool isDirectory, int64_t size, std::optional<ZODDate> modificationTime,
             std::optional<ZODDate> accessTime);
    ZODArchiveDirectoryPtr finish();

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    ZODArchiveDirectory* directoryFor(size_t componentCount);
    void setName(ZODArchiveModel& entry, std::string_view raw);

    ZODArchiveDirectoryPtr root_;
    EncodingQuestion question_;
    bool asked_ = false;
    Foundation::StringEncoding encoding_ = 0;
    std::unordered_map<std::string, ZODArchiveDirectory*, Hash, std::equal_to<>> directories_;
    std::vector<std::string_view> components_;
    std::vector<size_t> ends_; // end offset in key_ of each component
    std::string key_;
    std::string_view rawPath_;
};
