#include "Tiberly/KitStrings.h"

#include "Platform/Foundation/LocalizedString.h"

namespace Tiberly {

std::string kitString(const std::string& key)
{
    return Foundation::localizedString(key, "Tiberly", "Tiberly");
}

} // namespace Tiberly
