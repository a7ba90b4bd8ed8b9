#pragma once
// Entry paths as the engine keys them, and decoding of raw name bytes.

#include "Platform/Foundation/StringEncoding.h"

#include <string>
#include <string_view>
#include <vector>

namespace Brackwen {

// The components of a raw entry path, without empty, "." and ".." parts:
// the key by which the tree and the extraction find an entry.
void splitEntryPath(std::string_view raw, std::vector<std::string_view>& components);

// Whether a raw path is absolute or climbs with "..": never written.
bool isUnsafeEntryPath(std::string_view raw);

// UTF-8 text of a name, shown and written to disk: the bytes themselves
// when they are valid UTF-8, else decoded in the encoding (0 = UTF-8), else
// with "%XX" for every byte that does not decode and for "%" (distinct
// undecodable names stay distinct).
std::string decodeEntryName(std::string_view raw, Foundation::StringEncoding encoding);

// "12.3 MB"-style byte counts (decimal units).
std::string formatByteCount(int64_t bytes);

} // namespace Brackwen
