#pragma once
// The kind ("typeDescription") of an entry, from Qt's MIME database by file
// name. Each distinct kind is stored once for the life of the process.

#include <string>
#include <string_view>

namespace Brackwen {

const std::string* kindOfFile(std::string_view name);
const std::string* kindOfDirectory();

} // namespace Brackwen
