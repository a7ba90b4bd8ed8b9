#pragma once
// The kind ("typeDescription") of an entry, from Qt's MIME database by file
// name. Each distinct kind is stored once for the life of the process.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Brackwen {

const std::string* kindOfFile(std::string_view name);
const std::string* kindOfDirectory();

// The globs without a dot in the shared MIME database's globs2 files, given
// most important first; nullopt when none of them can be read.
std::optional<std::vector<std::string>> dotlessGlobsInGlobs2(const std::vector<std::string>& files);

} // namespace Brackwen
