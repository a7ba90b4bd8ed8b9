#pragma once
// The kit's own user-visible texts, by key (English).

#include <string>

namespace Tiberly {

std::string kitString(const std::string& key);

} // namespace Tiberly
