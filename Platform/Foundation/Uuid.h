#pragma once
// Fresh random (version 4) UUIDs as the platform writes them: upper case,
// "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".

#include <string>

namespace Foundation {

std::string uuidString();

} // namespace Foundation
