#pragma once
// The kit's own user-visible texts, by key, from its string table
// (Resources/Tiberly.ts, in the kit's own bundle).

#include <string>

namespace Tiberly {

std::string kitString(const std::string& key);

} // namespace Tiberly
